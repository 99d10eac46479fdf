#include "platform/CompoundFile.h"
#include "platform/common/StreamNames.h"
#include "platform/win32/InStreamImpl.h"

namespace platform {

namespace {

StorageStatus Status(HRESULT result) { return static_cast<StorageStatus>(static_cast<int32_t>(result)); }

// The modes the written format has always been read with: others may read too, nobody
// may write, and nothing is ever committed.
constexpr DWORD kOpenMode = STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READ;
constexpr DWORD kStreamMode = STGM_SHARE_EXCLUSIVE | STGM_READ;

}  // namespace

struct InStorage::Impl {
    ComRef<IStorage> root;
};

InStorage::InStorage() = default;
InStorage::~InStorage() = default;
InStorage::InStorage(InStorage&&) noexcept = default;
InStorage& InStorage::operator=(InStorage&&) noexcept = default;

StorageStatus InStorage::Open(const std::string& path) {
    Release();
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
        return kStorageAccessDenied;
    }
    auto impl = std::make_unique<Impl>();
    const std::wstring wide = WideName(path);
    HRESULT result = ::StgOpenStorage(wide.c_str(), nullptr, kOpenMode, nullptr, 0, impl->root.Receive());
    if (FAILED(result)) return Status(result);
    impl_ = std::move(impl);
    return kStorageOk;
}

StorageStatus InStorage::OpenStream(const std::string& name, InStream& stream) {
    stream.Release();
    if (!IsOpen()) return kStorageReverted;
    if (!IsValidStreamName(name)) return kStorageInvalidName;
    auto streamImpl = std::make_unique<InStream::Impl>();
    const std::wstring wide = WideName(name);
    HRESULT result = impl_->root.Get()->OpenStream(wide.c_str(), nullptr, kStreamMode, 0, streamImpl->stream.Receive());
    if (FAILED(result)) return Status(result);
    STATSTG stat{};
    result = streamImpl->stream.Get()->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(result)) return Status(result);
    streamImpl->size = stat.cbSize.QuadPart;
    streamImpl->storage = impl_->root;
    stream.impl_ = std::move(streamImpl);
    return kStorageOk;
}

std::vector<InStorage::Entry> InStorage::Entries() const {
    std::vector<Entry> entries;
    if (!IsOpen()) return entries;
    ComRef<IEnumSTATSTG> elements;
    if (FAILED(impl_->root.Get()->EnumElements(0, nullptr, 0, elements.Receive()))) return entries;
    STATSTG stat{};
    while (elements.Get()->Next(1, &stat, nullptr) == S_OK) {
        std::string name;
        for (const wchar_t* c = stat.pwcsName; c && *c; ++c) name += static_cast<char>(*c < 0x80 ? *c : '?');
        entries.push_back({name, stat.type == STGTY_STREAM});
        ::CoTaskMemFree(stat.pwcsName);
    }
    return entries;
}

void InStorage::Release() { impl_.reset(); }

bool InStorage::IsOpen() const { return impl_ && impl_->root; }

}  // namespace platform
