// Both are the system's own: linux/ or win32/.
#include "OutStreamImpl.h"
#include "OutputSession.h"

namespace platform {

struct OutStorage::Impl {
    std::shared_ptr<OutputSession> session;

    static StorageStatus Start(const std::string& path, bool mustBeNew, std::unique_ptr<Impl>& out) {
        std::shared_ptr<OutputSession> session;
        StorageStatus status = OutputSession::Create(path, mustBeNew, session);
        if (!StorageSucceeded(status)) return status;
        out = std::make_unique<Impl>();
        out->session = std::move(session);
        return kStorageOk;
    }
};

OutStorage::OutStorage() = default;
OutStorage::~OutStorage() { Release(); }
OutStorage::OutStorage(OutStorage&&) noexcept = default;

OutStorage& OutStorage::operator=(OutStorage&& other) noexcept {
    if (this != &other) {
        Release();
        impl_ = std::move(other.impl_);
    }
    return *this;
}

StorageStatus OutStorage::Create(const std::string& path) {
    Release();
    return Impl::Start(path, false, impl_);
}

StorageStatus OutStorage::CreateNew(const std::string& path) {
    Release();
    return Impl::Start(path, true, impl_);
}

StorageStatus OutStorage::CreateStream(const std::string& name, OutStream& stream) {
    stream.Release();
    if (!IsOpen()) return kStorageReverted;
    auto streamImpl = std::make_unique<OutStream::Impl>();
    StorageStatus status = impl_->session->NewStream(name, streamImpl->child);
    if (!StorageSucceeded(status)) return status;
    streamImpl->session = impl_->session;
    stream.impl_ = std::move(streamImpl);
    return kStorageOk;
}

StorageStatus OutStorage::Commit() {
    if (!IsOpen()) return kStorageReverted;
    StorageStatus status = impl_->session->Commit();
    impl_.reset();
    return status;
}

void OutStorage::Release() {
    if (!impl_) return;
    impl_->session->Abandon();
    impl_.reset();
}

bool OutStorage::IsOpen() const { return impl_ && impl_->session->IsOpen(); }

}  // namespace platform
