// Our own connection to the X server, for looking at other programs' windows. While it
// is open, X errors are ignored instead of ending the process: windows of other
// programs can vanish between two requests, and the default handler would exit on the
// BadWindow that follows.
#pragma once

#include <X11/Xlib.h>

#include <memory>

namespace platform {

class X11Display {
public:
    // Connects to the display named by $DISPLAY; check with operator bool.
    X11Display();
    ~X11Display();
    X11Display(X11Display&& other) noexcept;
    X11Display& operator=(X11Display&& other) noexcept;
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* Get() const { return display_; }
    explicit operator bool() const { return display_ != nullptr; }

private:
    void Close();

    Display* display_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
};

// Frees memory that Xlib handed out (window lists, property texts).
struct XFreeDeleter {
    void operator()(void* p) const {
        if (p) XFree(p);
    }
};
template <typename T>
using XPtr = std::unique_ptr<T, XFreeDeleter>;

}  // namespace platform
