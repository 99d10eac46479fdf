// bench_world <megabytes> [files]
//
// Sets up what a hide needs in the registry named by the environment (VEILBOX_REGISTRY):
// two identities of the mail client, the first one protected at the medium level, its
// "Store Root" at %UserProfile%/mail/store {bench}; and fills that folder (made from
// USERPROFILE) with *.dbx files of the given total size: eight files shaped like a real
// store, or the given number of files of equal size. The bytes are pseudo-random, so
// nothing on the way can make them smaller. The program password is left unset.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/World.h"

namespace {

constexpr const char kGuard[] = "{BE4C4B0B-0000-4000-8000-00000000B0B0}";
constexpr const char kOther[] = "{BE4C4B0B-0000-4000-8000-00000000C0C0}";

bool WriteStoreFile(const std::string& path, uint64_t size, uint64_t seed) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<uint64_t> block(1 << 16);  // 512 KiB
    uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    while (size > 0 && out) {
        for (uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        const uint64_t n = std::min<uint64_t>(size, block.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        size -= n;
    }
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    const char* profile = std::getenv("USERPROFILE");
    if (argc < 2 || argc > 3 || !profile || !*profile) {
        std::fprintf(stderr, "usage: USERPROFILE=<folder> bench_world <megabytes> [files]\n");
        return 2;
    }
    // The store root is lower-cased when expanded, apart from the variable's value.
    const std::string storeRoot = "%UserProfile%/mail/store {bench}";
    const std::string folder = std::string(profile) + "/mail/store {bench}";
    std::filesystem::create_directories(folder);
    const uint64_t total = std::strtoull(argv[1], nullptr, 10) << 20;

    // A store shaped like a real one: a few large folders and several small ones.
    struct Part {
        const char* name;
        unsigned percent;
    };
    const Part parts[] = {{"Inbox.dbx", 40},       {"Sent Items.dbx", 25}, {"Deleted Items.dbx", 15},
                          {"Archive.dbx", 12},     {"Drafts.dbx", 4},      {"Outbox.dbx", 2},
                          {"Folders.dbx", 1},      {"Offline.dbx", 1}};
    const uint64_t files = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 0;
    for (uint64_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Folder%05u.dbx", static_cast<unsigned>(i));
        if (!WriteStoreFile(folder + "/" + name, total / files, i + 1)) {
            std::fprintf(stderr, "cannot write %s\n", name);
            return 1;
        }
    }
    uint64_t written = 0;
    for (size_t i = 0; files == 0 && i < sizeof parts / sizeof parts[0]; ++i) {
        const bool last = i + 1 == sizeof parts / sizeof parts[0];
        const uint64_t size = last ? total - written : total * parts[i].percent / 100;
        if (!WriteStoreFile(folder + "/" + parts[i].name, size, i + 1)) {
            std::fprintf(stderr, "cannot write %s\n", parts[i].name);
            return 1;
        }
        written += size;
    }

    // The settings belong to the program that will read them.
    if (!World::WriteIdentity(kGuard, "Bench", "Bench-user-id", storeRoot) ||
        !World::WriteIdentity(kOther, "Other", "Other-user-id", storeRoot + "-other") ||
        !World::PointAt("Bench-user-id", "Bench") || !World::Protect(kGuard, SecurityMedium)) {
        std::fprintf(stderr, "cannot write the registry\n");
        return 1;
    }
    return 0;
}
