// One compound file being written through ole32: its root storage, the one stream
// open in it, the names used so far and the first failure, which the commit reports.
#pragma once

#include "platform/win32/Win32.h"
// After <windows.h>, whose types it uses.
#include <objbase.h>

#include <memory>
#include <set>
#include <string>

#include "platform/CompoundFile.h"

namespace platform {

// The UTF-16 name ole32 takes for an ANSI path or element name.
std::wstring WideName(const std::string& name);

// One COM reference, released exactly once.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(Interface* taken) : pointer_(taken) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComRef& operator=(ComRef other) {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    Interface* Get() const { return pointer_; }
    Interface** Receive() {
        Reset();
        return &pointer_;
    }
    void Reset() {
        if (pointer_) pointer_->Release();
        pointer_ = nullptr;
    }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    Interface* pointer_ = nullptr;
};

// The one stream being written, as the session hands it out; the session owns it.
struct BorrowedStream {
    IStream* stream = nullptr;
    IStream* Get() const { return stream; }
};

class OutputSession {
public:
    static StorageStatus Create(const std::string& path, bool mustBeNew, std::shared_ptr<OutputSession>& out);
    ~OutputSession();

    bool IsOpen() const { return static_cast<bool>(root_); }
    bool IsCurrent(IStream* stream) const { return stream && stream == current_.Get(); }
    StorageStatus NewStream(const std::string& name, BorrowedStream& stream);
    StorageStatus Write(IStream* stream, const void* data, size_t size);
    StorageStatus CloseStream(IStream* stream);
    StorageStatus Commit();
    void Abandon();

private:
    StorageStatus Remember(StorageStatus status);

    std::string path_;
    ComRef<IStorage> root_;
    ComRef<IStream> current_;
    uint64_t currentSize_ = 0;
    std::set<std::string> names_;
    StorageStatus failure_ = kStorageOk;
};

}  // namespace platform
