// One whole life of the real program, driven from outside as a user drives it: the
// setup and change password dialogs, the hide panel, the confirmation, a restart with
// the password prompt, the restore. The checks are those of the mail client's own view:
// its identity list and every byte and registry value of the protected identity's store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "identities/Settings.h"
#include "support/CommandOutput.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace fs = std::filesystem;

class HideRestoreEndToEnd : public ::testing::Test {
protected:
    HideRestoreEndToEnd() {
        const std::string bin = std::string(VEILBOX_BINARY_DIR) + "/bin";
        // The program runs from a folder of its own, so nothing beside it is another's.
        fs::create_directories(home_.file("bin"));
        fs::copy_file(bin + "/veilbox", home_.file("bin/veilbox"));
        fs::create_directories(home_.file("Documents"));
        // The demo stores go here: a lower-case path keeps the store folder, read back as
        // the mail client wrote it, clear of capitals in the temporary folder's name.
        fs::create_directories(dataHome_);
        for (const auto& [name, value] : {std::pair{"HOME", home_.path()}, {"E2E_HOME", home_.path()},
                                          {"XDG_DATA_HOME", dataHome_}, {"XDG_CONFIG_HOME", home_.file("config")},
                                          {"PATH", bin + ":" + std::getenv("PATH")}, {"VEILBOX_TRACE_STARTUP", "1"},
                                          {"E2E_PASSWORD", "e2e-Pass 7"}}) {
            environment_.Set(name, value);
        }
    }
    ~HideRestoreEndToEnd() override {
        Step("stop_program");  // a failed step must not leave the program on the display
        fs::remove_all(dataHome_);
    }
    // Runs a command line with the helpers at hand; true when it succeeded.
    bool Step(const std::string& command) {
        environment_.Set("E2E_STEP", command);
        int exitCode = -1;
        CommandOutput("bash -c '. \"" E2E_HELPERS "\" && eval \"$E2E_STEP\"' >/dev/null", &exitCode);
        return exitCode == 0;
    }

    TempRegistry registry_;
    TempDir home_;
    std::string dataHome_ = "/tmp/veilbox-e2e-" + std::to_string(getpid());
    ScopedEnvironment environment_;
};

TEST_F(HideRestoreEndToEnd, HideAtHighLevelThenRestoreAfterARestart) {
    ASSERT_TRUE(Step("msimn seed-demo"));
    // The setup list shows identities in the registry's order, as msimn lists them.
    std::string keyName;
    int line = 0;
    for (std::istringstream lines(CommandOutput("msimn list")); std::getline(lines, keyName); ++line) {
        if (keyName.find("Private") != std::string::npos) break;
    }
    keyName = keyName.substr(0, keyName.find('\t'));
    ASSERT_TRUE(Step("msimn checksum record '" + keyName + "' \"$E2E_HOME/sums.txt\""));
    {
        ScopedEnvironment program;
        program.Set(kApplicationNameVariable, "veilbox");
        ASSERT_TRUE(ClearFirstRun());  // straight to the main page
    }
    // The panel's picture is the middle of the main page, below the header and menu;
    // answering its question starts the work.
    const std::string usePanel = "click_main 295 232 && answer_dialog";
    // "Back to main screen" on the result page (one line lower after a restore), then "Exit".
    const auto backThenExit = [](int y) {
        return "sleep 2 && click_main 88 " + std::to_string(y) + " && sleep 2 && click_main 315 119 && program_ended";
    };

    // First run without a password: Settings, the protected identity, a password set
    // through Change password, OK. High is the level already chosen.
    ASSERT_TRUE(Step("start_program && started && click_main 49 119 && click_in '^Setup$' 389 " + std::to_string(38 + 19 * line) +
                     " && click_in '^Setup$' 511 320 && click_in '^Change password$' 211 58 && type_in \"$E2E_PASSWORD\""
                     " && click_in '^Change password$' 211 94 && type_in \"$E2E_PASSWORD\" && "
                     "click_in '^Change password$' 372 22 && sleep 1 && click_in '^Setup$' 399 352 && sleep 1"));
    EXPECT_TRUE(fs::exists(dataHome_ + "/veilbox/auth.dat"));
    ASSERT_TRUE(Step(usePanel + " && wait_until 600 hidden " + keyName));
    ASSERT_TRUE(Step(backThenExit(203) + " && hidden " + keyName));

    ASSERT_TRUE(Step("start_program && answer_dialog \"$E2E_PASSWORD\" && started && " + usePanel +
                     " && wait_until 600 restored " + keyName + " && " + backThenExit(217)));
    EXPECT_TRUE(Step("msimn checksum verify '" + keyName + "' \"$E2E_HOME/sums.txt\""));
}
