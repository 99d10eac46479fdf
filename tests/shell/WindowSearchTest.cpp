// gtest comes first: Xlib defines None and other short names as macros.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/Shell.h"
#include "support/ScopedEnvironment.h"

namespace {

// A connection of the test's own that makes windows with a given class.
class WindowSearch : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = XOpenDisplay(nullptr);
        if (!display_) GTEST_SKIP() << "no X display (run under xvfb-run)";
    }
    void TearDown() override {
        if (display_) XCloseDisplay(display_);
    }
    Window MakeWindow(Window parent, const std::string& className = "") {
        Window window = XCreateSimpleWindow(display_, parent, 0, 0, 10, 10, 0, 0, 0);
        if (!className.empty()) {
            XClassHint hint{const_cast<char*>("veilbox-test"), const_cast<char*>(className.c_str())};
            XSetClassHint(display_, window, &hint);
        }
        XSync(display_, False);
        return window;
    }
    // A class name no other program on the display uses.
    static std::string Unique(const char* base) { return std::string(base) + " " + std::to_string(::getpid()); }

    Display* display_ = nullptr;
};

TEST_F(WindowSearch, FindsTopLevelAndReparentedWindowsByClassInAnyCase) {
    const std::string cls = Unique("Veilbox Mail Browser Class");
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
    const Window window = MakeWindow(DefaultRootWindow(display_), cls);
    EXPECT_TRUE(platform::FindTopLevelWindow(cls));
    EXPECT_TRUE(platform::FindTopLevelWindow(Unique("VEILBOX MAIL BROWSER CLASS")));
    EXPECT_FALSE(platform::FindTopLevelWindow(Unique("Veilbox Mail Browser")));
    EXPECT_FALSE(platform::FindTopLevelWindow("veilbox-test")) << "the instance name is not the class";

    // Window managers put the client into frames of their own.
    const Window outer = MakeWindow(DefaultRootWindow(display_)), frame = MakeWindow(outer);
    XReparentWindow(display_, window, frame, 0, 0);
    XSync(display_, False);
    EXPECT_TRUE(platform::FindTopLevelWindow(cls));
    {
        ScopedEnvironment environment;
        environment.Unset("DISPLAY");
        EXPECT_FALSE(platform::FindTopLevelWindow(cls)) << "no display, no window";
    }
    XDestroyWindow(display_, outer);
    XSync(display_, False);
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
}

// Another program's windows come and go while the tree is walked; the errors about
// windows that vanished between two requests must not end this process.
TEST_F(WindowSearch, WindowsVanishingDuringTheSearch) {
    const pid_t churner = ::fork();
    ASSERT_GE(churner, 0);
    if (churner == 0) {
        Display* other = XOpenDisplay(nullptr);
        if (!other) ::_exit(1);
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2); std::chrono::steady_clock::now() < end;) {
            const Window parent = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 5, 5, 0, 0, 0);
            for (int i = 0; i < 40; ++i) XCreateSimpleWindow(other, parent, 0, 0, 5, 5, 0, 0, 0);
            XSync(other, False);
            XDestroyWindow(other, parent);
            XSync(other, False);
        }
        XCloseDisplay(other);
        ::_exit(0);
    }
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500); std::chrono::steady_clock::now() < end;)
        EXPECT_FALSE(platform::FindTopLevelWindow(Unique("Veilbox Absent Class")));
    int status = 0;
    ASSERT_EQ(::waitpid(churner, &status, 0), churner);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The error handler in force before the search is back in place.
    XErrorHandler mine = [](Display*, XErrorEvent*) { return 0; };
    XErrorHandler before = XSetErrorHandler(mine);
    platform::FindTopLevelWindow("anything");
    EXPECT_EQ(XSetErrorHandler(before), mine);
}

}  // namespace
