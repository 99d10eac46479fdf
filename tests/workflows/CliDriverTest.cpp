// The driver that runs a hide or a restore in a process of its own, for tests that
// need to stop one mid-run: it works on the environment's registry and documents, and
// only ever under the program password in force, which it takes from a descriptor.
#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
