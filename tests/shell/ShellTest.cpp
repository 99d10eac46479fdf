// Starting programs, system values, the search for a window and the folders the program uses.
// gtest comes before Xlib, which defines None and other short names as macros.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/FileLocations.h"
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
        WriteWholeFile(bin.file(path), "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$@\" ${VEILBOX_WINDOW_SHOW:+\"$VEILBOX_WINDOW_SHOW\"}; [ -e /proc/self/fd/" + std::to_string(fd) +
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
    EXPECT_EQ(platform::StartProgram("client") ? ran(client) : "not started", bin.file("second/client\n"));
    ::close(held);
    fake("first/broken");
    WriteWholeFile(bin.file("first/broken"), "#!/nonexistent/interpreter\n");
    for (const char* name : {"absent.exe", "", "folder", "broken"}) EXPECT_FALSE(platform::StartProgram(name)) << name;
    // ".exe" is dropped only when no program keeps it.
    const std::string plain = fake("second/msimn"), suffixed = fake("second/tool.EXE");
    fake("first/tool");
    // The request to show the first window maximised travels along.
    EXPECT_EQ(platform::StartProgram("msimn.exe", platform::WindowShow::Maximized) ? ran(plain) : "not started",
              bin.file("second/msimn\nmaximized\n"));
    EXPECT_EQ(platform::StartProgram("tool.EXE") ? ran(suffixed) : "not started", bin.file("second/tool.EXE\n"));
    EXPECT_FALSE(fs::exists(bin.file("ran-tool")));

    EXPECT_FALSE(platform::OpenUrl("mailto:someone@example.com")) << "no handler";
    const std::string handler = fake("first/xdg-open");
    // Blanks, quotes and shell characters must arrive as one argument, unexpanded.
    const std::string url = "mailto:support@example.com?subject=Veilbox build 384&body=a;b'c\"$HOME`id`";
    EXPECT_EQ(platform::OpenUrl(url) ? ran(handler) : "not started", bin.file("first/xdg-open\n") + url + "\n");
    EXPECT_FALSE(platform::OpenUrl("--manual") || platform::OpenUrl(""));
}

// More than one getrandom call delivers at once: a short read would leave zeros at the
// end. The main thread's id is the process id; any other thread's differs. auth.dat sits
// beside the program; paths lose one trailing separator.
TEST(Shell, RandomBytesIdsAndTheProgramFolder) {
    std::vector<unsigned char> a(1 << 20, 0), b(1 << 20, 0);
    ASSERT_TRUE(platform::OsRandom(a.data(), a.size()) && platform::OsRandom(b.data(), b.size()) && platform::OsRandom(nullptr, 0));
    EXPECT_TRUE(a != b && !std::all_of(a.end() - 64, a.end(), [](unsigned char c) { return c == 0; }));
    uint32_t other = 0;
    std::thread([&] { other = platform::CurrentThreadId(); }).join();
    EXPECT_TRUE(platform::CurrentThreadId() == uint32_t(::getpid()) && platform::CurrentProcessId() == uint32_t(::getpid()) && other != uint32_t(::getpid()));
    EXPECT_TRUE(fs::equivalent(GetModulePath(), "/proc/self/exe"));
    EXPECT_EQ(GetProgramFilePath("auth.dat"), GetProgramFolder(GetModulePath()) + "auth.dat");
    EXPECT_EQ(std::make_pair(GetProgramFolder("/apps/tool/prog"), GetProgramFolder("prog")), std::make_pair(std::string("/apps/tool/"), std::string()));
    for (const auto& [path, stripped] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"/", ""}, {"/home/u/Documents", "/home/u/Documents"}, {"/home/u/Documents/", "/home/u/Documents"}, {"/home/u//", "/home/u/"}})
        EXPECT_EQ(StripTrailingBackslash(path), stripped) << path;
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
    XReparentWindow(display, window, make(outer, ""), 0, 0), XSync(display, False);
    EXPECT_TRUE(platform::FindTopLevelWindow(cls));
    {
        ScopedEnvironment environment;
        environment.Unset("DISPLAY");
        EXPECT_FALSE(platform::FindTopLevelWindow(cls)) << "no display, no window";
    }
    XDestroyWindow(display, outer), XSync(display, False);
    EXPECT_FALSE(platform::FindTopLevelWindow(cls));

    const pid_t churner = ::fork();
    if (churner == 0) {
        Display* other = XOpenDisplay(nullptr);
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2); other && std::chrono::steady_clock::now() < end;) {
            const Window parent = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 5, 5, 0, 0, 0);
            for (int i = 0; i < 40; ++i) XCreateSimpleWindow(other, parent, 0, 0, 5, 5, 0, 0, 0);
            XSync(other, False), XDestroyWindow(other, parent), XSync(other, False);
        }
        ::_exit(other ? 0 : 1);
    }
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500); std::chrono::steady_clock::now() < end;)
        EXPECT_FALSE(platform::FindTopLevelWindow("Veilbox Absent Class" + pid));
    int status = 0;
    EXPECT_TRUE(::waitpid(churner, &status, 0) == churner && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The error handler in force before the search is back in place.
    XErrorHandler mine = [](Display*, XErrorEvent*) { return 0; };
    XErrorHandler before = XSetErrorHandler(mine);
    platform::FindTopLevelWindow("anything");
    EXPECT_EQ(XSetErrorHandler(before), mine);
    XCloseDisplay(display);
}

// Containers go to the documents folder named in user-dirs.dirs, made private. The last
// usable entry counts; a relative path or a missing quote is not usable, and a folder that
// cannot be made gives no folder, so names land in the root folder.
// What a process holding a password does first: no core file, and closed to other
// processes of the user (ptrace, /proc/<pid>/mem); looked at in a child.
TEST(Shell, CoreDumpsOffAndNotDumpable) {
    const pid_t child = ::fork();
    if (child == 0) {
        rlimit core{};
        const bool off = platform::DisableCoreDumps() && ::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 &&
                         ::prctl(PR_GET_DUMPABLE) == 0;
        ::_exit(off ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(FileLocations, DocumentsFolderFollowsUserDirsAndIsMadePrivate) {
    TempDir home;
    ScopedEnvironment environment;
    environment.Set("HOME", home.path());
    environment.Set("XDG_CONFIG_HOME", home.path());
    EXPECT_EQ(GetSpecialFolder(0) + GetSpecialFolder(26), "");
    EXPECT_FALSE(fs::exists(home.file("Documents"))) << "other folders create nothing";
    WriteWholeFile(home.file("blocker"), "a file where a folder should be");
    const std::pair<std::string, std::string> cases[] = {
        {"XDG_DOCUMENTS_DIR=\"docs\"\nXDG_DOCUMENTS_DIR=$HOME/x\n", "/Documents"}, {"XDG_DOCUMENTS_DIR=\"" + home.path() + "/abs\"\n", "/abs"},
        {"# xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n  XDG_DOCUMENTS_DIR = \"$HOME/My \\\"Docs\\\"/in/\"\n",
         "/My \"Docs\"/in"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/blocker/docs\"\n", ""}};
    for (const auto& [userDirs, folder] : cases) {
        WriteWholeFile(home.file("user-dirs.dirs"), userDirs);
        const std::string expected = folder.empty() ? "" : home.path() + folder;
        struct stat info {};
        EXPECT_EQ(std::make_pair(GetSpecialFolder(CSIDL_PERSONAL), GetDocumentsFilePath("x.dat")), std::make_pair(expected, expected + "/x.dat"));
        EXPECT_TRUE(folder.empty() || (::stat(expected.c_str(), &info) == 0 && (info.st_mode & 0777) == 0700)) << folder;
    }
    EXPECT_FALSE(fs::exists(home.file("Papers")));
}

}  // namespace
