// One owned handle of the system (an open registry key, a GObject reference): let go
// of exactly once, when the owner dies, is given another handle or resets it. Moves,
// never copies. Letting go is Free::Free(handle); its result, if any, is what Reset
// answers (a default-made one, such as a success status of 0, when nothing was held).
#pragma once

#include <utility>

#include "platform/NonCopyable.h"

namespace platform {

template <class Handle, class Free>
class OwnedHandle : NonCopyable {
public:
    using Result = decltype(Free::Free(Handle()));

    OwnedHandle() = default;
    // Takes over a handle the caller owns.
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    ~OwnedHandle() { (void)Reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle())) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            (void)Reset();
            handle_ = std::exchange(other.handle_, Handle());
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle(); }
    Result Reset() {
        if (handle_ == Handle()) return Result();
        return Free::Free(std::exchange(handle_, Handle()));
    }

private:
    Handle handle_ = Handle();
};

}  // namespace platform
