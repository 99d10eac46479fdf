#include "platform/linux/RegistrySession.h"

#include "platform/linux/RegistryFile.h"

namespace {

bool sessionGone = false;

struct SessionHolder {
    RegistrySession session;
    ~SessionHolder() { sessionGone = true; }
};

bool OpenDatabaseAt(const std::string& location, std::shared_ptr<RegistryDatabase>& out) {
    return PrepareRegistryFile(location) && RegistryDatabase::Open(location, out) == ERROR_SUCCESS;
}

}  // namespace

RegistrySession* RegistrySession::Instance() {
    static SessionHolder holder;
    return sessionGone ? nullptr : &holder.session;
}

LONG RegistrySession::Resolve(HKEY key, RegistryOpenKey& out) {
    if (key == HKEY_CURRENT_USER) {
        if (!current_ && !OpenDatabaseAt(Location(), current_)) return ERROR_REGISTRY_IO_FAILED;
        out = RegistryOpenKey{current_, RegistryDatabase::kRootKey, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    auto found = handles_.find(reinterpret_cast<uintptr_t>(key));
    if (found == handles_.end()) return ERROR_INVALID_HANDLE;
    out = found->second;
    return ERROR_SUCCESS;
}

HKEY RegistrySession::Add(RegistryOpenKey key) {
    uintptr_t handle = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(handle, std::move(key));
    return reinterpret_cast<HKEY>(handle);
}

LONG RegistrySession::Close(HKEY key) {
    if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    return handles_.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::string RegistrySession::Location() const {
    return redirect_.empty() ? DefaultRegistryLocation() : redirect_;
}

bool RegistrySession::Redirect(const std::string& location) {
    if (location.empty()) {
        redirect_.clear();
        current_.reset();
        return true;
    }
    std::shared_ptr<RegistryDatabase> database;
    if (!OpenDatabaseAt(location, database)) return false;
    redirect_ = location;
    current_ = std::move(database);
    return true;
}

LONG ResolveHandle(HKEY key, REGSAM needed, RegistryOpenKey& out) {
    RegistrySession* session = RegistrySession::Instance();
    if (!session) return ERROR_INVALID_HANDLE;
    LONG status = session->Resolve(key, out);
    if (status != ERROR_SUCCESS) return status;
    return (out.rights & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

namespace platform {

std::string RegistryLocation() {
    RegistrySession* session = RegistrySession::Instance();
    return session ? session->Location() : DefaultRegistryLocation();
}

bool RedirectRegistry(const std::string& location) {
    RegistrySession* session = RegistrySession::Instance();
    return session && session->Redirect(location);
}

}  // namespace platform
