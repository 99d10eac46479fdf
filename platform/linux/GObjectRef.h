// One owned GObject reference: unreferenced when the holder dies. Move-only.
#pragma once

#include <glib-object.h>

#include <utility>

namespace platform {

template <typename T>
class GObjectRef {
public:
    GObjectRef() = default;
    // Takes over a reference the caller owns (a "transfer full" result).
    explicit GObjectRef(T* object) : object_(object) {}
    ~GObjectRef() { Reset(); }
    GObjectRef(GObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectRef& operator=(GObjectRef&& other) noexcept {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;

    T* Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void Reset() {
        if (object_) g_object_unref(std::exchange(object_, nullptr));
    }

private:
    T* object_ = nullptr;
};

}  // namespace platform
