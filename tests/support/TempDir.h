// A private temporary folder that is removed with everything in it when the test ends,
// and whole-file helpers for tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/PathSeparator.h"

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        const std::string folder = base && *base ? base : std::filesystem::temp_directory_path().string();
        std::random_device random;
        // Made private and new, so no other user or test can have prepared it.
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "veilbox-test-%08x", static_cast<unsigned>(random()));
            std::string candidate = (std::filesystem::path(folder) / name).string();
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, ec);
                path_ = candidate;
            }
        }
        if (path_.empty()) throw std::runtime_error("cannot make a temporary folder in " + folder);
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        // Read-only files and folders must not keep the tree alive.
        for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path(), the separator, name
    std::string file(const std::string& name) const { return path_ + platform::kPathSeparator + name; }

private:
    std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + path);
}
