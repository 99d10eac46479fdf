#include "WorkflowFixture.h"

#include <cstdlib>
#include <filesystem>
#include <random>

#include "identities/IdentityCatalogue.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "support/CommandOutput.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "store/StoreWorkflows.h"

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(gen());
    return bytes;
}

namespace {

std::string Text(const std::string& s) { return std::string(s.c_str(), s.size() + 1); }

}  // namespace

WorkflowTest::WorkflowTest() {
    environment_.Set("HOME", home_.path());
    // No user-dirs file: the documents folder is ~/Documents of the private home.
    environment_.Set("XDG_CONFIG_HOME", home_.path() + "/config");
    environment_.Set("USERPROFILE", profile_.path());
    std::filesystem::create_directories(DocumentsFolder());

    storeFolder_ = profile_.path() + "/Mail/Store {6A1C}";
    std::filesystem::create_directories(storeFolder_);
    original_["Inbox.dbx"] = RandomBytes(150000, 1);
    original_["Folders.DBX"] = RandomBytes(70000, 2);
    original_["Deleted Items.dbx"] = RandomBytes(65536, 3);
    original_["Empty.dbx"] = std::string();
    for (const auto& [name, bytes] : original_) WriteWholeFile(StorePath(name), bytes);
    // Not part of the store: other extensions and folders that merely look like one.
    WriteWholeFile(StorePath("notes.txt"), "keep me");
    std::filesystem::create_directories(StorePath("old.dbx"));
    WriteWholeFile(StorePath("old.dbx") + "/Inbox.dbx", "nested");

    const std::string guardPath = IdentityPath(kGuard);
    AddIdentity(kGuard, "Work", "work-user-id", "%UserProfile%/Mail/Store {6A1C}");
    AddIdentity(kOther, "Home", "home-user-id", "%userprofile%/mail/store {0f3b}");
    // Values of every kind the restore must bring back byte for byte.
    SetValue(guardPath, "", REG_SZ, Text("default value"));
    SetValue(guardPath, "Binary", REG_BINARY, std::string("\x00\xff\x10\x00\x7f", 5));
    SetValue(guardPath, "Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    SetValue(guardPath, "ZeroLength", REG_BINARY, std::string());
    SetValue(guardPath, "EmptyText", REG_SZ, std::string("\0", 1));
    SetValue(guardPath, "Counter", REG_DWORD, std::string("\x2a\0\0\0", 4));
    SetValue(guardPath, "NoZeroText", REG_SZ, "unterminated");
    SetValue(guardPath + "\\Level1\\Level2\\Level3", "Deep", REG_EXPAND_SZ, Text("%temp%\\x"));
    SetValue(guardPath + "\\Level1", "Big", REG_BINARY, RandomBytes(70000, 9));
    CreateKeyPath(guardPath + "\\Level1\\Sibling");
    SetText(MailClient::kIdentitiesKey, MailClient::kDefaultUserIdValue, "work-user-id");
    SetText(MailClient::kIdentitiesKey, MailClient::kLastUserIdValue, "work-user-id");
    SetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, "Work");
    SetText(MailClient::kIdentitiesKey, MailClient::kStartAsValue, "work-user-id");

    SetGuardId(kGuard);
    SetLevel(SecurityHigh);
    SetAuthRecordPathForTesting(home_.file("auth.dat"));
    SetPassword("");
    LoadIdentities();
    registryBefore_ = Snapshot();
}

WorkflowTest::~WorkflowTest() {
    CStoreOperation::SetShredObserver(nullptr);
}

void WorkflowTest::SetLevel(int level) { ASSERT_TRUE(SetSecurityLevel(level)); }

void WorkflowTest::SetPassword(const std::string& password) { ASSERT_TRUE(::SetPassword(password)); }

std::map<std::string, std::string> WorkflowTest::StoreFilesOnDisk() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(storeFolder_)) {
        if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    }
    return files;
}

std::map<std::string, std::string> WorkflowTest::MessageFilesOnDisk() const {
    auto files = StoreFilesOnDisk();
    files.erase("notes.txt");
    return files;
}

RegistrySnapshot WorkflowTest::Snapshot() const {
    RegistrySnapshot s;
    ReadTree(MailClient::kIdentitiesKey, s.identities);
    return s;
}

std::string WorkflowTest::ContainerPath() const { return DocumentsFolder() + "/" + kGuard + ".dat"; }

std::vector<std::string> WorkflowTest::DocumentsEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DocumentsFolder())) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

bool WorkflowTest::IdentityListed() const {
    LoadIdentities();
    return FindIdentity(kGuard) >= 0;
}

std::string WorkflowTest::StoreRoot() const {
    const int position = FindIdentity(kGuard);
    EXPECT_GE(position, 0);
    return position < 0 ? std::string() : GetIdentity(static_cast<size_t>(position)).StoreRoot;
}

void WorkflowTest::PutRegistryBack() {
    RegistryKey identities;
    ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, MailClient::kIdentitiesKey, KEY_ALL_ACCESS));
    identities.DeleteSubtree(kGuard);
    WriteTree(MailClient::kIdentitiesKey, registryBefore_.identities);
    LoadIdentities();
    ASSERT_EQ(Snapshot(), registryBefore_);
}

void WorkflowTest::RefuseRegistryValueWrites(bool refuse) {
    // A trigger in the registry database: the stand-in's own connection sees it at its
    // next statement and reports the write as failed.
    const std::string sql = refuse ? "CREATE TRIGGER full_insert BEFORE INSERT ON vals BEGIN SELECT RAISE(ABORT, 'full'); END;"
                                     "CREATE TRIGGER full_update BEFORE UPDATE ON vals BEGIN SELECT RAISE(ABORT, 'full'); END;"
                                   : "DROP TRIGGER full_insert; DROP TRIGGER full_update;";
    int exitCode = -1;
    CommandOutput("/usr/bin/python3 -c 'import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); c.executescript(sys.argv[2]); "
                  "c.commit()' '" + registry_.path() + "' '" + sql + "'",
                  &exitCode);
    ASSERT_EQ(exitCode, 0);
}

bool WorkflowTest::Hide(std::initializer_list<int> laterAnswers) {
    ui_.QueueAnswer(IDYES);
    for (int a : laterAnswers) ui_.QueueAnswer(a);
    return HideIdentity(StoreRoot());
}

bool WorkflowTest::Restore(std::initializer_list<int> laterAnswers) {
    ui_.QueueAnswer(IDYES);
    for (int a : laterAnswers) ui_.QueueAnswer(a);
    return RestoreIdentity();
}
