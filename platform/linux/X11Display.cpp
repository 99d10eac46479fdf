#include "platform/linux/X11Display.h"

#include <utility>

namespace platform {

namespace {

int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11Display::X11Display() : display_(XOpenDisplay(nullptr)) {
    if (display_) previousHandler_ = XSetErrorHandler(IgnoreError);
}

X11Display::~X11Display() { Close(); }

X11Display::X11Display(X11Display&& other) noexcept
    : display_(std::exchange(other.display_, nullptr)),
      previousHandler_(std::exchange(other.previousHandler_, nullptr)) {}

X11Display& X11Display::operator=(X11Display&& other) noexcept {
    if (this != &other) {
        Close();
        display_ = std::exchange(other.display_, nullptr);
        previousHandler_ = std::exchange(other.previousHandler_, nullptr);
    }
    return *this;
}

void X11Display::Close() {
    if (!display_) return;
    // Errors of requests still in flight arrive here, while ours is still installed.
    XSync(display_, False);
    XCloseDisplay(display_);
    XSetErrorHandler(previousHandler_);
    display_ = nullptr;
}

}  // namespace platform
