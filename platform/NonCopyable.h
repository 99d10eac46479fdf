// Base of every type that owns something that must not be duplicated (a handle, a
// connection, a signal handler, a window): copying is refused here, once, so each
// owner need not say it again. Moving stays as each owner declares it: a derived class
// that declares no moves of its own cannot be moved either, only destroyed.
#pragma once

namespace platform {

class NonCopyable {
public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;

protected:
    NonCopyable() = default;
    ~NonCopyable() = default;
    NonCopyable(NonCopyable&&) noexcept = default;
    NonCopyable& operator=(NonCopyable&&) noexcept = default;
};

}  // namespace platform
