// A private world in which veilbox-cli hides and restores one identity again and
// again: a registry database, a home with its documents folder, two identities of the
// mail client and a small message store on disk (one file spans several 64 KiB
// chunks). The world can be saved and put back exactly, so every kill starts from the
// same state, and it judges what a killed run left behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "RegistryTree.h"
#include "support/PasswordPipe.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

class CrashWorld {
public:
    static constexpr const char* kGuard = "{5C0FFEE1-2B3D-4E5F-8A9B-0C1D2E3F4A5B}";

    explicit CrashWorld(int securityLevel);
    ~CrashWorld();
    CrashWorld(const CrashWorld&) = delete;
    CrashWorld& operator=(const CrashWorld&) = delete;

    // Remembers the current registry, store folder and documents folder / puts them back.
    void Save();
    void Reset();

    // Runs veilbox-cli to its end (untraced); returns its exit status.
    int RunCli(const std::string& command);
    // The command line of one run; each call fills a fresh pipe with the password for it.
    std::vector<std::string> CliCommand(const std::string& command);
    std::string LogPath() const { return scratch_.file("cli.log"); }
    // What the last runs printed, for failure messages.
    std::string TakeLog();

    // Names the watched place a path belongs to; the empty text for anything else.
    static std::string Classify(const std::string& path, const void* world);

    bool ContainerExists() const;
    // Every regular file of the store folder: name -> bytes.
    std::map<std::string, std::string> StoreOnDisk() const;
    // The whole Identities key as the registry holds it now, read through a fresh
    // connection so that a killed writer's journal is recovered first.
    TreeKey IdentitiesNow();

    const std::map<std::string, std::string>& OriginalStore() const { return originalStore_; }
    const TreeKey& OriginalIdentities() const { return originalIdentities_; }

private:
    void CloseRegistry();

    // A killed process leaves the page cache behind, so what these tests judge is the
    // order of the program's steps, not what reaches the platter; the world lives in
    // memory when it can, where a flush costs nothing.
    struct MemoryBackedTemp {
        MemoryBackedTemp();
        ScopedEnvironment environment;
    };

    MemoryBackedTemp memoryBackedTemp_;
    TempRegistry registry_;
    TempDir home_;
    TempDir profile_;
    TempDir saved_;
    TempDir scratch_;
    ScopedEnvironment environment_;
    std::string registryFolder_;
    std::string documents_;
    std::string store_;
    std::map<std::string, std::string> originalStore_;
    TreeKey originalIdentities_;
    std::optional<PasswordPipe> passwordPipe_;
};
