#include "X11Display.h"

#include <utility>

namespace msimn {

X11Display::~X11Display() {
    if (display_) XCloseDisplay(display_);
}

X11Display::X11Display(X11Display&& other) noexcept : display_(std::exchange(other.display_, nullptr)) {}

X11Display& X11Display::operator=(X11Display&& other) noexcept {
    if (this != &other) {
        if (display_) XCloseDisplay(display_);
        display_ = std::exchange(other.display_, nullptr);
    }
    return *this;
}

X11Display X11Display::Open() { return X11Display(XOpenDisplay(nullptr)); }

}  // namespace msimn
