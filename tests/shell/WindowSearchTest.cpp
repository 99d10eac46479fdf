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
        root_ = DefaultRootWindow(display_);
    }
    void TearDown() override {
        if (display_) XCloseDisplay(display_);
    }

    Window MakeWindow(Window parent, const char* className = nullptr) {
        Window window = XCreateSimpleWindow(display_, parent, 0, 0, 10, 10, 0, 0, 0);
        if (className) {
            XClassHint hint;
            hint.res_name = const_cast<char*>("veilbox-test");
            hint.res_class = const_cast<char*>(className);
            XSetClassHint(display_, window, &hint);
        }
        XSync(display_, False);
        return window;
    }

    // A class name no other program on the display uses.
    std::string UniqueClass(const char* base) const {
        return std::string(base) + " " + std::to_string(getpid());
    }

    Display* display_ = nullptr;
    Window root_ = 0;
};

}  // namespace

TEST_F(WindowSearch, FindsTopLevelWindowByClassInAnyCase) {
    std::string cls = UniqueClass("Veilbox Mail Browser Class");
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
    Window window = MakeWindow(root_, cls.c_str());
    EXPECT_TRUE(platform::FindTopLevelWindow(cls));
    EXPECT_TRUE(platform::FindTopLevelWindow(UniqueClass("VEILBOX MAIL BROWSER CLASS")));
    EXPECT_FALSE(platform::FindTopLevelWindow(UniqueClass("Veilbox Mail Browser")));
    EXPECT_FALSE(platform::FindTopLevelWindow("veilbox-test"));  // the instance name is not the class

    XDestroyWindow(display_, window);
    XSync(display_, False);
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
}

TEST_F(WindowSearch, FindsWindowsReparentedIntoFrames) {
    std::string cls = UniqueClass("Veilbox Framed Class");
    Window outer = MakeWindow(root_);
    Window frame = MakeWindow(outer);
    Window client = MakeWindow(root_, cls.c_str());
    XReparentWindow(display_, client, frame, 0, 0);
    XSync(display_, False);
    EXPECT_TRUE(platform::FindTopLevelWindow(cls));
    XDestroyWindow(display_, outer);
    XSync(display_, False);
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
}

TEST_F(WindowSearch, NoDisplayMeansNoWindow) {
    std::string cls = UniqueClass("Veilbox Hidden Class");
    MakeWindow(root_, cls.c_str());
    ASSERT_TRUE(platform::FindTopLevelWindow(cls));
    ScopedEnvironment environment;
    environment.Unset("DISPLAY");
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
}

// Another program's windows come and go while the tree is walked; the errors about
// windows that vanished between two requests must not end this process.
TEST_F(WindowSearch, WindowsVanishingDuringTheSearch) {
    pid_t churner = fork();
    ASSERT_GE(churner, 0);
    if (churner == 0) {
        Display* other = XOpenDisplay(nullptr);
        if (!other) _exit(1);
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            Window parent = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 5, 5, 0, 0, 0);
            for (int i = 0; i < 40; ++i) XCreateSimpleWindow(other, parent, 0, 0, 5, 5, 0, 0, 0);
            XSync(other, False);
            XDestroyWindow(other, parent);
            XSync(other, False);
        }
        XCloseDisplay(other);
        _exit(0);
    }
    int searches = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < end) {
        EXPECT_FALSE(platform::FindTopLevelWindow(UniqueClass("Veilbox Absent Class")));
        ++searches;
    }
    int status = 0;
    ASSERT_EQ(waitpid(churner, &status, 0), churner);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(searches, 0);
    // The error handler in force before the search is back in place.
    XErrorHandler mine = [](Display*, XErrorEvent*) { return 0; };
    XErrorHandler before = XSetErrorHandler(mine);
    platform::FindTopLevelWindow("anything");
    EXPECT_EQ(XSetErrorHandler(before), mine);
}
