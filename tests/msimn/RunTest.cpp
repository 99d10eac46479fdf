// run: the client's window exists, with the class the product looks for, exactly while
// the client holds its store.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <memory>
#include <thread>

#include "MsimnFixture.h"
#include "platform/File.h"
#include "platform/Shell.h"

// Last: Xlib defines macros (None, Bool, Status) that clash with names in gtest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const char* const kClientClass = "Outlook Express Browser Class";

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

class RunTest : public MsimnFixture {
protected:
    void SetUp() override {
        if (platform::GetEnvironmentVariable("DISPLAY").empty()) GTEST_SKIP() << "no X display";
        display_.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(display_) << "cannot open the display";
        XSetErrorHandler(IgnoreXErrors);
    }

    // Starts `msimn args` and waits for the line that says its window is up.
    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args, Window& window) {
        auto child = std::make_unique<ChildProcess>(Argv(args), Environment());
        std::optional<std::string> line = child->ReadLine(30000);
        window = line ? std::stoul(*line) : 0;
        return child;
    }

    // The product's own search: what it waits on before it touches a store.
    static bool ClientWindowExists() { return platform::FindTopLevelWindow(kClientClass); }

    std::string Title(Window window) {
        char* name = nullptr;
        std::string title;
        if (XFetchName(display_.get(), window, &name) && name) title = name;
        if (name) XFree(name);
        return title;
    }

    // Whether someone else holds the file: our own exclusive open fails with a sharing violation.
    bool Held(const std::string& path) {
        platform::File file;
        platform::FileException error(platform::FileException::Generic, path);
        if (platform::File::TryOpen(path, platform::File::Mode::Read, file, &error)) return false;
        EXPECT_EQ(error.cause(), platform::FileException::SharingViolation) << error.what();
        return true;
    }

    void ExpectCleanExit(ChildProcess& child, const std::string& inbox) {
        std::optional<ChildProcess::Result> result = child.Wait(20000);
        ASSERT_TRUE(result) << "msimn did not exit";
        EXPECT_EQ(result->exitCode, 0) << result->err;
        EXPECT_FALSE(ClientWindowExists());
        EXPECT_FALSE(Held(inbox));
    }

    std::unique_ptr<Display, DisplayCloser> display_;
};

TEST_F(RunTest, TheWindowHasTheClientsClassWhileTheStoreIsHeldUntilSigterm) {
    const std::string key = CreateIdentity({"--name", "Ann", "--store", data_.file("ann")});
    Window window = 0;
    auto child = Start({"run", "--identity", key, "--for", "120"}, window);
    ASSERT_NE(window, 0u);

    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(display_.get(), window, &hint));
    EXPECT_STREQ(hint.res_class, kClientClass);
    EXPECT_STREQ(hint.res_name, "msimn");
    XFree(hint.res_name);
    XFree(hint.res_class);
    EXPECT_EQ(Title(window), "Mail - Ann");
    EXPECT_TRUE(ClientWindowExists());

    for (const auto& file : platform::FindFiles(data_.file("ann"), "*.dbx")) {
        EXPECT_TRUE(Held(data_.file("ann/" + file.name))) << file.name;
    }
    child->Signal(SIGTERM);
    ExpectCleanExit(*child, data_.file("ann/Inbox.dbx"));
}

TEST_F(RunTest, ClosingTheWindowEndsTheClient) {
    const std::string key = CreateIdentity({"--name", "Bo", "--store", data_.file("bo")});
    Window window = 0;
    auto child = Start({"run", "--identity", key}, window);
    ASSERT_NE(window, 0u);

    // What a window manager sends when the user clicks the close box.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_.get(), window, False, NoEventMask, &event);
    XFlush(display_.get());
    ExpectCleanExit(*child, data_.file("bo/Inbox.dbx"));
}

TEST_F(RunTest, WithoutArgumentsItStartsAsThePointersSayAndStopsWhenTimeIsUp) {
    CreateIdentity({"--name", "Main", "--store", data_.file("main")});
    const std::string other = CreateIdentity({"--name", "Other", "--store", data_.file("other")});
    std::string otherId;
    for (const auto& row : List()) {
        if (row[0] == other) otherId = row[1];
    }
    ASSERT_EQ(Msimn({"set-pointers", "--start", otherId}).exitCode, 0);

    Window window = 0;
    auto child = Start({}, window);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(Title(window), "Mail - Other");
    EXPECT_TRUE(Held(data_.file("other/Inbox.dbx")));
    EXPECT_FALSE(Held(data_.file("main/Inbox.dbx")));
    child->Signal(SIGTERM);
    ExpectCleanExit(*child, data_.file("other/Inbox.dbx"));

    auto timed = std::make_unique<ChildProcess>(Argv({"run", "--for", "1"}), Environment());
    ASSERT_TRUE(timed->ReadLine(30000));
    auto started = std::chrono::steady_clock::now();
    ExpectCleanExit(*timed, data_.file("other/Inbox.dbx"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(RunTest, AStoreHeldElsewhereKeepsTheClientFromStarting) {
    const std::string key = CreateIdentity({"--name", "Cy", "--store", data_.file("cy")});
    platform::File holder = platform::File::Open(data_.file("cy/Sent Items.dbx"), platform::File::Mode::Read);
    ChildProcess::Result result = Msimn({"run", "--identity", key, "--for", "30"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Sent Items.dbx"), std::string::npos) << result.err;
    EXPECT_FALSE(ClientWindowExists());
    holder.Close();
    EXPECT_FALSE(Held(data_.file("cy/Inbox.dbx")));  // what it took before failing is let go
}

using RunWithoutWindowTest = MsimnFixture;

TEST_F(RunWithoutWindowTest, NoDisplayOrNoIdentityIsAFailure) {
    ChildProcess::Result empty = Msimn({"run", "--for", "1"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("no identity"), std::string::npos) << empty.err;

    CreateIdentity({"--name", "Dee", "--store", data_.file("dee")});
    ChildProcess::Result headless = Msimn({"run", "--for", "1"}, {{"DISPLAY", std::nullopt}});
    EXPECT_EQ(headless.exitCode, 3);
    EXPECT_NE(headless.err.find("display"), std::string::npos) << headless.err;
}

}  // namespace
