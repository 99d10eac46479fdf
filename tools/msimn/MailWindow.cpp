#include "MailWindow.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "ClientLayout.h"

namespace msimn {

namespace {
constexpr int kWidth = 520;
constexpr int kLineHeight = 16;
constexpr int kMargin = 12;
}  // namespace

MailWindow::MailWindow(Display* display, const std::string& title, std::vector<std::string> lines)
    : display_(display), lines_(std::move(lines)) {
    int screen = DefaultScreen(display_);
    int height = kMargin * 2 + kLineHeight * static_cast<int>(lines_.size() + 1);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 40, 40, kWidth, height, 1,
                                  BlackPixel(display_, screen), WhitePixel(display_, screen));

    // The class is what the product searches for; the instance names the program.
    std::string instance = layout::kWindowInstance;
    std::string windowClass = layout::kWindowClass;
    XClassHint hint;
    hint.res_name = instance.data();
    hint.res_class = windowClass.data();
    XSetClassHint(display_, window_, &hint);

    XStoreName(display_, window_, title.c_str());
    Atom netWmName = XInternAtom(display_, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));

    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XSelectInput(display_, window_, ExposureMask | StructureNotifyMask);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XSetForeground(display_, gc_, BlackPixel(display_, screen));
}

MailWindow::~MailWindow() {
    if (gc_) XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    // Gone on the server before the process says it is done.
    XSync(display_, False);
}

void MailWindow::Show() {
    XMapWindow(display_, window_);
    XEvent event;
    // MapNotify arrives whether or not a window manager is running.
    do {
        XWindowEvent(display_, window_, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    Draw();
    XFlush(display_);
}

bool MailWindow::HandleEvents() {
    bool closeRequested = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            Draw();
        } else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
            closeRequested = true;
        }
    }
    XFlush(display_);
    return closeRequested;
}

void MailWindow::Draw() {
    XClearWindow(display_, window_);
    int y = kMargin + kLineHeight;
    for (const auto& line : lines_) {
        XDrawString(display_, window_, gc_, kMargin, y, line.c_str(), static_cast<int>(line.size()));
        y += kLineHeight;
    }
}

}  // namespace msimn
