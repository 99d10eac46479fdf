#include "platform/linux/RegistrySession.h"

#include "platform/linux/RegistryFile.h"

namespace {

bool sessionGone = false;

struct SessionHolder {
    RegistrySession session;
    ~SessionHolder() { sessionGone = true; }
};

bool OpenDatabaseAt(const std::string& location, std::shared_ptr<RegistryDatabase>& out) {
    return PrepareRegistryFile(location) && RegistryDatabase::Open(location, out) == platform::RegStatus::Success;
}

}  // namespace

RegistrySession* RegistrySession::Instance() {
    static SessionHolder holder;
    return sessionGone ? nullptr : &holder.session;
}

platform::RegStatus RegistrySession::Resolve(platform::RegKey key, RegistryOpenKey& out) {
    if (key == platform::RegKey::CurrentUser) {
        if (!current_ && !OpenDatabaseAt(Location(), current_)) return platform::RegStatus::RegistryIoFailed;
        out = RegistryOpenKey{current_, RegistryDatabase::kRootKey, platform::KeyAccess::AllAccess};
        return platform::RegStatus::Success;
    }
    auto found = handles_.find(static_cast<uintptr_t>(key));
    if (found == handles_.end()) return platform::RegStatus::InvalidHandle;
    out = found->second;
    return platform::RegStatus::Success;
}

platform::RegKey RegistrySession::Add(RegistryOpenKey key) {
    uintptr_t handle = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(handle, std::move(key));
    return static_cast<platform::RegKey>(handle);
}

platform::RegStatus RegistrySession::Close(platform::RegKey key) {
    if (key == platform::RegKey::CurrentUser) return platform::RegStatus::Success;
    return handles_.erase(static_cast<uintptr_t>(key)) ? platform::RegStatus::Success
                                                       : platform::RegStatus::InvalidHandle;
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

platform::RegStatus ResolveHandle(platform::RegKey key, platform::RegRights needed, RegistryOpenKey& out) {
    RegistrySession* session = RegistrySession::Instance();
    if (!session) return platform::RegStatus::InvalidHandle;
    platform::RegStatus status = session->Resolve(key, out);
    if (status != platform::RegStatus::Success) return status;
    return (out.rights & needed) == needed ? platform::RegStatus::Success : platform::RegStatus::AccessDenied;
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
