// The client's main window: a top-level window of the class the product looks for,
// titled after the identity, showing a few lines of text (the store's files).
// The window is destroyed with the holder; the display must outlive it.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace msimn {

class MailWindow {
public:
    MailWindow(Display* display, const std::string& title, std::vector<std::string> lines);
    ~MailWindow();
    MailWindow(const MailWindow&) = delete;
    MailWindow& operator=(const MailWindow&) = delete;

    Window Id() const { return window_; }
    // Maps the window and waits until the server has done so, so that anyone told
    // "the window is there" afterwards really finds it.
    void Show();
    // Handles the events already queued; true when the window manager (or anyone
    // speaking its protocol) asked the window to close.
    bool HandleEvents();

private:
    void Draw();

    Display* display_;
    Window window_ = 0;
    GC gc_ = nullptr;
    Atom deleteWindow_ = 0;
    std::vector<std::string> lines_;
};

}  // namespace msimn
