// run: the client's window exists, with the class the product looks for, exactly while
// the client holds its store.
#include <gtest/gtest.h>

#include <chrono>

#include "MsimnFixture.h"
#include "platform/File.h"
#include "platform/Shell.h"

// Last: Xlib defines macros (None, Bool, Status) that clash with names in gtest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const char* const kClientClass = "Outlook Express Browser Class";

class RunTest : public MsimnFixture {
protected:
    void SetUp() override {
        if (platform::GetEnvironmentVariable("DISPLAY").empty()) GTEST_SKIP() << "no X display";
        display_ = XOpenDisplay(nullptr);
        ASSERT_TRUE(display_) << "cannot open the display";
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    void TearDown() override {
        if (display_) XCloseDisplay(display_);
    }
    // Starts `msimn args` and reads the line that says its window is up.
    std::unique_ptr<Child> Run(const std::vector<std::string>& args, Window& window) {
        std::unique_ptr<Child> child = Start(args);
        window = std::stoul(child->ReadLine().value_or("0"));
        return child;
    }
    std::string Title(Window window) {
        char* name = nullptr;
        std::string title = XFetchName(display_, window, &name) && name ? name : "";
        if (name) XFree(name);
        return title;
    }
    // Whether someone else holds the file: our own exclusive open fails with a sharing violation.
    static bool Held(const std::string& path) {
        platform::File file;
        const platform::FileStatus status = platform::File::Open(path, platform::File::Mode::Read, file);
        if (status.ok()) return false;
        EXPECT_EQ(status.cause(), platform::FileStatus::SharingViolation) << status.text();
        return true;
    }
    // The product's own search is what it waits on before it touches a store.
    static void ExpectCleanExit(Child& child, const std::string& inbox) {
        const Child::Result result = child.Wait();
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_FALSE(platform::FindTopLevelWindow(kClientClass));
        EXPECT_FALSE(Held(inbox));
    }

    Display* display_ = nullptr;
};

TEST_F(RunTest, TheWindowHasTheClientsClassWhileTheStoreIsHeldUntilSigterm) {
    const std::string key = CreateIdentity({"--name", "Ann", "--store", data_.file("ann")});
    Window window = 0;
    auto child = Run({"run", "--identity", key, "--for", "120"}, window);
    ASSERT_NE(window, 0u);
    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(display_, window, &hint));
    EXPECT_STREQ(hint.res_class, kClientClass);
    EXPECT_STREQ(hint.res_name, "msimn");
    XFree(hint.res_name);
    XFree(hint.res_class);
    EXPECT_EQ(Title(window), "Mail - Ann");
    EXPECT_TRUE(platform::FindTopLevelWindow(kClientClass));
    for (const auto& file : platform::FindFiles(data_.file("ann"), "*.dbx"))
        EXPECT_TRUE(Held(data_.file("ann/" + file.name))) << file.name;
    child->Signal(SIGTERM);
    ExpectCleanExit(*child, data_.file("ann/Inbox.dbx"));

    // Closing the window, as a window manager asks when the user clicks the close box.
    child = Run({"run", "--identity", key}, window);
    ASSERT_NE(window, 0u);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
    ExpectCleanExit(*child, data_.file("ann/Inbox.dbx"));
}

TEST_F(RunTest, WithoutArgumentsItStartsAsThePointersSayAndStopsWhenTimeIsUp) {
    CreateIdentity({"--name", "Main", "--store", data_.file("main")});
    const std::string other = CreateIdentity({"--name", "Other", "--store", data_.file("other")});
    ASSERT_EQ(Msimn({"set-pointers", "--start", List()[other][1]}).exitCode, 0);
    Window window = 0;
    auto child = Run({}, window);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(Title(window), "Mail - Other");
    EXPECT_TRUE(Held(data_.file("other/Inbox.dbx")));
    EXPECT_FALSE(Held(data_.file("main/Inbox.dbx")));
    child->Signal(SIGTERM);
    ExpectCleanExit(*child, data_.file("other/Inbox.dbx"));

    const auto started = std::chrono::steady_clock::now();
    child = Run({"run", "--for", "1"}, window);
    ExpectCleanExit(*child, data_.file("other/Inbox.dbx"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(RunTest, AStoreHeldElsewhereKeepsTheClientFromStarting) {
    const std::string key = CreateIdentity({"--name", "Cy", "--store", data_.file("cy")});
    platform::File holder;
    ASSERT_TRUE(platform::File::Open(data_.file("cy/Sent Items.dbx"), platform::File::Mode::Read, holder).ok());
    const Child::Result result = Msimn({"run", "--identity", key, "--for", "30"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Sent Items.dbx"), std::string::npos) << result.err;
    EXPECT_FALSE(platform::FindTopLevelWindow(kClientClass));
    EXPECT_FALSE(Held(data_.file("cy/Inbox.dbx"))) << "what it took before failing is let go";
}

}  // namespace
