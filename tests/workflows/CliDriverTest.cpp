// The driver that runs a hide or a restore in a process of its own, for tests that
// need to stop one mid-run: it works on the environment's registry and documents, and
// only ever under the program password in force, which it takes from a descriptor or
// the terminal and keeps out of core files and other processes.
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <poll.h>
#include <pty.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>

#include "store/Container.h"
#include "support/CommandOutput.h"
#include "support/PasswordPipe.h"
#include "support/World.h"

namespace {

const std::string kDriver = VEILBOX_BINARY_DIR "/bin/veilbox-cli";

// Runs the driver in a session of its own, so that it has no terminal to ask at; the
// lines, when given, are its passwords on a pipe. Its exit status.
int RunDriver(const std::string& command, const std::optional<std::string>& lines = std::nullopt) {
    std::optional<PasswordPipe> pipe;
    std::string line = "setsid -w " + kDriver;
    if (lines) {
        for (const std::string& word : pipe.emplace(*lines).Option()) line += " " + word;
    }
    int exitCode = -1;
    CommandOutput(line + " " + command + " >/dev/null 2>&1", &exitCode);
    return exitCode;
}

// Whether pid would leave a core file ("Max core file size" is not 0), or another process
// of the same user without the right to trace others may look into it (read its exe link).
bool Exposed(pid_t pid) {
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    for (std::string line; std::getline(limits, line);) {
        if (line.rfind("Max core file size", 0) == 0 && line.find(" 0 ") == std::string::npos) return true;
    }
    const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    const pid_t looker = ::fork();
    if (looker == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        ::syscall(SYS_capget, &header, caps);
        caps[CAP_SYS_PTRACE / 32].effective &= ~(1u << (CAP_SYS_PTRACE % 32));
        ::syscall(SYS_capset, &header, caps);
        char target[4096];
        ::_exit(::readlink(exe.c_str(), target, sizeof target) > 0 ? 0 : 1);
    }
    int status = 0;
    return looker > 0 && ::waitpid(looker, &status, 0) == looker && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct TerminalRun {
    std::string screen;       // everything the terminal showed
    bool exposed = true;      // while it asked
    bool echoesAfter = false; // the terminal echoes again once the driver is gone
    int status = 0;           // as waitpid has it
};

// Runs the driver's hide at a terminal of its own and types keys once it asks.
TerminalRun RunDriverAtTerminal(const std::string& keys) {
    TerminalRun run;
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        // A user's session: Ctrl-C ends the foreground job, core files are on, and no
        // right to trace others (which root has) opens the driver to the user.
        std::signal(SIGINT, SIG_DFL);
        rlimit core{};
        ::getrlimit(RLIMIT_CORE, &core);
        core.rlim_cur = core.rlim_max;
        ::setrlimit(RLIMIT_CORE, &core);
        ::prctl(PR_CAPBSET_DROP, CAP_SYS_PTRACE, 0, 0, 0);
        ::execl(kDriver.c_str(), kDriver.c_str(), "hide", nullptr);
        ::_exit(127);
    }
    // The wait is only a guard against a driver that never asks.
    auto readSome = [&] {
        pollfd ready{terminal, POLLIN, 0};
        char buffer[512];
        const ssize_t got = ::poll(&ready, 1, 60000) == 1 ? ::read(terminal, buffer, sizeof buffer) : -1;
        if (got > 0) run.screen.append(buffer, static_cast<size_t>(got));
        return got > 0;
    };
    while (pid > 0 && run.screen.find("Password: ") == std::string::npos && readSome()) {
    }
    run.exposed = pid < 0 || Exposed(pid);
    EXPECT_EQ(::write(terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    while (readSome()) {
    }
    ::waitpid(pid, &run.status, 0);
    termios settings{};
    run.echoesAfter = ::tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    ::close(terminal);
    return run;
}

class CliDriverTest : public WorldTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kDriver)) GTEST_SKIP() << "driver not built";
        world.environment.Set("VEILBOX_PROGRAM_NAME", GetApplicationName());
    }
    // Either nothing changed, or the identity is hidden in a container sealed under the
    // password in force, which this process set too: its restore brings every byte back.
    void ExpectHidden(bool hidden) {
        EXPECT_EQ(IsIdentityHidden(), hidden);
        EXPECT_NE(world.Listed(), hidden);
        if (hidden) {
            ASSERT_TRUE(world.Restore().ok);
        }
        EXPECT_EQ(world.Now(), before);
    }
};

TEST_F(CliDriverTest, HidesOnlyUnderThePasswordInForce) {
    // The program password set before the run, the lines on the descriptor (none: no
    // --password-fd) and the driver's exit code.
    const std::tuple<const char*, const char*, std::optional<std::string>, int> cases[] = {
        {"a password is set, none given, no terminal", "driver pw", std::nullopt, 2},
        {"a wrong password", "driver pw", "wrong\n", 2},
        {"a password where none is set", "", "driver pw\n", 2},
        {"the password, ended by CR LF", "driver pw", "driver pw\r\n", 0},
        {"the password at the end of input", "driver pw", "driver pw", 0},
        {"no password set, none given", "", std::nullopt, 0},
    };
    for (const auto& [what, password, lines, exitCode] : cases) {
        SCOPED_TRACE(what);
        world.SetPassword(password);
        ASSERT_EQ(RunDriver("hide", lines), exitCode);
        ExpectHidden(exitCode == 0);
    }
}

TEST_F(CliDriverTest, RestoreTakesTheHidePasswordFromTheNextLine) {
    world.SetPassword("at hide");
    ASSERT_EQ(RunDriver("hide", std::string("at hide\n")), 0);
    world.SetPassword("later");
    // The container does not open under the password in force, and nothing more is given.
    EXPECT_EQ(RunDriver("restore", std::string("later\n")), 1);
    EXPECT_TRUE(IsIdentityHidden());
    ASSERT_EQ(RunDriver("restore", std::string("later\nat hide\n")), 0);
    EXPECT_EQ(world.Now(), before);
    EXPECT_EQ(RunDriver("restore", std::string("later\n")), 2);  // nothing hidden
}

TEST_F(CliDriverTest, AsksAtTheTerminalWithoutEchoAndOutOfReach) {
    world.SetPassword("driver pw");
    for (bool typed : {true, false}) {  // the password, or Ctrl-C at the prompt
        SCOPED_TRACE(typed);
        const TerminalRun run = RunDriverAtTerminal(typed ? "driver pw\n" : "\x03");
        EXPECT_NE(run.screen.find("Password: "), std::string::npos) << run.screen;
        EXPECT_EQ(run.screen.find("driver pw"), std::string::npos) << run.screen;
        EXPECT_FALSE(run.exposed);
        EXPECT_TRUE(run.echoesAfter);
        EXPECT_TRUE(typed ? WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0
                          : WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGINT)
            << run.screen;
        ExpectHidden(typed);
    }
}

}  // namespace
