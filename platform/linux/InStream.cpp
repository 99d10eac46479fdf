#include <algorithm>

#include "InStreamImpl.h"

namespace platform {

InStream::InStream() = default;
InStream::~InStream() = default;
InStream::InStream(InStream&&) noexcept = default;
InStream& InStream::operator=(InStream&&) noexcept = default;

StorageStatus InStream::Read(void* data, size_t size, size_t* read) {
    if (read) *read = 0;
    if (!IsOpen()) return kStorageReverted;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(impl_->size - impl_->position, size));
    if (count == 0) return kStorageOk;
    if (!data) return kStorageFailed;
    const std::vector<CompoundFileReader::Extent>& extents = impl_->extents;
    // The last extent that starts at or before the position holds it.
    auto extent =
        std::upper_bound(extents.begin(), extents.end(), impl_->position,
                         [](uint64_t at, const CompoundFileReader::Extent& e) { return at < e.streamOffset; });
    --extent;
    // All or nothing: a read that runs into bytes the file does not hold gives nothing
    // and leaves the position where it was.
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    for (; done < count; ++extent) {
        const uint64_t within = impl_->position + done - extent->streamOffset;
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(extent->length - within, count - done));
        if (!impl_->file->ReadAt(extent->fileOffset + within, out + done, piece)) return kStorageReadFault;
        done += piece;
    }
    impl_->position += count;
    if (read) *read = count;
    return kStorageOk;
}

uint64_t InStream::Size() const { return IsOpen() ? impl_->size : 0; }

void InStream::Release() { impl_.reset(); }

bool InStream::IsOpen() const { return impl_ && impl_->file; }

}  // namespace platform
