// The private world a fuzz target runs in: its own folder (removed at exit) as home,
// documents folder and registry database, with the protected identity set.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "identities/Settings.h"
#include "platform/Registry.h"

inline std::string& FuzzWorldFolder() {
    static std::string folder;
    return folder;
}

inline void EnterFuzzWorld(const char* guardId) {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/veilbox-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    FuzzWorldFolder() = pattern;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(FuzzWorldFolder(), ec);
    });
    setenv("HOME", pattern.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
    if (!platform::RedirectRegistry(pattern + "/registry.db")) std::abort();
    SetGuardId(guardId);
}
