// OutStreamImpl.h is the system's own: linux/ or win32/.
#include "OutStreamImpl.h"

namespace platform {

OutStream::OutStream() = default;
OutStream::~OutStream() { Release(); }
OutStream::OutStream(OutStream&&) noexcept = default;

OutStream& OutStream::operator=(OutStream&& other) noexcept {
    if (this != &other) {
        Release();
        impl_ = std::move(other.impl_);
    }
    return *this;
}

StorageStatus OutStream::Write(const void* data, size_t size, size_t* written) {
    if (written) *written = 0;
    if (!IsOpen()) return kStorageReverted;
    // Nothing to write is a success; some implementations refuse an empty write.
    if (size == 0) return kStorageOk;
    if (!data) return kStorageFailed;
    StorageStatus status = impl_->session->Write(impl_->child.Get(), data, size);
    if (StorageSucceeded(status) && written) *written = size;
    return status;
}

StorageStatus OutStream::Commit() {
    if (!impl_) return kStorageReverted;
    return impl_->session->CloseStream(impl_->child.Get());
}

void OutStream::Release() {
    if (!impl_) return;
    // Every stream is closed before the next one or the root (libgsf needs it); what
    // was written stays in the file. A failure here is remembered by the session and
    // reported by its commit.
    if (impl_->session->IsCurrent(impl_->child.Get())) (void)impl_->session->CloseStream(impl_->child.Get());
    impl_.reset();
}

bool OutStream::IsOpen() const { return impl_ && impl_->session->IsCurrent(impl_->child.Get()); }

}  // namespace platform
