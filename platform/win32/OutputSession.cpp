#include "OutputSession.h"

#include "platform/common/StreamNames.h"
#include "platform/win32/OwnerOnlySecurity.h"
#include "platform/win32/Win32Files.h"

namespace platform {

namespace {

StorageStatus Status(HRESULT result) { return static_cast<StorageStatus>(static_cast<int32_t>(result)); }

// The modes the written format has always been made with: direct, not transacted.
constexpr DWORD kCreateMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreateNewMode = STGM_FAILIFTHERE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kStreamMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;

// Forces the file's bytes to the disk: ole32 leaves that to the system's cache.
bool FlushToDisk(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = ::FlushFileBuffers(file) != 0;
    return ::CloseHandle(file) && flushed;
}

}  // namespace

std::wstring WideName(const std::string& name) {
    if (name.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], length);
    return wide;
}

StorageStatus OutputSession::Create(const std::string& path, bool mustBeNew, std::shared_ptr<OutputSession>& out) {
    // Nothing but a regular file is written, and a link is never followed: the
    // container's secrets would go wherever it points.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (mustBeNew) return kStorageFileAlreadyExists;
        if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
            return kStorageAccessDenied;
        }
    }
    std::shared_ptr<OutputSession> session(new OutputSession());
    const std::wstring wide = WideName(path);
    HRESULT result =
        ::StgCreateDocfile(wide.c_str(), mustBeNew ? kCreateNewMode : kCreateMode, 0, session->root_.Receive());
    if (FAILED(result)) return Status(result);
    session->path_ = path;
    // The container holds the mail: nobody but the user may open it. It is still empty.
    if (!OwnerOnlySecurity().ApplyTo(path)) {
        session->Abandon();
        ::DeleteFileA(path.c_str());
        return kStorageAccessDenied;
    }
    out = std::move(session);
    return kStorageOk;
}

OutputSession::~OutputSession() { Abandon(); }

StorageStatus OutputSession::Remember(StorageStatus status) {
    if (!StorageSucceeded(status) && StorageSucceeded(failure_)) failure_ = status;
    return status;
}

StorageStatus OutputSession::NewStream(const std::string& name, BorrowedStream& stream) {
    if (!IsOpen()) return kStorageReverted;
    if (current_) return kStorageAccessDenied;
    if (!IsValidStreamName(name)) return kStorageInvalidName;
    std::string key = StreamNameKey(name);
    if (names_.count(key) != 0) return kStorageFileAlreadyExists;
    const std::wstring wide = WideName(name);
    HRESULT result = root_.Get()->CreateStream(wide.c_str(), kStreamMode, 0, 0, current_.Receive());
    if (FAILED(result)) return Remember(Status(result));
    currentSize_ = 0;
    names_.insert(std::move(key));
    stream.stream = current_.Get();
    return kStorageOk;
}

StorageStatus OutputSession::Write(IStream* stream, const void* data, size_t size) {
    if (!IsCurrent(stream)) return kStorageReverted;
    if (!StorageSucceeded(failure_)) return failure_;
    // Stream sizes are 32-bit in the file's directory.
    if (currentSize_ + size > UINT32_MAX) return kStorageMediumFull;
    ULONG written = 0;
    HRESULT result = stream->Write(data, static_cast<ULONG>(size), &written);
    if (FAILED(result)) return Remember(Status(result));
    if (written != size) return Remember(kStorageWriteFault);
    currentSize_ += size;
    return kStorageOk;
}

StorageStatus OutputSession::CloseStream(IStream* stream) {
    if (!IsCurrent(stream)) return kStorageReverted;
    HRESULT result = stream->Commit(STGC_OVERWRITE);
    current_.Reset();
    return Remember(FAILED(result) ? Status(result) : kStorageOk);
}

StorageStatus OutputSession::Commit() {
    if (!IsOpen()) return kStorageReverted;
    if (current_) (void)CloseStream(current_.Get());
    HRESULT result = root_.Get()->Commit(STGC_OVERWRITE);
    if (FAILED(result)) (void)Remember(Status(result));
    root_.Reset();
    StorageStatus status = failure_;
    if (StorageSucceeded(status) && !FlushToDisk(path_)) status = kStorageWriteFault;
    return status;
}

void OutputSession::Abandon() {
    if (!IsOpen()) return;
    current_.Reset();
    root_.Reset();
    // What ole32 wrote on release is not a committed file: leave nothing that could be
    // read as one. Should emptying fail, the caller still deletes a file it did not commit.
    HANDLE file =
        ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

}  // namespace platform
