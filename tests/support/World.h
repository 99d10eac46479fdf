// One private world for every test that hides, restores or only looks at identities:
// its own registry database, a home with its documents folder (where a container goes)
// and auth.dat, the program's settings under a chosen name, and, unless told otherwise,
// the mail client's two identities with a message store on disk and a scripted user.
//
// Every call of the store's workflows goes through World.cpp, with the request the page
// commands would make; tests read outcomes off the world.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/RegistryTree.h"
#include "identities/Settings.h"
#include "store/RunRequest.h"
#include "support/ScopedEnvironment.h"
#include "support/ScriptedUserInterface.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

struct WorldSetup {
    bool mailClient = true;       // two identities, a store folder, the first one protected
    bool scriptedUser = true;     // a ScriptedUserInterface that the workflows ask
    bool inMemory = false;        // temporary folders in /dev/shm, where a flush costs nothing
    std::string applicationName;  // the settings' program name; empty: the default one
    int level = SecurityHigh;
    std::string password;
    // The registry, the folders and the settings only: identities as a test adds them.
    static WorldSetup Bare() {
        WorldSetup setup;
        setup.mailClient = false;
        return setup;
    }
};

// What a test compares before and after: the whole Identities key, the message files
// of the store folder (name -> bytes) and the names in the documents folder.
struct WorldState {
    TreeKey identities;
    std::map<std::string, std::string> store;
    std::vector<std::string> documents;  // sorted
    bool operator==(const WorldState& o) const {
        return identities == o.identities && store == o.store && documents == o.documents;
    }
};

inline void PrintTo(const WorldState& s, std::ostream* out) {
    *out << "documents:";
    for (const auto& name : s.documents) *out << " " << name;
    *out << "\nstore:";
    for (const auto& [name, bytes] : s.store) *out << " " << name << "(" << bytes.size() << ")";
    *out << "\nidentities: " << ::testing::PrintToString(s.identities);
}

// How a hide or restore ended: whether it completed, and the reason the result page
// would give.
struct Outcome {
    bool ok = false;
    int result = 0;
};

class World {
public:
    static constexpr const char* kGuard = "{6A1C2E40-0B7D-4E59-9C1A-3F0D2B7E5A11}";
    static constexpr const char* kOther = "{0F3B9D22-7C41-4A8E-B6D5-91E2C4A07B33}";
    using ShredObserver = std::function<void(const std::string& path, const uint8_t* data, size_t size)>;

    explicit World(const WorldSetup& setup = {});
    // One world for the whole life of a process (a fuzzer): no mail client, nobody to
    // answer; taken down at exit.
    static World& ProcessWide();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Building. An identity the mail client lists: key, "Username", "User ID" and a
    // store folder in its version key (an empty storeRoot: %UserProfile%/<username>).
    void AddIdentity(const std::string& keyName, const std::string& username, const std::string& userId = "",
                     const std::string& storeRoot = "");
    void SetLevel(int level);
    void SetPassword(const std::string& password);
    // Chooses keyName as the protected identity and puts a container in place.
    void MarkHidden(const std::string& keyName);
    // Makes every registry value write fail, as a full disk would, or work again. Only
    // the registry stand-in can be told to; the tests that need it are Linux's alone.
    static bool CanRefuseRegistryValueWrites();
    void RefuseRegistryValueWrites(bool refuse);

    // Places.
    std::string Documents() const { return documents_; }
    std::string StoreFolder() const { return store_; }
    std::string StorePath(const std::string& name) const { return store_ + "/" + name; }
    // The path under which a hide records a store file of the protected identity: its
    // store folder as the program expands it, this system's separator, the name.
    std::string RecordedFolder() const;
    std::string RecordedPath(const std::string& name) const;
    std::string ContainerPath() const { return documents_ + platform::kPathSeparator + kGuard + ".dat"; }
    std::string AuthPath() const { return home.file("auth.dat"); }
    bool Listed() const;

    // State.
    std::map<std::string, std::string> StoreFiles() const;    // every regular file
    std::map<std::string, std::string> MessageFiles() const;  // without notes.txt
    std::vector<std::string> DocumentEntries() const;
    WorldState Now() const {
        WorldState s{TreeKey(), MessageFiles(), DocumentEntries()};
        ReadTree("Identities", s.identities);
        return s;
    }
    void DeleteIdentities();  // the whole Identities key
    // The message files as the world made them.
    const std::map<std::string, std::string>& original() const { return original_; }

    // The workflows. The scripted user answers `first` to the opening question, then
    // the later answers in turn.
    Outcome Hide(const std::vector<int>& later = {}, int first = MessageAnswer::Yes) { return Run(true, later, first); }
    Outcome Restore(const std::vector<int>& later = {}, int first = MessageAnswer::Yes) {
        return Run(false, later, first);
    }
    void CleanLeftovers();
    // The checks a restore makes before it writes, with nobody to answer.
    static bool CheckContainer();
    int LastResult() const;
    void SetLastResult(int result);
    void OnShred(ShredObserver observer);
    static std::string StreamName(size_t index);
    static uint64_t MaxStoreBytes();

    // Whole-world copies for runs that are killed: Save remembers the registry, the
    // store folder and the documents folder; Reset puts them back exactly.
    void Save();
    void Reset();
    // Closing the last connection folds the write-ahead log into the database, and the
    // next read recovers what a killed writer left.
    static void CloseRegistry();
    // The password the world was made with.
    const std::string& Password() const { return setup_.password; }
    // Names the watched place a path belongs to; empty for anything else.
    std::string Classify(const std::string& path) const;

    // Used by builders outside the tests (bench_world) as well: they write into the
    // registry the environment names.
    static bool WriteIdentity(const std::string& keyName, const std::string& username, const std::string& userId,
                              const std::string& storeRoot);
    static bool PointAt(const std::string& userId, const std::string& username);
    static bool Protect(const std::string& keyName, int level);

private:
    struct Temp {
        explicit Temp(bool inMemory);
        ScopedEnvironment environment;
    };
    void BuildMailClient();
    // With a documents folder shared with the rest of the system: whether an entry is
    // one of the world's identities' files, which it lists and clears.
    bool OwnsDocument(const std::string& name) const;
    void ClearSharedDocuments();
    // The request the page commands would make now, with the world's shred observer.
    RunRequest Request() const;
    // What Save copies: each live folder and its name in the copy.
    std::vector<std::pair<std::string, std::string>> SavedPlaces() const {
        return {{registryFolder_, "/registry"}, {store_, "/store"}, {documents_, "/documents"}};
    }
    Outcome Run(bool hide, const std::vector<int>& later, int first);

    Temp temp_;

public:
    TempRegistry registry;
    TempDir home;
    TempDir profile;
    ScopedEnvironment environment;
    std::unique_ptr<ScriptedUserInterface> ui;

private:
    WorldSetup setup_;
    std::string documents_;
    bool sharedDocuments_ = false;
    std::string store_;
    std::string guardStoreRoot_;  // the protected identity's "Store Root" as the world wrote it
    std::string registryFolder_;
    std::map<std::string, std::string> original_;
    std::optional<TempDir> saved_;
    ShredObserver onShred_;
};

// A test whose world is the mail client's, remembered as it was made.
class WorldTest : public ::testing::Test {
protected:
    explicit WorldTest(const WorldSetup& setup = {}) : world(setup), before(world.Now()) {}
    World world;
    WorldState before;
    ScriptedUserInterface& ui = *world.ui;
};
