// A window of a tool of our own: a top-level window with a class and a title, showing a
// few lines of text, that lives until it is asked to close, the process is asked to end
// or its time is up. The mail client's stand-in shows one so that the product's window
// search finds it exactly as it finds the real client's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/NonCopyable.h"

namespace platform {

// Catches the requests to end the process (SIGTERM and SIGINT; a console's Ctrl+C and
// close on Windows) while it lives, so that a tool can shut down in order instead of
// dying on the spot. One instance at a time; the previous handling comes back when it goes.
class TerminationRequests : NonCopyable {
public:
    TerminationRequests();
    ~TerminationRequests();

    // False when the requests could not be caught; they then end the process as before.
    explicit operator bool() const;
    // True once a request has arrived.
    bool Arrived() const;

    struct State;  // the system's part, for ToolWindow::Run

private:
    friend class ToolWindow;
    std::unique_ptr<State> state_;
};

// What a tool's windows are shown on: the X display named by $DISPLAY on Linux.
class ToolDesktop {
public:
    // An empty holder when there is no desktop to show windows on.
    static ToolDesktop Open();
    ToolDesktop();
    ~ToolDesktop();
    ToolDesktop(ToolDesktop&& other) noexcept;
    ToolDesktop& operator=(ToolDesktop&& other) noexcept;

    explicit operator bool() const { return connection_ != nullptr; }

    struct Connection;  // the system's part

private:
    friend class ToolWindow;
    std::unique_ptr<Connection> connection_;
};

class ToolWindow : NonCopyable {
public:
    // Makes the window, not yet shown. The class is what window searches match; the
    // instance names the program (X11 keeps it beside the class). The desktop must
    // outlive the window.
    ToolWindow(ToolDesktop& desktop, const std::string& className, const std::string& instanceName,
               const std::string& title, std::vector<std::string> lines);
    // The window is gone from the desktop when this returns.
    ~ToolWindow();

    // The system's handle of the window as a number (the X window id, the HWND), for
    // whoever looks at the window from outside.
    uint64_t Id() const;
    // Shows the window and waits until the desktop has done so, so that anyone told
    // "the window is there" afterwards really finds it.
    void Show();

    enum class End { CloseAsked, TerminationRequested, TimeUp };
    // Keeps the window drawn until it is asked to close (its close box), a termination
    // request arrives or the seconds have passed (0: no limit).
    End Run(const TerminationRequests& requests, unsigned long long seconds);

    struct Parts;  // the system's part

private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace platform
