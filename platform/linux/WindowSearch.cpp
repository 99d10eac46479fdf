// Whether a window of a given class exists. Window managers reparent top-level windows
// into frames, so the whole tree below each root is searched, not only its children.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <strings.h>

#include <utility>
#include <vector>

#include "platform/Shell.h"
#include "platform/linux/X11Display.h"

namespace platform {

namespace {

// Frames nest a client only a few levels deep; the bound keeps a hostile or broken
// tree from making the search endless.
constexpr int kMaxDepth = 64;

bool HasClass(Display* display, Window window, const std::string& className) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return false;
    XPtr<char> name(hint.res_name), cls(hint.res_class);
    // Window classes are matched without regard to case, as class lookups are.
    return cls && strcasecmp(cls.get(), className.c_str()) == 0;
}

}  // namespace

bool FindTopLevelWindow(const std::string& className) {
    X11Display connection;
    if (!connection) return false;
    Display* display = connection.Get();

    std::vector<std::pair<Window, int>> pending;
    for (int screen = 0; screen < ScreenCount(display); ++screen)
        pending.emplace_back(RootWindow(display, screen), 0);
    while (!pending.empty()) {
        auto [window, depth] = pending.back();
        pending.pop_back();
        if (depth > 0 && HasClass(display, window, className)) return true;

        Window root = 0, parent = 0;
        Window* list = nullptr;
        unsigned count = 0;
        // A window that vanished since it was listed simply has no children.
        if (depth >= kMaxDepth || !XQueryTree(display, window, &root, &parent, &list, &count))
            continue;
        XPtr<Window> children(list);
        for (unsigned i = 0; i < count; ++i) pending.emplace_back(children.get()[i], depth + 1);
    }
    return false;
}

}  // namespace platform
