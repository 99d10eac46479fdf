// A tool's window on X11. The connection keeps Xlib's own error handling: the window is
// ours, so an error about it is a fault worth ending the tool for.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <utility>

#include "platform/Shell.h"
#include "platform/ToolWindow.h"
#include "platform/linux/TerminationState.h"

namespace platform {

struct ToolDesktop::Connection {
    explicit Connection(Display* opened) : display(opened) {}
    ~Connection() { XCloseDisplay(display); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display;
};

ToolDesktop::ToolDesktop() = default;
ToolDesktop::~ToolDesktop() = default;
ToolDesktop::ToolDesktop(ToolDesktop&& other) noexcept = default;
ToolDesktop& ToolDesktop::operator=(ToolDesktop&& other) noexcept = default;

ToolDesktop ToolDesktop::Open() {
    ToolDesktop desktop;
    if (Display* display = XOpenDisplay(nullptr)) desktop.connection_ = std::make_unique<Connection>(display);
    return desktop;
}

namespace {
constexpr int kWidth = 520;
constexpr int kLineHeight = 16;
constexpr int kMargin = 12;
}  // namespace

struct ToolWindow::Parts {
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    Atom deleteWindow = 0;
    std::vector<std::string> lines;

    void Draw() {
        XClearWindow(display, window);
        int y = kMargin + kLineHeight;
        for (const auto& line : lines) {
            XDrawString(display, window, gc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
            y += kLineHeight;
        }
    }

    // Handles the events already queued; true when the window manager (or anyone
    // speaking its protocol) asked the window to close.
    bool HandleEvents() {
        bool closeRequested = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == Expose && event.xexpose.count == 0) {
                Draw();
            } else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                closeRequested = true;
            }
        }
        XFlush(display);
        return closeRequested;
    }
};

ToolWindow::ToolWindow(ToolDesktop& desktop, const std::string& className, const std::string& instanceName,
                       const std::string& title, std::vector<std::string> lines)
    : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    p.display = desktop.connection_->display;
    p.lines = std::move(lines);
    Display* display = p.display;
    int screen = DefaultScreen(display);
    int height = kMargin * 2 + kLineHeight * static_cast<int>(p.lines.size() + 1);
    // Whoever started the tool may ask for its window maximised (StartProgram): it then
    // covers the screen, and a window manager is told so before the window is shown.
    const bool maximized = EnvironmentValue(kWindowShowVariable) == "maximized";
    const int x = maximized ? 0 : 40, y = x;
    const unsigned width = maximized ? DisplayWidth(display, screen) : kWidth;
    if (maximized) height = DisplayHeight(display, screen);
    p.window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, width, height, 1,
                                   BlackPixel(display, screen), WhitePixel(display, screen));
    if (maximized) {
        Atom states[] = {XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                         XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
        XChangeProperty(display, p.window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(states), 2);
    }

    std::string instance = instanceName;
    std::string windowClass = className;
    XClassHint hint;
    hint.res_name = instance.data();
    hint.res_class = windowClass.data();
    XSetClassHint(display, p.window, &hint);

    XStoreName(display, p.window, title.c_str());
    Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, p.window, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));

    p.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, p.window, &p.deleteWindow, 1);
    XSelectInput(display, p.window, ExposureMask | StructureNotifyMask);
    p.gc = XCreateGC(display, p.window, 0, nullptr);
    XSetForeground(display, p.gc, BlackPixel(display, screen));
}

ToolWindow::~ToolWindow() {
    Parts& p = *parts_;
    if (p.gc) XFreeGC(p.display, p.gc);
    XDestroyWindow(p.display, p.window);
    // Gone on the server before the process says it is done.
    XSync(p.display, False);
}

uint64_t ToolWindow::Id() const { return parts_->window; }

void ToolWindow::Show() {
    Parts& p = *parts_;
    XMapWindow(p.display, p.window);
    XEvent event;
    // MapNotify arrives whether or not a window manager is running.
    do {
        XWindowEvent(p.display, p.window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    p.Draw();
    XFlush(p.display);
}

ToolWindow::End ToolWindow::Run(const TerminationRequests& requests, unsigned long long seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    const int signalFd = requests.state_ ? requests.state_->readEnd.Get() : -1;
    for (;;) {
        if (parts_->HandleEvents()) return End::CloseAsked;
        if (requests.Arrived()) return End::TerminationRequested;
        int timeout = -1;
        if (seconds > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return End::TimeUp;
            timeout = static_cast<int>(left);
        }
        // A negative descriptor is skipped by poll().
        struct pollfd fds[2] = {{ConnectionNumber(parts_->display), POLLIN, 0}, {signalFd, POLLIN, 0}};
        poll(fds, 2, timeout);
    }
}

}  // namespace platform
