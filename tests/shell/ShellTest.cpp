// Starting programs, embedded resources, system values and the search for a window.
// gtest comes before Xlib, which defines None and other short names as macros.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Shell.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Fake programs on a PATH of two folders write where they ran from, their arguments and
// whether descriptor `fd` of ours reached them into a marker named after them; waiting
// for it, nothing we started may be left for us to reap.
TEST(Shell, ProgramsStartDetachedFromThePathWithoutOurDescriptorsAndUrlsArriveUntouched) {
    TempDir bin;
    ScopedEnvironment environment;
    environment.Set("PATH", bin.path() + "/first:" + bin.path() + "/second");
    fs::create_directories(bin.file("first/folder"));
    const auto fake = [&](const std::string& path, int fd = 99) {
        const std::string marker = bin.file("ran-" + fs::path(path).filename().string());
        fs::create_directories(fs::path(bin.file(path)).parent_path());
        WriteWholeFile(bin.file(path), "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$@\"; [ -e /proc/self/fd/" + std::to_string(fd) +
                                           " ] && echo inherited; } > '" + marker + ".tmp'\n/bin/mv '" + marker + ".tmp' '" + marker + "'\n");
        ::chmod(bin.file(path).c_str(), 0755);
        return marker;
    };
    const auto ran = [&](const std::string& marker) {
        for (int i = 0; i < 500 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        return fs::exists(marker) ? ReadWholeFile(marker) : std::string();
    };
    const int held = ::open(bin.path().c_str(), O_RDONLY | O_DIRECTORY);  // as a locked store file would be
    const std::string client = fake("second/client", held);
    // Not executable, a folder, and a file the system cannot run hide nothing later on the path.
    WriteWholeFile(bin.file("first/client"), "#!/bin/sh\n");
    ASSERT_TRUE(platform::StartProgram("client"));
    EXPECT_EQ(ran(client), bin.file("second/client\n"));
    ::close(held);
    fake("first/broken");
    WriteWholeFile(bin.file("first/broken"), "#!/nonexistent/interpreter\n");
    for (const char* name : {"absent.exe", "", "folder", "broken"}) EXPECT_FALSE(platform::StartProgram(name)) << name;
    // ".exe" is dropped only when no program keeps it.
    const std::string plain = fake("second/msimn"), suffixed = fake("second/tool.EXE");
    fake("first/tool");
    EXPECT_TRUE(platform::StartProgram("msimn.exe"));
    EXPECT_EQ(ran(plain), bin.file("second/msimn\n"));
    EXPECT_TRUE(platform::StartProgram("tool.EXE"));
    EXPECT_EQ(ran(suffixed), bin.file("second/tool.EXE\n"));
    EXPECT_FALSE(fs::exists(bin.file("ran-tool")));

    EXPECT_FALSE(platform::OpenUrl("mailto:someone@example.com")) << "no handler";
    const std::string handler = fake("first/xdg-open");
    // Blanks, quotes and shell characters must arrive as one argument, unexpanded.
    const std::string url = "mailto:support@example.com?subject=Veilbox build 384&body=a;b'c\"$HOME`id`";
    ASSERT_TRUE(platform::OpenUrl(url));
    EXPECT_EQ(ran(handler), bin.file("first/xdg-open\n") + url + "\n");
    EXPECT_FALSE(platform::OpenUrl("--manual"));
    EXPECT_FALSE(platform::OpenUrl(""));
}

// By name in any case, or by number within their type only (and not cut to 16 bits:
// 65677 = 141 + 65536); texts end in a zero byte so they can be used as C strings.
TEST(Shell, ResourcesAreFoundByNameOrByNumberWithinTheirType) {
    const std::string source = VEILBOX_SOURCE_DIR "/tests/shell/resources/";
    const auto bytes = [](const platform::Resource& r) { return r ? std::string(reinterpret_cast<const char*>(r.data), r.size + 1) : "<missing>"; };
    const std::tuple<const char*, const char*, int, const char*> found[] = {
        {"HTML", "index.htm", 0, "html/index.htm"}, {"html", "INDEX.Htm", 0, "html/index.htm"}, {"HTML", "img/dot.gif", 0, "html/img/dot.gif"},
        {"BITMAP", nullptr, 141, "bitmap/141.bin"}, {"BITMAP", "141.bin", 0, "bitmap/141.bin"}, {"icon", nullptr, 20007, "icon/20007.txt"},
        {"CURSOR", nullptr, 136, "cursor/136.cur"}, {"HTML", "empty.htm", 0, "html/empty.htm"}};
    for (const auto& [type, name, number, file] : found)
        EXPECT_EQ(bytes(name ? platform::FindResource(type, name) : platform::FindResource(type, number)), ReadWholeFile(source + file) + '\0') << file;
    for (const char* name : {"missing.htm", "index", "img"}) EXPECT_FALSE(platform::FindResource("HTML", name)) << name;
    for (const auto& [type, number] : {std::make_pair("BITMAP", 142), {"ICON", 141}, {"CURSOR", 10001}, {"BITMAP", 65677}})
        EXPECT_FALSE(platform::FindResource(type, number)) << type << " " << number;
}

TEST(Shell, RandomBytesCountersAndIds) {
    // More than one getrandom call delivers at once: a short read would leave zeros at the end.
    std::vector<unsigned char> a(1 << 20, 0), b(1 << 20, 0);
    ASSERT_TRUE(platform::OsRandom(a.data(), a.size()) && platform::OsRandom(b.data(), b.size()) && platform::OsRandom(nullptr, 0));
    EXPECT_NE(a, b);
    EXPECT_FALSE(std::all_of(a.end() - 64, a.end(), [](unsigned char c) { return c == 0; }));
    const uint64_t counter = platform::PerformanceCounter();
    const uint32_t ticks = platform::TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint64_t elapsedMs = (platform::PerformanceCounter() - counter) * 1000 / platform::PerformanceFrequency();
    EXPECT_TRUE(elapsedMs >= 50 && elapsedMs < 5000) << elapsedMs;
    EXPECT_TRUE(platform::TickCount() - ticks + 1 >= 50 && platform::TickCount() - ticks < elapsedMs + 2);
    // The main thread's id is the process id; any other thread's differs.
    EXPECT_EQ(platform::CurrentThreadId(), static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(platform::CurrentProcessId(), static_cast<uint32_t>(::getpid()));
    uint32_t other = 0;
    std::thread([&] { other = platform::CurrentThreadId(); }).join();
    EXPECT_TRUE(other != 0 && other != platform::CurrentThreadId());
}

// Top-level and reparented windows by class in any case, while another program's windows
// come and go: errors about windows that vanished between two requests must not end us.
TEST(Shell, WindowSearch) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "no X display (run under xvfb-run)";
    const auto make = [&](Window parent, std::string cls) {
        const Window window = XCreateSimpleWindow(display, parent, 0, 0, 10, 10, 0, 0, 0);
        XClassHint hint{const_cast<char*>("veilbox-test"), cls.data()};
        if (!cls.empty()) XSetClassHint(display, window, &hint);
        XSync(display, False);
        return window;
    };
    const std::string pid = " " + std::to_string(::getpid()), cls = "Veilbox Mail Browser Class" + pid;
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));
    const Window window = make(DefaultRootWindow(display), cls);
    EXPECT_TRUE(platform::FindTopLevelWindow(cls) && platform::FindTopLevelWindow("VEILBOX MAIL BROWSER CLASS" + pid));
    EXPECT_FALSE(platform::FindTopLevelWindow("Veilbox Mail Browser" + pid));
    EXPECT_FALSE(platform::FindTopLevelWindow("veilbox-test")) << "the instance name is not the class";
    // Window managers put the client into frames of their own.
    const Window outer = make(DefaultRootWindow(display), "");
    XReparentWindow(display, window, make(outer, ""), 0, 0);
    XSync(display, False);
    EXPECT_TRUE(platform::FindTopLevelWindow(cls));
    {
        ScopedEnvironment environment;
        environment.Unset("DISPLAY");
        EXPECT_FALSE(platform::FindTopLevelWindow(cls)) << "no display, no window";
    }
    XDestroyWindow(display, outer);
    XSync(display, False);
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));

    const pid_t churner = ::fork();
    if (churner == 0) {
        Display* other = XOpenDisplay(nullptr);
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2); other && std::chrono::steady_clock::now() < end;) {
            const Window parent = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 5, 5, 0, 0, 0);
            for (int i = 0; i < 40; ++i) XCreateSimpleWindow(other, parent, 0, 0, 5, 5, 0, 0, 0);
            XSync(other, False);
            XDestroyWindow(other, parent);
            XSync(other, False);
        }
        ::_exit(other ? 0 : 1);
    }
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500); std::chrono::steady_clock::now() < end;)
        EXPECT_FALSE(platform::FindTopLevelWindow("Veilbox Absent Class" + pid));
    int status = 0;
    ASSERT_EQ(::waitpid(churner, &status, 0), churner);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The error handler in force before the search is back in place.
    XErrorHandler mine = [](Display*, XErrorEvent*) { return 0; };
    XErrorHandler before = XSetErrorHandler(mine);
    platform::FindTopLevelWindow("anything");
    EXPECT_EQ(XSetErrorHandler(before), mine);
    XCloseDisplay(display);
}

}  // namespace
