#include "OutStreamImpl.h"
#include "OutputSession.h"

namespace platform {

struct OutStorage::Impl {
    std::shared_ptr<OutputSession> session;
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
    std::shared_ptr<OutputSession> session;
    StorageStatus status = OutputSession::Create(path, session);
    if (!StorageSucceeded(status)) return status;
    impl_ = std::make_unique<Impl>();
    impl_->session = std::move(session);
    return kStorageOk;
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
