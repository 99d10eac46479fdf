#include <gtest/gtest.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Shell.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace {

// A PATH of temporary folders holding fake programs that record how they were run.
class ProgramLauncher : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(bin_.path() + "/first");
        std::filesystem::create_directories(bin_.path() + "/second");
        environment_.Set("PATH", bin_.path() + "/first:" + bin_.path() + "/second");
    }

    // A program that writes its name, its arguments (one a line) and whether its parent
    // is this test process into a marker file named after the program.
    std::string FakeProgram(const std::string& folder, const std::string& name) {
        std::string path = bin_.path() + "/" + folder + "/" + name;
        std::string marker = bin_.path() + "/ran-" + name;
        WriteWholeFile(path, "#!/bin/sh\n"
                             "{ printf '%s\\n' \"$0\" \"$@\"; "
                             "if [ \"$PPID\" = " + std::to_string(getpid()) + " ]; then echo attached; fi; }"
                             " > '" + marker + ".tmp'\n"
                             "/bin/mv '" + marker + ".tmp' '" + marker + "'\n");
        chmod(path.c_str(), 0755);
        return marker;
    }

    // Waits a while for a detached program to leave its marker.
    static std::string WaitForMarker(const std::string& marker) {
        for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return std::filesystem::exists(marker) ? ReadWholeFile(marker) : std::string();
    }

    // Nothing we started may be left for us to reap.
    static void ExpectNoChildren() {
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }

    TempDir bin_;
    ScopedEnvironment environment_;
};

}  // namespace

TEST_F(ProgramLauncher, StartsProgramFoundOnPathDetached) {
    std::string marker = FakeProgram("second", "client");
    ASSERT_TRUE(platform::StartProgram("client"));
    ExpectNoChildren();
    std::string record = WaitForMarker(marker);
    EXPECT_EQ(record, bin_.path() + "/second/client\n");
}

TEST_F(ProgramLauncher, ExeSuffixIsDroppedOnlyWhenNeeded) {
    std::string plain = FakeProgram("second", "msimn");
    EXPECT_TRUE(platform::StartProgram("msimn.exe"));
    EXPECT_EQ(WaitForMarker(plain), bin_.path() + "/second/msimn\n");

    // A program that keeps the suffix is taken as named.
    std::string withSuffix = FakeProgram("second", "tool.EXE");
    FakeProgram("first", "tool");
    EXPECT_TRUE(platform::StartProgram("tool.EXE"));
    EXPECT_EQ(WaitForMarker(withSuffix), bin_.path() + "/second/tool.EXE\n");
    EXPECT_FALSE(std::filesystem::exists(bin_.path() + "/ran-tool"));
    ExpectNoChildren();
}

TEST_F(ProgramLauncher, MissingOrUnrunnableProgramsAreReported) {
    EXPECT_FALSE(platform::StartProgram("absent.exe"));
    EXPECT_FALSE(platform::StartProgram(""));

    // Not executable, a folder, and a file the system cannot run: none is "started".
    WriteWholeFile(bin_.path() + "/first/text", "#!/bin/sh\n");
    std::filesystem::create_directories(bin_.path() + "/first/folder");
    WriteWholeFile(bin_.path() + "/first/broken", "#!/nonexistent/interpreter\n");
    chmod((bin_.path() + "/first/broken").c_str(), 0755);
    EXPECT_FALSE(platform::StartProgram("text"));
    EXPECT_FALSE(platform::StartProgram("folder"));
    EXPECT_FALSE(platform::StartProgram("broken"));
    ExpectNoChildren();

    // A non-executable file does not hide a runnable one later on the path.
    std::string marker = FakeProgram("second", "text");
    EXPECT_TRUE(platform::StartProgram("text"));
    EXPECT_FALSE(WaitForMarker(marker).empty());
}

TEST_F(ProgramLauncher, UrlReachesTheHandlerUntouched) {
    std::string marker = FakeProgram("first", "xdg-open");
    // Blanks, quotes and shell characters must arrive as one argument, unexpanded.
    const std::string url = "mailto:support@example.com?subject=Veilbox build 384&body=a;b'c\"$HOME`id`";
    ASSERT_TRUE(platform::OpenUrl(url));
    EXPECT_EQ(WaitForMarker(marker), bin_.path() + "/first/xdg-open\n" + url + "\n");
    ExpectNoChildren();

    EXPECT_FALSE(platform::OpenUrl("--manual"));
    EXPECT_FALSE(platform::OpenUrl(""));
}

// A descriptor without close-on-exec (a locked store file, say) stays ours alone.
TEST_F(ProgramLauncher, StartedProgramInheritsNoDescriptors) {
    int held = open(bin_.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 3);
    std::string marker = bin_.path() + "/ran-lister";
    std::string path = bin_.path() + "/first/lister";
    WriteWholeFile(path, "#!/bin/sh\n"
                         "if [ -e /proc/self/fd/" + std::to_string(held) + " ]; then r=inherited; else r=clean; fi\n"
                         "echo $r > '" + marker + ".tmp'\n"
                         "/bin/mv '" + marker + ".tmp' '" + marker + "'\n");
    chmod(path.c_str(), 0755);
    EXPECT_TRUE(platform::StartProgram("lister"));
    EXPECT_EQ(WaitForMarker(marker), "clean\n");
    close(held);
}

TEST_F(ProgramLauncher, UrlWithoutHandlerFails) {
    EXPECT_FALSE(platform::OpenUrl("mailto:someone@example.com"));
}
