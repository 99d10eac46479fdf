// One connection to the X server, owned: closed when the holder dies. Move-only.
#pragma once

#include <X11/Xlib.h>

namespace msimn {

class X11Display {
public:
    X11Display() = default;
    ~X11Display();
    X11Display(X11Display&& other) noexcept;
    X11Display& operator=(X11Display&& other) noexcept;
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    // The display named by $DISPLAY; an empty holder when there is none.
    static X11Display Open();

    Display* Get() const { return display_; }
    explicit operator bool() const { return display_ != nullptr; }

private:
    explicit X11Display(Display* display) : display_(display) {}

    Display* display_ = nullptr;
};

}  // namespace msimn
