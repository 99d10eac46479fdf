#include <errno.h>
#include <fcntl.h>

#include <unordered_map>

#include "CompoundFileReader.h"
#include "GsfSupport.h"
#include "InStreamImpl.h"
#include "PosixFiles.h"

namespace platform {

struct InStorage::Impl {
    std::shared_ptr<const CompoundFileReader> file;
    // StreamNameKey of each stream of the root -> its place in RootEntries. Should a
    // damaged file name two streams alike, the first in directory order is found.
    std::unordered_map<std::string, size_t> streams;
};

InStorage::InStorage() = default;
InStorage::~InStorage() = default;
InStorage::InStorage(InStorage&&) noexcept = default;
InStorage& InStorage::operator=(InStorage&&) noexcept = default;

StorageStatus InStorage::Open(const std::string& path) {
    Release();
    // A shared lock: other readers may open the file, no writer of ours may. A link
    // at path is not followed, and a pipe must not keep the open waiting for a writer.
    UniqueFd fd(OpenLocked(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0, LockKind::Shared));
    if (!fd) return StorageStatusFromOpenErrno(path, errno);
    auto impl = std::make_unique<Impl>();
    StorageStatus status = CompoundFileReader::Open(std::move(fd), impl->file);
    if (!StorageSucceeded(status)) return status;
    const std::vector<CompoundFileReader::DirectoryEntry>& entries = impl->file->RootEntries();
    impl->streams.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type == CompoundFileReader::EntryType::Stream) {
            impl->streams.emplace(StreamNameKey(entries[i].name), i);
        }
    }
    impl_ = std::move(impl);
    return kStorageOk;
}

StorageStatus InStorage::OpenStream(const std::string& name, InStream& stream) {
    stream.Release();
    if (!IsOpen()) return kStorageReverted;
    if (!IsValidStreamName(name)) return kStorageInvalidName;
    auto found = impl_->streams.find(StreamNameKey(name));
    if (found == impl_->streams.end()) return kStorageFileNotFound;
    const CompoundFileReader::DirectoryEntry& entry = impl_->file->RootEntries()[found->second];
    auto streamImpl = std::make_unique<InStream::Impl>();
    StorageStatus status = impl_->file->StreamExtents(entry, streamImpl->extents);
    if (!StorageSucceeded(status)) return status;
    streamImpl->file = impl_->file;
    streamImpl->size = entry.size;
    stream.impl_ = std::move(streamImpl);
    return kStorageOk;
}

std::vector<InStorage::Entry> InStorage::Entries() const {
    std::vector<Entry> entries;
    if (!IsOpen()) return entries;
    for (const CompoundFileReader::DirectoryEntry& entry : impl_->file->RootEntries()) {
        entries.push_back({entry.name, entry.type == CompoundFileReader::EntryType::Stream});
    }
    return entries;
}

void InStorage::Release() { impl_.reset(); }

bool InStorage::IsOpen() const { return impl_ && impl_->file; }

}  // namespace platform
