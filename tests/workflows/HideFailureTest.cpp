// Every way out of a hide that does not complete: what is left of the container, the
// plain files and the registry, and what the result page will say.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>

#include "WorkflowFixture.h"
#include "identities/IdentityCatalogue.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "base/OperationResult.h"
#include "store/StoreWorkflows.h"
#include "support/CommandOutput.h"
#include "support/ScopedFileSizeLimit.h"

namespace {

class HideFailureTest : public WorkflowTest {
protected:
    // Nothing at all has changed: no container (nor a leftover), files and registry as before.
    void ExpectNothingChanged() {
        EXPECT_TRUE(DocumentsEntries().empty());
        EXPECT_EQ(MessageFilesOnDisk(), original_);
        EXPECT_EQ(Snapshot(), registryBefore_);
        EXPECT_EQ(ui_.openWindows, 0);
    }
};

TEST_F(HideFailureTest, DeclinedQuestionChangesNothing) {
    ui_.QueueAnswer(IDNO);
    EXPECT_FALSE(HideIdentity(StoreRoot()));
    EXPECT_EQ(OperationResult, ResultCanceled);
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, QuestionNamesTheIdentityAndListsWhatTheLevelDoes) {
    SetLevel(SecurityHigh);
    ui_.QueueAnswer(IDNO);
    HideIdentity(StoreRoot());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "You are about to hide an identity: \"Work\"\r\nSecurity mode is HIGH. Following action(s) will be "
              "performed:\r\n- Identity will be hidden for Outlook Express\r\n- message store will be encrypted "
              "and hidden\r\n- original unencrypted message store files will be SHREDDED\r\n\r\nAre you sure you "
              "want to continue?");
    EXPECT_EQ(ui_.messages[0].style, MB_YESNO | MB_ICONQUESTION);

    SetLevel(SecurityLow);
    ui_.QueueAnswer(IDNO);
    HideIdentity(StoreRoot());
    EXPECT_NE(ui_.messages[1].text.find("Security mode is LOW."), std::string::npos);
    EXPECT_NE(ui_.messages[1].text.find("- message store will be left UNENCRYPTED\r\n\r\n\r\nAre you"),
              std::string::npos);
}

TEST_F(HideFailureTest, ExistingContainerIsLeftAlone) {
    WriteWholeFile(ContainerPath(), "someone else's container");
    EXPECT_FALSE(Hide());
    EXPECT_EQ(OperationResult, ResultAlreadyHidden);
    EXPECT_EQ(ReadWholeFile(ContainerPath()), "someone else's container");
    EXPECT_EQ(Snapshot(), registryBefore_);
}

TEST_F(HideFailureTest, RegistryBackupThatCannotBeTakenChangesNothing) {
    const int position = FindIdentity(kGuard);
    const std::string storeRoot = GetIdentity(static_cast<size_t>(position)).StoreRoot;
    // The key vanished after the catalogue was loaded.
    RegistryKey identities;
    ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, MailClient::kIdentitiesKey, KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kGuard));
    registryBefore_ = Snapshot();
    ui_.QueueAnswer(IDYES);
    EXPECT_FALSE(HideIdentity(storeRoot));
    EXPECT_EQ(OperationResult, ResultRegistryError);
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, StoreFileHeldByAnotherProgramStopsBeforeAnythingChanges) {
    platform::File held = platform::File::Open(StorePath("Folders.DBX"), platform::File::Mode::Read);
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_NE(ui_.messages[1].text.find("Folders.DBX"), std::string::npos);  // the file layer's report
    held.Close();
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, StoreWithoutMessageFilesIsReported) {
    SetLevel(SecurityMedium);
    for (const auto& [name, bytes] : original_) std::filesystem::remove(StorePath(name));
    original_.clear();
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_EQ(ui_.messages.back().text, "Unable to open the Message Store");
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, CancelConfirmedWhileEncryptingKeepsThePlainStore) {
    ui_.CancelAtRequest(3);
    EXPECT_FALSE(Hide({IDYES}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_EQ(ui_.messages.back().text, "Are you sure you want to cancel?");
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, CancelDeclinedWhileEncryptingGoesOn) {
    ui_.CancelAtRequest(2);
    EXPECT_TRUE(Hide({IDNO}));
    EXPECT_TRUE(IsIdentityHidden());
    ui_.messages.clear();
    ASSERT_TRUE(Restore());
    EXPECT_EQ(MessageFilesOnDisk(), original_);
}

TEST_F(HideFailureTest, ContainerThatCannotBeWrittenKeepsThePlainStoreAndSaysWhy) {
    {
        ScopedFileSizeLimit diskFull(64 * 1024);
        EXPECT_FALSE(Hide({IDOK}));
    }
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_NE(ui_.messages.back().text.find("could not be copied"), std::string::npos);
    EXPECT_NE(ui_.messages.back().text.find(DocumentsFolder()), std::string::npos) << ui_.messages.back().text;
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, ContainerThatDoesNotReadBackAsWrittenErasesNothing) {
    // The disk returns other bytes than were written: the hide's own check finds it.
    ui_.onStatus = [this](const std::string& status) {
        if (status != "Checking protected container") return;
        std::string bytes = ReadWholeFile(ContainerPath());
        bytes[bytes.size() / 2] ^= 1;  // inside the enciphered mail
        std::filesystem::permissions(ContainerPath(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        WriteWholeFile(ContainerPath(), bytes);
    };
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_NE(ui_.messages.back().text.find("did not pass its check"), std::string::npos);
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, WhatARestoreWouldRefuseIsRefusedUpFront) {
    struct Case {
        const char* what;
        std::function<void()> make;
        int result;
        const char* said;  // a part of the last message
    };
    const Case cases[] = {
        {"a store file that is a link to a file outside the store",
         [this] { std::filesystem::create_symlink(home_.file("elsewhere.dbx"), StorePath("Link.dbx")); },
         ResultCopyError, "Link.dbx"},
        {"a store file that is a pipe",
         [this] { ASSERT_EQ(0, ::mkfifo(StorePath("Pipe.dbx").c_str(), 0600)); }, ResultCopyError,
         "Pipe.dbx"},
        {"a store file name with a newline",
         [this] { WriteWholeFile(StorePath("In\nbox.dbx"), "x"); }, ResultCopyError,
         "control characters"},
        {"a registry key deeper than a restore accepts",
         [this] {
             std::string path = IdentityPath(kGuard);
             for (int level = 0; level < 600; ++level) path += "\\k";
             CreateKeyPath(path);
         },
         ResultRegistryError, "too deep"},
        {"a key name that is not a plain file name",
         [this] {
             const std::string bad = "../../escaped";
             AddIdentity(bad, "Escaped", "escaped-id", "%userprofile%/Mail/Store {6A1C}");
             SetGuardId(bad);
             LoadIdentities();
         },
         ResultRegistryError, "cannot name a file"},
    };
    const std::string guard = GetGuardId();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(home_.file("elsewhere.dbx"), "not ours");
        c.make();
        const auto filesBefore = StoreFilesOnDisk();
        registryBefore_ = Snapshot();
        ui_.QueueAnswer(IDYES);
        ui_.QueueAnswer(IDOK);
        EXPECT_FALSE(HideIdentity(StoreRoot()));
        EXPECT_EQ(OperationResult, c.result);
        EXPECT_NE(ui_.messages.back().text.find(c.said), std::string::npos) << ui_.messages.back().text;
        EXPECT_TRUE(DocumentsEntries().empty());
        EXPECT_EQ(StoreFilesOnDisk(), filesBefore);
        EXPECT_EQ(Snapshot(), registryBefore_);
        EXPECT_EQ(ReadWholeFile(home_.file("elsewhere.dbx")), "not ours");
        EXPECT_TRUE(CommandOutput("find '" + home_.path() + "' '" + profile_.path() + "' -newer '" +
                                  home_.file("elsewhere.dbx") + "' -name '*escaped*'").empty());
        // The next case starts from the test's own world.
        for (const char* name : {"Link.dbx", "Pipe.dbx", "In\nbox.dbx"}) std::filesystem::remove(StorePath(name));
        SetGuardId(guard);
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, IdentityPath(kGuard), KEY_ALL_ACCESS));
        key.DeleteSubtree("k");
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, MailClient::kIdentitiesKey, KEY_ALL_ACCESS));
        key.DeleteSubtree("../../escaped");
        LoadIdentities();
    }
}

TEST_F(HideFailureTest, HalfWrittenContainerLeftByACrashIsHarmless) {
    // What a crash in the middle of writing leaves: not the container, so nothing is
    // hidden, and the next hide removes it.
    WriteWholeFile(DocumentsFolder() + "/" + kGuard + ".tmp", "half a container");
    WriteWholeFile(DocumentsFolder() + "/" + kGuard + ".0a1b2c3d.tmp", "half a container");
    WriteWholeFile(DocumentsFolder() + "/mine.tmp", "the user's own");
    EXPECT_FALSE(IsIdentityHidden());
    ASSERT_TRUE(Hide());
    auto entries = DocumentsEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"mine.tmp", std::string(kGuard) + ".dat"}));
    ASSERT_TRUE(Restore());
    EXPECT_EQ(MessageFilesOnDisk(), original_);
}

TEST_F(HideFailureTest, TextsTooLongForTheContainerAreRefusedUpFront) {
    SetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, std::string(256, 'n'));
    registryBefore_ = Snapshot();
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultRegistryError);
    EXPECT_NE(ui_.messages.back().text.find("too long"), std::string::npos);
    ExpectNothingChanged();

    SetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, std::string(255, 'n'));
    EXPECT_TRUE(Hide());  // 255 characters and the zero fit
}

TEST_F(HideFailureTest, ContainerPathOf260CharactersIsRefusedUpFront) {
    // Point the documents folder at a path that makes the container path 260 long.
    const std::string base = home_.path() + "/d";
    const size_t name = std::string(kGuard).size() + 5;  // "/" + guard + ".dat"
    const std::string folder = base + std::string(260 - name - base.size(), 'x');
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(home_.path() + "/config");
    WriteWholeFile(home_.path() + "/config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + folder + "\"\n");
    ASSERT_EQ(GetContainerPath().size(), 260u);
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_NE(ui_.messages.back().text.find("too long"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, StoreFolderThatCouldNotBePutBackIsRefusedUpFront) {
    // A folder reached through ".." works for the hide, but no restore would accept it.
    SetText(IdentityPath(kGuard) + "\\" + MailClient::kClientSoftwareKey + "\\5.0", MailClient::kStoreRootValue,
            "%userprofile%/Mail/../Mail/Store {6A1C}");
    LoadIdentities();
    registryBefore_ = Snapshot();
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_NE(ui_.messages.back().text.find(".."), std::string::npos);
    ExpectNothingChanged();
}

TEST_F(HideFailureTest, StoreOf2GiBIsRefusedUpFront) {
    // A sparse file: 2 GiB in size without the disk space.
    {
        platform::File big = platform::File::Open(StorePath("Huge.dbx"), platform::File::Mode::CreateWrite);
        big.Seek(CStoreOperation::kMaxStoreBytes - 285536 - 1);
        big.Write("x", 1);
    }
    EXPECT_FALSE(Hide({IDOK}));
    EXPECT_EQ(OperationResult, ResultCopyError);
    EXPECT_NE(ui_.messages.back().text.find("2 GB"), std::string::npos);
    EXPECT_TRUE(DocumentsEntries().empty());
    EXPECT_EQ(Snapshot(), registryBefore_);
    std::filesystem::remove(StorePath("Huge.dbx"));
}

TEST_F(HideFailureTest, IdentityThatCannotBeRemovedIsPutBackAndTheHideUndone) {
    // The registry loses the Identities key while the store is being erased, so the
    // identity cannot be removed afterwards.
    bool struck = false;
    CStoreOperation::SetShredObserver([&struck](const std::string&, const uint8_t*, size_t) {
        if (std::exchange(struck, true)) return;
        RegistryKey root;
        ASSERT_EQ(ERROR_SUCCESS, root.Open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, root.DeleteSubtree(MailClient::kIdentitiesKey));
    });
    EXPECT_FALSE(Hide());
    EXPECT_EQ(OperationResult, ResultRegistryError);
    EXPECT_FALSE(IsIdentityHidden());
    EXPECT_TRUE(DocumentsEntries().empty());
    EXPECT_EQ(MessageFilesOnDisk(), original_);
    // The protected identity's key and the pointers are back; the other identity was
    // lost with the key, which is not ours to bring back.
    TreeKey guard, guardBefore = registryBefore_.identities.subkeys.at(kGuard);
    ASSERT_TRUE(ReadTree(IdentityPath(kGuard), guard));
    EXPECT_EQ(guard, guardBefore);
}

TEST_F(HideFailureTest, HideThatCannotBeUndoneKeepsTheContainerForALaterRestore) {
    // While the store is being erased the registry loses the Identities key and the
    // store folder moves away: the identity cannot be removed, and putting the files
    // back fails too. The container must then stay, complete.
    const std::string moved = StoreFolder() + ".moved";
    bool struck = false;
    CStoreOperation::SetShredObserver([&](const std::string&, const uint8_t*, size_t) {
        if (std::exchange(struck, true)) return;
        RegistryKey root;
        ASSERT_EQ(ERROR_SUCCESS, root.Open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, root.DeleteSubtree(MailClient::kIdentitiesKey));
        std::filesystem::rename(StoreFolder(), moved);
    });
    EXPECT_FALSE(Hide({IDOK, IDOK, IDOK}));
    EXPECT_EQ(OperationResult, ResultRegistryError);
    EXPECT_NE(ui_.messages.back().text.find("protected container"), std::string::npos);
    ASSERT_TRUE(IsIdentityHidden());

    std::filesystem::remove_all(moved);
    std::filesystem::create_directories(StoreFolder());
    ASSERT_TRUE(Restore());
    auto files = StoreFilesOnDisk();
    EXPECT_EQ(files, original_);
    TreeKey guard;
    ASSERT_TRUE(ReadTree(IdentityPath(kGuard), guard));
    EXPECT_EQ(guard, registryBefore_.identities.subkeys.at(kGuard));
}

}  // namespace
