#include "CrashWorld.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "KillPointTracer.h"
#include "identities/MailClient.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "platform/Registry.h"

namespace fs = std::filesystem;

namespace {

constexpr const char kOther[] = "{0DDBA11A-7E57-4C0D-9E5A-B1A5EDC0FFEE}";
// Given to the program through a pipe only; the test never prints it.
constexpr const char kPassword[] = "kill-me-softly";

std::string Bytes(size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(gen());
    return bytes;
}

std::string Canonical(const std::string& path) { return fs::canonical(path).string(); }

bool Below(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Copies every regular file of one folder into another that has been emptied first;
// permission bits go along (a hidden container is read-only).
void Mirror(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(to)) fs::remove_all(entry.path());
    for (const auto& entry : fs::directory_iterator(from)) {
        if (!entry.is_regular_file()) continue;
        const fs::path target = fs::path(to) / entry.path().filename();
        fs::copy_file(entry.path(), target);
        fs::permissions(target, fs::status(entry.path()).permissions());
    }
}

}  // namespace

CrashWorld::MemoryBackedTemp::MemoryBackedTemp() {
    if (::access("/dev/shm", W_OK) == 0) environment.Set("TMPDIR", "/dev/shm");
}

CrashWorld::CrashWorld(int securityLevel) {
    environment_.Set("HOME", home_.path());
    environment_.Set("XDG_CONFIG_HOME", home_.path() + "/config");
    environment_.Set("USERPROFILE", profile_.path());
    documents_ = home_.path() + "/Documents";
    store_ = profile_.path() + "/Mail/Store {5C0F}";
    fs::create_directories(documents_);
    fs::create_directories(store_);
    documents_ = Canonical(documents_);
    store_ = Canonical(store_);
    registryFolder_ = Canonical(fs::path(registry_.path()).parent_path().string());

    // Several chunks in one file, a file that ends on a chunk boundary, a small one
    // and an empty one.
    originalStore_["Inbox.dbx"] = Bytes(200000, 11);
    originalStore_["Folders.dbx"] = Bytes(65536, 12);
    originalStore_["Sent Items.dbx"] = Bytes(3000, 13);
    originalStore_["Offline.dbx"] = std::string();
    for (const auto& [name, bytes] : originalStore_) WriteWholeFile(store_ + "/" + name, bytes);

    const std::string guardPath = IdentityPath(kGuard);
    AddIdentity(kGuard, "Secret", "secret-user-id", "%UserProfile%/Mail/Store {5C0F}");
    AddIdentity(kOther, "Everyday", "everyday-user-id", "%userprofile%/mail/store {0ddb}");
    SetValue(guardPath, "Binary", REG_BINARY, std::string("\x00\xff\x10\x00\x7f", 5));
    SetValue(guardPath, "Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    SetValue(guardPath + "\\Settings\\Deep", "Counter", REG_DWORD, std::string("\x2a\0\0\0", 4));
    SetValue(guardPath + "\\Settings", "Big", REG_BINARY, Bytes(20000, 14));
    CreateKeyPath(guardPath + "\\Settings\\Empty");
    SetText(MailClient::kIdentitiesKey, MailClient::kDefaultUserIdValue, "secret-user-id");
    SetText(MailClient::kIdentitiesKey, MailClient::kLastUserIdValue, "secret-user-id");
    SetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, "Secret");
    SetText(MailClient::kIdentitiesKey, MailClient::kStartAsValue, "secret-user-id");

    // The settings are the program's own: they live under its file's name.
    SetApplicationName(fs::path(VEILBOX_CLI_PATH).filename().string());
    if (!SetGuardId(kGuard) || !SetSecurityLevel(securityLevel)) throw std::runtime_error("settings not written");
    environment_.Set("VEILBOX_AUTH", home_.file("auth.dat"));
    SetAuthRecordPathForTesting(home_.file("auth.dat"));
    if (!SetPassword(kPassword)) throw std::runtime_error("password not written");

    if (!ReadTree(MailClient::kIdentitiesKey, originalIdentities_)) throw std::runtime_error("no Identities key");
}

CrashWorld::~CrashWorld() {
    SetAuthRecordPathForTesting(std::string());
    SetApplicationName(std::string());
}

void CrashWorld::CloseRegistry() {
    // Closing the last connection also folds the write-ahead log into the database,
    // so the database file alone is the whole registry.
    platform::RedirectRegistry("");
}

void CrashWorld::Save() {
    CloseRegistry();
    Mirror(registryFolder_, saved_.path() + "/registry");
    Mirror(store_, saved_.path() + "/store");
    Mirror(documents_, saved_.path() + "/documents");
}

void CrashWorld::Reset() {
    CloseRegistry();
    Mirror(saved_.path() + "/registry", registryFolder_);
    Mirror(saved_.path() + "/store", store_);
    Mirror(saved_.path() + "/documents", documents_);
}

std::vector<std::string> CrashWorld::CliCommand(const std::string& command) {
    passwordPipe_.emplace(std::string(kPassword) + "\n");
    std::vector<std::string> argv = {VEILBOX_CLI_PATH};
    for (const std::string& option : passwordPipe_->Option()) argv.push_back(option);
    argv.push_back(command);
    return argv;
}

int CrashWorld::RunCli(const std::string& command) {
    CloseRegistry();
    return RunToEnd(CliCommand(command), LogPath());
}

std::string CrashWorld::TakeLog() {
    std::ifstream in(LogPath());
    std::stringstream text;
    text << in.rdbuf();
    fs::remove(LogPath());
    return text.str();
}

std::string CrashWorld::Classify(const std::string& path, const void* context) {
    const auto* world = static_cast<const CrashWorld*>(context);
    if (Below(path, world->registryFolder_)) return "registry";
    if (path == world->documents_) return "documents folder";
    if (Below(path, world->documents_)) {
        if (EndsWith(path, ".dat")) return "container";
        if (EndsWith(path, ".tmp")) return "container temp";
        return "documents";
    }
    if (path == world->store_) return "store folder";
    if (Below(path, world->store_)) return EndsWith(path, ".part") ? "store temp" : "store";
    return std::string();
}

bool CrashWorld::ContainerExists() const { return fs::exists(documents_ + "/" + kGuard + ".dat"); }

std::map<std::string, std::string> CrashWorld::StoreOnDisk() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(store_)) {
        if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    }
    return files;
}

TreeKey CrashWorld::IdentitiesNow() {
    CloseRegistry();
    TreeKey tree;
    ReadTree(MailClient::kIdentitiesKey, tree);
    return tree;
}
