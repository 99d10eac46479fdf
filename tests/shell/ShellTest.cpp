// Starting programs, embedded resources and system values.
#include <gtest/gtest.h>
#include <errno.h>
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

// A PATH of two temporary folders for fake programs that record how they were run.
class ProgramLauncher : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"/first", "/second"}) std::filesystem::create_directories(bin_.path() + folder);
        environment_.Set("PATH", bin_.path() + "/first:" + bin_.path() + "/second");
    }
    // A program that writes its path, its arguments (one a line) and whether a
    // descriptor of this process is still open in it into a marker named after it.
    std::string FakeProgram(const std::string& folder, const std::string& name, int fd = 99) {
        const std::string path = bin_.path() + "/" + folder + "/" + name, marker = bin_.path() + "/ran-" + name;
        WriteWholeFile(path, "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$@\"; [ -e /proc/self/fd/" + std::to_string(fd) +
                                 " ] && echo inherited; } > '" + marker + ".tmp'\n/bin/mv '" + marker + ".tmp' '" + marker + "'\n");
        ::chmod(path.c_str(), 0755);
        return marker;
    }
    // Waits a while for a detached program to leave its marker; nothing we started may
    // be left for us to reap.
    static std::string Ran(const std::string& marker) {
        for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
        return std::filesystem::exists(marker) ? ReadWholeFile(marker) : std::string();
    }

    TempDir bin_;
    ScopedEnvironment environment_;
};

TEST_F(ProgramLauncher, StartsTheFirstRunnableProgramOnThePathDetachedWithNoDescriptors) {
    const int held = ::open(bin_.path().c_str(), O_RDONLY | O_DIRECTORY);  // as a locked store file would be
    ASSERT_GE(held, 3);
    const std::string marker = FakeProgram("second", "client", held);
    // Not executable, a folder, and a file the system cannot run hide nothing later on the path.
    WriteWholeFile(bin_.path() + "/first/client", "#!/bin/sh\n");
    ASSERT_TRUE(platform::StartProgram("client"));
    EXPECT_EQ(Ran(marker), bin_.path() + "/second/client\n");
    ::close(held);

    std::filesystem::create_directories(bin_.path() + "/first/folder");
    WriteWholeFile(bin_.path() + "/first/broken", "#!/nonexistent/interpreter\n");
    ::chmod((bin_.path() + "/first/broken").c_str(), 0755);
    for (const char* name : {"absent.exe", "", "folder", "broken"}) EXPECT_FALSE(platform::StartProgram(name)) << name;

    // ".exe" is dropped only when no program keeps it.
    const std::string plain = FakeProgram("second", "msimn");
    EXPECT_TRUE(platform::StartProgram("msimn.exe"));
    EXPECT_EQ(Ran(plain), bin_.path() + "/second/msimn\n");
    const std::string withSuffix = FakeProgram("second", "tool.EXE");
    FakeProgram("first", "tool");
    EXPECT_TRUE(platform::StartProgram("tool.EXE"));
    EXPECT_EQ(Ran(withSuffix), bin_.path() + "/second/tool.EXE\n");
    EXPECT_FALSE(std::filesystem::exists(bin_.path() + "/ran-tool"));
}

TEST_F(ProgramLauncher, UrlReachesTheHandlerUntouched) {
    EXPECT_FALSE(platform::OpenUrl("mailto:someone@example.com")) << "no handler";
    const std::string marker = FakeProgram("first", "xdg-open");
    // Blanks, quotes and shell characters must arrive as one argument, unexpanded.
    const std::string url = "mailto:support@example.com?subject=Veilbox build 384&body=a;b'c\"$HOME`id`";
    ASSERT_TRUE(platform::OpenUrl(url));
    EXPECT_EQ(Ran(marker), bin_.path() + "/first/xdg-open\n" + url + "\n");
    EXPECT_FALSE(platform::OpenUrl("--manual"));
    EXPECT_FALSE(platform::OpenUrl(""));
}

std::string Bytes(const platform::Resource& resource) {
    return resource ? std::string(reinterpret_cast<const char*>(resource.data), resource.size) : "<missing>";
}

TEST(Resources, ItemsAreFoundByNameInAnyCaseOrByNumberWithinTheirType) {
    const std::string source = VEILBOX_SOURCE_DIR "/tests/shell/resources/";
    const platform::Resource page = platform::FindResource("HTML", "index.htm");
    EXPECT_EQ(Bytes(page), ReadWholeFile(source + "html/index.htm"));
    EXPECT_EQ(page.data[page.size], 0) << "texts can be used as C strings";
    EXPECT_EQ(platform::FindResource("html", "INDEX.Htm").data, page.data);
    EXPECT_EQ(Bytes(platform::FindResource("HTML", "img/dot.gif")), ReadWholeFile(source + "html/img/dot.gif"));
    EXPECT_EQ(Bytes(platform::FindResource("BITMAP", 141)), ReadWholeFile(source + "bitmap/141.bin"));
    EXPECT_EQ(platform::FindResource("BITMAP", "141.bin").data, platform::FindResource("BITMAP", 141).data);
    EXPECT_EQ(Bytes(platform::FindResource("ICON", 10001)), ReadWholeFile(source + "icon/10001.txt"));
    EXPECT_EQ(Bytes(platform::FindResource("icon", 20007)), ReadWholeFile(source + "icon/20007.txt"));
    EXPECT_EQ(Bytes(platform::FindResource("CURSOR", 136)), ReadWholeFile(source + "cursor/136.cur"));
    const platform::Resource empty = platform::FindResource("HTML", "empty.htm");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.size, 0u);
    EXPECT_EQ(empty.data[0], 0);

    for (const char* name : {"missing.htm", "index", "img"}) EXPECT_FALSE(platform::FindResource("HTML", name)) << name;
    // A number belongs to its type only, and is not cut to 16 bits (65677 = 141 + 65536).
    EXPECT_FALSE(platform::FindResource("BITMAP", 142));
    EXPECT_FALSE(platform::FindResource("ICON", 141));
    EXPECT_FALSE(platform::FindResource("CURSOR", 10001));
    EXPECT_FALSE(platform::FindResource("BITMAP", 65677));
}

TEST(SystemValues, RandomCountersAndIdentity) {
    // Larger than one getrandom call guarantees to deliver at once; a short read would
    // leave the zeros at the end in place.
    std::vector<unsigned char> a(1 << 20, 0), b(1 << 20, 0);
    ASSERT_TRUE(platform::OsRandom(a.data(), a.size()));
    ASSERT_TRUE(platform::OsRandom(b.data(), b.size()));
    EXPECT_NE(a, b);
    EXPECT_FALSE(std::all_of(a.end() - 64, a.end(), [](unsigned char c) { return c == 0; }));
    EXPECT_TRUE(platform::OsRandom(nullptr, 0));

    const uint64_t frequency = platform::PerformanceFrequency(), counter = platform::PerformanceCounter();
    const uint32_t ticks = platform::TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint64_t elapsedMs = (platform::PerformanceCounter() - counter) * 1000 / frequency;
    const uint32_t elapsedTicks = platform::TickCount() - ticks;
    EXPECT_GE(elapsedMs, 50u);
    EXPECT_LT(elapsedMs, 5000u);
    EXPECT_GE(elapsedTicks + 1, 50u);
    EXPECT_LT(elapsedTicks, elapsedMs + 2);

    // The main thread's id is the process id; any other thread's differs.
    EXPECT_EQ(platform::CurrentProcessId(), static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(platform::CurrentThreadId(), platform::CurrentProcessId());
    uint32_t other = 0;
    std::thread([&] { other = platform::CurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, platform::CurrentThreadId());
}

}  // namespace
