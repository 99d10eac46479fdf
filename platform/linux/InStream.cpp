#include <algorithm>

#include "GsfCallScope.h"
#include "InStreamImpl.h"

namespace platform {

InStream::InStream() = default;
InStream::~InStream() = default;
InStream::InStream(InStream&&) noexcept = default;
InStream& InStream::operator=(InStream&&) noexcept = default;

StorageStatus InStream::Read(void* data, size_t size, size_t* read) {
    if (read) *read = 0;
    if (!IsOpen()) return kStorageReverted;
    GsfCallScope scope;
    gsf_off_t remaining = gsf_input_remaining(impl_->input.Get());
    size_t count = remaining > 0 ? static_cast<size_t>(std::min<gsf_off_t>(remaining, size)) : 0;
    if (count == 0) return kStorageOk;
    if (!data) return kStorageFailed;
    // libgsf gives nothing rather than part of a read that runs into missing or
    // damaged blocks.
    if (!gsf_input_read(impl_->input.Get(), count, static_cast<guint8*>(data))) return kStorageReadFault;
    if (read) *read = count;
    return kStorageOk;
}

uint64_t InStream::Size() const {
    return IsOpen() ? static_cast<uint64_t>(gsf_input_size(impl_->input.Get())) : 0;
}

void InStream::Release() { impl_.reset(); }

bool InStream::IsOpen() const { return impl_ && impl_->input; }

}  // namespace platform
