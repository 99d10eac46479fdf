// One whole life of the real program, driven from outside as a user drives it: the
// setup and change password dialogs, the hide panel, the confirmation, a restart with
// the password prompt, the restore. The
// checks are those of the mail client's own view: its identity list and every byte
// and registry value of the protected identity's store.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "identities/Settings.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

const std::string kBin = std::string(VEILBOX_BINARY_DIR) + "/bin";
const char kPassword[] = "e2e-Pass 7";

int Shell(const std::string& command) {
    // Through a script file, so the step may quote as it likes.
    char path[] = "/tmp/veilbox-e2e-step-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return -1;
    const std::string script = ". '" E2E_HELPERS "'\n" + command + "\n";
    const bool written = write(fd, script.data(), script.size()) == static_cast<ssize_t>(script.size());
    close(fd);
    const int status = written ? std::system((std::string("bash ") + path).c_str()) : -1;
    unlink(path);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
    return out;
}

class HideRestoreEndToEnd : public ::testing::Test {
protected:
    HideRestoreEndToEnd() {
        environment_.Set("HOME", home_.path());
        // The demo stores go here. The store folder is read back the way the mail
        // client wrote it, but a lower-case path keeps the run independent of how
        // a reader treats capitals in the temporary folder's random name.
        dataHome_ = "/tmp/veilbox-e2e-" + std::to_string(getpid());
        std::filesystem::create_directories(dataHome_);
        environment_.Set("XDG_DATA_HOME", dataHome_);
        environment_.Set("XDG_CONFIG_HOME", home_.path() + "/config");
        environment_.Set("PATH", kBin + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin"));
        environment_.Set("VEILBOX_TRACE_STARTUP", "1");
        std::filesystem::create_directories(home_.path() + "/Documents");
        // The program runs from a folder of its own, so auth.dat beside it is ours.
        std::filesystem::create_directories(home_.path() + "/bin");
        std::filesystem::copy_file(kBin + "/veilbox", program_);
    }

    ~HideRestoreEndToEnd() override {
        // A failed step must not leave the program on the display for the next test.
        const std::string pid = ProgramPid();
        if (!pid.empty()) std::system(("kill " + pid + " 2>/dev/null").c_str());
        std::error_code ignored;
        std::filesystem::remove_all(dataHome_, ignored);
    }

    // Starts the program in the background; its standard error goes to a file.
    void StartProgram() {
        const std::string start = "'" + program_ + "' 2>'" + home_.file("stderr.txt") + "' & echo $! > '" + home_.file("pid") + "'";
        ASSERT_EQ(0, std::system(start.c_str()));
    }
    std::string ProgramPid() {
        std::string pid = ReadWholeFile(home_.file("pid"));
        return pid.substr(0, pid.find_first_not_of("0123456789"));
    }
    bool ProgramEnded() {
        const std::string pid = ProgramPid();
        if (WaitFor([&] { return std::system(("kill -0 " + pid + " 2>/dev/null").c_str()) != 0; })) return true;
        std::system(("kill " + pid).c_str());
        return false;
    }
    bool Listed(const std::string& keyName) { return Output("msimn list").find(keyName) != std::string::npos; }
    bool WaitFor(const std::function<bool()>& condition) {
        for (int i = 0; i < 600; ++i) {
            if (condition()) return true;
            std::system("sleep 0.1");
        }
        return false;
    }
    int StartupMs() {
        std::smatch match;
        const std::string text = ReadWholeFile(home_.file("stderr.txt"));
        return std::regex_search(text, match, std::regex("first page loaded after ([0-9]+) ms"))
                   ? std::stoi(match[1])
                   : -1;
    }

    TempRegistry registry_;
    TempDir home_;
    std::string dataHome_;
    ScopedEnvironment environment_;
    std::string program_ = home_.path() + "/bin/veilbox";
};

}  // namespace

TEST_F(HideRestoreEndToEnd, HideAtHighLevelThenRestoreAfterARestart) {
    ASSERT_EQ(0, std::system("msimn seed-demo >/dev/null"));
    std::string keyName;
    for (std::istringstream lines(Output("msimn list")); std::getline(lines, keyName);) {
        if (keyName.find("Private") != std::string::npos) break;
    }
    keyName = keyName.substr(0, keyName.find('\t'));
    ASSERT_FALSE(keyName.empty());
    const std::string sums = home_.file("sums.txt");
    ASSERT_EQ(0, std::system(("msimn checksum record '" + keyName + "' '" + sums + "'").c_str()));

    // The catalogue lists identities in the registry's order, as msimn does.
    int line = 0;
    std::string listed;
    for (std::istringstream lines(Output("msimn list")); std::getline(lines, listed); ++line) {
        if (listed.compare(0, keyName.size(), keyName) == 0) break;
    }
    {
        ScopedEnvironment program;
        program.Set(kApplicationNameVariable, "veilbox");
        ASSERT_TRUE(ClearFirstRun());  // straight to the main page
    }
    const std::string container = home_.path() + "/Documents/" + keyName + ".dat";
    // The panel's picture is the middle of the main page, below the header and menu.
    const std::string clickPanel = "click_main 295 232";
    // "Back to main screen" on the result page, then "Exit" on the main page. After a
    // restore the result page has one more line above the link.
    const std::string backThenExit = "click_main 88 203 && sleep 2 && click_main 315 119";
    const std::string backThenExitAfterRestore = "click_main 88 217 && sleep 2 && click_main 315 119";

    // First run without a password: Settings, the protected identity, a password set
    // through Change password, OK. High is the level already chosen.
    StartProgram();
    ASSERT_EQ(0, Shell("wait_until 300 program_window main"));
    ASSERT_TRUE(WaitFor([&] { return StartupMs() >= 0; }));
    const int firstStart = StartupMs();
    std::system("sleep 1");
    const std::string typed = std::string("\"") + kPassword + "\"";
    ASSERT_EQ(0, Shell("click_main 49 119 && click_in '^Setup$' 389 " + std::to_string(38 + 19 * line) +
                       " && click_in '^Setup$' 511 320"));
    ASSERT_EQ(0, Shell("click_in '^Change password$' 211 58 && xdotool type --delay 20 " + typed +
                       " && click_in '^Change password$' 211 94 && xdotool type --delay 20 " + typed +
                       " && click_in '^Change password$' 372 22"));
    std::system("sleep 1");
    ASSERT_EQ(0, Shell("click_in '^Setup$' 399 352"));
    std::system("sleep 1");
    EXPECT_TRUE(std::filesystem::exists(home_.path() + "/bin/auth.dat"));
    ASSERT_EQ(0, Shell(clickPanel));
    ASSERT_EQ(0, Shell("answer_dialog"));  // the hide's question, Yes
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(container) && !Listed(keyName); }));
    std::system("sleep 2");
    ASSERT_EQ(0, Shell(backThenExit));
    ASSERT_TRUE(ProgramEnded());
    EXPECT_TRUE(std::filesystem::exists(container));
    EXPECT_FALSE(Listed(keyName));

    StartProgram();
    ASSERT_EQ(0, Shell(std::string("answer_dialog \"") + kPassword + "\""));
    ASSERT_EQ(0, Shell("wait_until 300 program_window main"));
    // The panel is clickable once the first page has loaded and been filled.
    ASSERT_TRUE(WaitFor([&] { return StartupMs() >= 0; }));
    std::system("sleep 1");
    ASSERT_EQ(0, Shell(clickPanel));
    ASSERT_EQ(0, Shell("answer_dialog"));  // the restore's question, Yes
    ASSERT_TRUE(WaitFor([&] { return !std::filesystem::exists(container) && Listed(keyName); }));
    std::system("sleep 2");
    ASSERT_EQ(0, Shell(backThenExitAfterRestore));
    ASSERT_TRUE(ProgramEnded());

    EXPECT_EQ(0, std::system(("msimn checksum verify '" + keyName + "' '" + sums + "' >/dev/null").c_str()));
    std::printf("start to first page: %d ms, then %d ms\n", firstStart, StartupMs());
    RecordProperty("startup_ms", firstStart);
}
