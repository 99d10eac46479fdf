// A whole private world for one hide/restore test: an empty registry, a home with its
// own documents folder (where the container goes), two identities of the mail client
// with a rich registry key and a message store on disk, and a scripted user.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>

#include "RegistryTree.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/ScriptedUserInterface.h"

// Everything the registry holds about the identities, for before/after comparisons.
struct RegistrySnapshot {
    TreeKey identities;  // the whole Identities key, pointer values and all identities
    bool operator==(const RegistrySnapshot& o) const { return identities == o.identities; }
};

class WorkflowTest : public ::testing::Test {
protected:
    static constexpr const char* kGuard = "{6A1C2E40-0B7D-4E59-9C1A-3F0D2B7E5A11}";
    static constexpr const char* kOther = "{0F3B9D22-7C41-4A8E-B6D5-91E2C4A07B33}";

    WorkflowTest();
    ~WorkflowTest() override;

    void SetLevel(int level);
    void SetPassword(const std::string& password);

    // The store files as the test made them: name -> bytes.
    std::map<std::string, std::string> StoreFilesOnDisk() const;
    // The same without notes.txt, the one file of the folder that is not part of the store.
    std::map<std::string, std::string> MessageFilesOnDisk() const;
    std::string StorePath(const std::string& name) const { return storeFolder_ + "/" + name; }
    const std::string& StoreFolder() const { return storeFolder_; }
    RegistrySnapshot Snapshot() const;
    std::string ContainerPath() const;
    std::string DocumentsFolder() const { return home_.path() + "/Documents"; }
    // Every file name in the documents folder.
    std::vector<std::string> DocumentsEntries() const;
    bool IdentityListed() const;
    // The protected identity's "Store Root" as the catalogue has it.
    std::string StoreRoot() const;

    // Puts the Identities key back as the test made it.
    void PutRegistryBack();
    // Makes every registry value write fail, as a full disk would, or work again.
    void RefuseRegistryValueWrites(bool refuse);

    // Hide and restore, answering Yes to their question and then the given answers.
    bool Hide(std::initializer_list<int> laterAnswers = {});
    bool Restore(std::initializer_list<int> laterAnswers = {});

    TempRegistry registry_;
    TempDir home_;
    TempDir profile_;
    ScopedEnvironment environment_;
    std::string storeFolder_;
    std::map<std::string, std::string> original_;
    RegistrySnapshot registryBefore_;
    ScriptedUserInterface ui_;
};

std::string RandomBytes(size_t size, unsigned seed);
