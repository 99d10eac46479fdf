#include "support/World.h"

#include <filesystem>
#include <random>

#include "app/PageCommands.h"
#include "base/OperationResult.h"
#include "base/SilentUserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "password/PasswordRecord.h"
#include "platform/File.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "store/ContainerReader.h"
#include "store/ExpandStorePath.h"
#include "store/StoreWorkflows.h"
#include "support/SystemFaults.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(gen());
    return bytes;
}

bool Below(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// Copies every regular file of one folder into another that has been emptied first;
// permission bits go along (a hidden container is read-only).
void Mirror(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(to)) {
        if (entry.is_regular_file() || entry.is_symlink()) fs::remove(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(from)) {
        if (!entry.is_regular_file()) continue;
        const fs::path target = fs::path(to) / entry.path().filename();
        fs::copy_file(entry.path(), target);
        fs::permissions(target, fs::status(entry.path()).permissions());
    }
}

}  // namespace

World::Temp::Temp(bool inMemory) {
    std::error_code ec;
    if (inMemory && fs::is_directory("/dev/shm", ec)) environment.Set("TMPDIR", "/dev/shm");
}

World::World(const WorldSetup& setup) : temp_(setup.inMemory), setup_(setup) {
    environment.Set("HOME", home.path());
    // No user-dirs file: the documents folder is ~/Documents of the private home.
    environment.Set("XDG_CONFIG_HOME", home.path() + "/config");
    environment.Set("USERPROFILE", profile.path());
    environment.Set("VEILBOX_AUTH", AuthPath());
    fs::create_directories(home.path() + "/Documents");
    // Where the program puts a container: the private home's folder on Linux; on Windows
    // the shell's own, which the world shares with every other one (its suite runs
    // alone there) and clears of its identities' files. Canonical, as the kernel names
    // the files a traced program opens.
    documents_ = fs::canonical(platform::GetDocumentsFolder()).string();
    sharedDocuments_ = !Below(documents_, fs::canonical(home.path()).string());
    ClearSharedDocuments();
    registryFolder_ = fs::canonical(fs::path(registry.path()).parent_path()).string();
    if (setup.scriptedUser) ui = std::make_unique<ScriptedUserInterface>();
    if (setup.applicationName.empty()) environment.Unset(kApplicationNameVariable);
    else environment.Set(kApplicationNameVariable, setup.applicationName);
    if (setup.mailClient) BuildMailClient();
}

World& World::ProcessWide() {
    WorldSetup setup = WorldSetup::Bare();
    setup.scriptedUser = false;
    static World world(setup);
    return world;
}

World::~World() {
    ClearSharedDocuments();
    OperationResult = ResultUnspecified;
}

bool World::OwnsDocument(const std::string& name) const {
    return !sharedDocuments_ || name.rfind(kGuard, 0) == 0 || name.rfind(kOther, 0) == 0;
}

void World::ClearSharedDocuments() {
    if (!sharedDocuments_) return;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(documents_, ec)) {
        if (!OwnsDocument(entry.path().filename().string())) continue;
        platform::ApplyFileAttributes(entry.path().string(), platform::AttributeNormal);
        fs::remove(entry.path(), ec);
    }
}

void World::BuildMailClient() {
    fs::create_directories(profile.path() + "/Mail/Store {6A1C}");
    store_ = fs::canonical(profile.path() + "/Mail/Store {6A1C}").string();
    // Several 64 KiB chunks in one file, one upper-case extension, a file that ends on
    // a chunk boundary and an empty one.
    original_["Inbox.dbx"] = Bytes(150000, 1);
    original_["Folders.DBX"] = Bytes(70000, 2);
    original_["Deleted Items.dbx"] = Bytes(65536, 3);
    original_["Empty.dbx"] = std::string();
    for (const auto& [name, bytes] : original_) WriteWholeFile(StorePath(name), bytes);
    // Not part of the store: other extensions and folders that merely look like one.
    WriteWholeFile(StorePath("notes.txt"), "keep me");
    fs::create_directories(StorePath("old.dbx"));
    WriteWholeFile(StorePath("old.dbx") + "/Inbox.dbx", "nested");

    AddIdentity(kGuard, "Work", "work-user-id", "%UserProfile%/Mail/Store {6A1C}");
    AddIdentity(kOther, "Home", "home-user-id", "%userprofile%/mail/store {0f3b}");
    // Values of every kind a restore must bring back byte for byte.
    const std::string guard = IdentityPath(kGuard);
    SetText(guard, "", "default value");
    SetValue(guard, "Binary", platform::RegType::Binary, std::string("\x00\xff\x10\x00\x7f", 5));
    SetValue(guard, "Multi", platform::RegType::MultiSz, std::string("one\0two\0\0", 9));
    SetValue(guard, "ZeroLength", platform::RegType::Binary, std::string());
    SetText(guard, "EmptyText", "");
    SetValue(guard, "Counter", platform::RegType::Dword, std::string("\x2a\0\0\0", 4));
    SetValue(guard, "NoZeroText", platform::RegType::Sz, "unterminated");
    SetValue(guard + "\\Level1\\Level2\\Level3", "Deep", platform::RegType::ExpandSz, std::string("%temp%\\x", 8));
    SetValue(guard + "\\Level1", "Big", platform::RegType::Binary, Bytes(70000, 9));
    CreateKeyPath(guard + "\\Level1\\Sibling");
    ASSERT_TRUE(PointAt("work-user-id", "Work") && SetGuardId(kGuard));
    SetLevel(setup_.level);
    SetPassword(setup_.password);
}

bool World::WriteIdentity(const std::string& keyName, const std::string& username, const std::string& userId,
                          const std::string& storeRoot) {
    RegistryKey identity, version;
    return identity.Create(platform::RegKey::CurrentUser, IdentityPath(keyName), platform::KeyAccess::AllAccess) ==
               platform::RegStatus::Success &&
           version.Create(identity.Handle(), std::string(MailClient::kClientSoftwareKey) + "\\5.0",
                          platform::KeyAccess::AllAccess) == platform::RegStatus::Success &&
           WriteText(identity.Handle(), MailClient::kUsernameValue, username) == platform::RegStatus::Success &&
           WriteText(identity.Handle(), MailClient::kUserIdValue, userId) == platform::RegStatus::Success &&
           WriteText(version.Handle(), MailClient::kStoreRootValue, storeRoot) == platform::RegStatus::Success;
}

bool World::PointAt(const std::string& userId, const std::string& username) {
    RegistryKey identities;
    return identities.Create(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey,
                             platform::KeyAccess::AllAccess) == platform::RegStatus::Success &&
           WriteText(identities.Handle(), MailClient::kDefaultUserIdValue, userId) == platform::RegStatus::Success &&
           WriteText(identities.Handle(), MailClient::kLastUserIdValue, userId) == platform::RegStatus::Success &&
           WriteText(identities.Handle(), MailClient::kLastUsernameValue, username) == platform::RegStatus::Success &&
           WriteText(identities.Handle(), MailClient::kStartAsValue, userId) == platform::RegStatus::Success;
}

bool World::Protect(const std::string& keyName, int level) { return SetGuardId(keyName) && SetSecurityLevel(level); }

void World::AddIdentity(const std::string& keyName, const std::string& username, const std::string& userId,
                        const std::string& storeRoot) {
    const std::string root = storeRoot.empty() ? "%UserProfile%/" + username : storeRoot;
    if (keyName == kGuard) guardStoreRoot_ = root;
    ASSERT_TRUE(WriteIdentity(keyName, username, userId.empty() ? username + "-id" : userId, root));
}

void World::SetLevel(int level) { ASSERT_TRUE(SetSecurityLevel(level)); }
void World::SetPassword(const std::string& password) { ASSERT_TRUE(::SetPassword(password)); }

void World::MarkHidden(const std::string& keyName) {
    ASSERT_TRUE(SetGuardId(keyName));
    WriteWholeFile(GetContainerPath(), "container");
    ASSERT_TRUE(IsIdentityHidden());
}

bool World::CanRefuseRegistryValueWrites() { return ::CanRefuseRegistryValueWrites(); }

void World::RefuseRegistryValueWrites(bool refuse) { ASSERT_TRUE(::RefuseRegistryValueWrites(registry.path(), refuse)); }

std::string World::RecordedFolder() const { return ExpandStorePath(guardStoreRoot_); }

std::string World::RecordedPath(const std::string& name) const {
    return RecordedFolder() + platform::kPathSeparator + name;
}

bool World::Listed() const { return IdentityCatalogue::Read().Find(kGuard) >= 0; }

std::map<std::string, std::string> World::StoreFiles() const {
    std::map<std::string, std::string> files;
    if (store_.empty() || !fs::exists(store_)) return files;
    for (const auto& entry : fs::directory_iterator(store_)) {
        if (!entry.is_regular_file()) continue;
        // A sparse giant is compared by its size.
        files[entry.path().filename().string()] = entry.file_size() > (64u << 20)
                                                      ? "<" + std::to_string(entry.file_size()) + " bytes>"
                                                      : ReadWholeFile(entry.path().string());
    }
    return files;
}

std::map<std::string, std::string> World::MessageFiles() const {
    auto files = StoreFiles();
    files.erase("notes.txt");
    return files;
}

std::vector<std::string> World::DocumentEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(documents_)) {
        if (OwnsDocument(entry.path().filename().string())) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void World::DeleteIdentities() {
    RegistryKey root;
    ASSERT_EQ(platform::RegStatus::Success,
              root.Open(platform::RegKey::CurrentUser, "", platform::KeyAccess::AllAccess));
    ASSERT_EQ(platform::RegStatus::Success, root.DeleteSubtree(MailClient::kIdentitiesKey));
}

RunRequest World::Request() const {
    RunRequest request = MakeRunRequest();
    request.onShredBlock = onShred_;
    return request;
}

Outcome World::Run(bool hide, const std::vector<int>& later, int first) {
    ui->QueueAnswer(first);
    for (int a : later) ui->QueueAnswer(a);
    const RunOutcome outcome = hide ? HideIdentity(Request(), *ui) : RestoreIdentity(Request(), *ui);
    // The page commands keep the code for the result page; so does the world.
    OperationResult = outcome.code();
    return {outcome.succeeded(), outcome.code()};
}

void World::CleanLeftovers() { ::CleanLeftovers(Request()); }

bool World::CheckContainer() {
    SilentUserInterface nobody;
    CStoreOperation run(MakeRunRequest(), nobody);
    return ContainerReader(run).Check().succeeded();
}

int World::LastResult() const { return OperationResult; }
void World::SetLastResult(int result) { OperationResult = result; }
void World::OnShred(ShredObserver observer) { onShred_ = std::move(observer); }
std::string World::StreamName(size_t index) { return CStoreOperation::StreamName(index); }
uint64_t World::MaxStoreBytes() { return CStoreOperation::kMaxStoreBytes; }
void World::CloseRegistry() { platform::RedirectRegistry(""); }

void World::Save() {
    CloseRegistry();
    if (!saved_) saved_.emplace();
    for (const auto& [live, name] : SavedPlaces()) Mirror(live, saved_->path() + name);
}

void World::Reset() {
    CloseRegistry();
    for (const auto& [live, name] : SavedPlaces()) Mirror(saved_->path() + name, live);
}

std::string World::Classify(const std::string& path) const {
    const fs::path extension = fs::path(path).extension();
    if (Below(path, registryFolder_)) return "registry";
    if (path == documents_) return "documents folder";
    if (Below(path, documents_)) {
        if (extension == ".dat") return "container";
        if (extension == ".tmp") return "container temp";
        return "documents";
    }
    if (path == store_) return "store folder";
    if (Below(path, store_)) return extension == ".part" ? "store temp" : "store";
    return std::string();
}
