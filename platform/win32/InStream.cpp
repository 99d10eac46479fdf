#include "platform/CompoundFile.h"
#include "platform/win32/InStreamImpl.h"

namespace platform {

InStream::InStream() = default;
InStream::~InStream() = default;
InStream::InStream(InStream&&) noexcept = default;
InStream& InStream::operator=(InStream&&) noexcept = default;

StorageStatus InStream::Read(void* data, size_t size, size_t* read) {
    if (read) *read = 0;
    if (!IsOpen()) return kStorageReverted;
    if (size == 0) return kStorageOk;
    if (!data) return kStorageFailed;
    ULONG got = 0;
    // Bytes the file does not hold (a truncated or damaged file) are a read fault, as
    // the stand-in reports them.
    if (FAILED(impl_->stream.Get()->Read(data, static_cast<ULONG>(size), &got))) return kStorageReadFault;
    if (read) *read = got;
    return kStorageOk;
}

uint64_t InStream::Size() const { return IsOpen() ? impl_->size : 0; }

void InStream::Release() { impl_.reset(); }

bool InStream::IsOpen() const { return impl_ && impl_->stream; }

}  // namespace platform
