// /uninstall, run on the real program file: it must work before any window exists.
#include <filesystem>

#include "ProcessHelpers.h"
#include "ShellFixture.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "platform/Registry.h"

namespace {

class UninstallTest : public ShellFixture {
protected:
    UninstallTest() {
        // A copy of its own, so auth.dat beside it is the test's and its settings
        // key is named after it.
        std::filesystem::create_directories(home_.path() + "/bin");
        std::filesystem::copy_file(BuiltProgram("veilbox"), program_);
    }

    void CreateKey(const std::string& path) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key));
        RegCloseKey(key);
    }
    bool KeyExists(const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    int Run(const std::string& arguments) { return RunCommand("'" + program_ + "' " + arguments + " 2>/dev/null"); }

    std::string program_ = home_.path() + "/bin/veilbox";
};

}  // namespace

TEST_F(UninstallTest, WithNothingHiddenTheProgramsKeysGoAndNoWindowShows) {
    CreateKey("Software\\Orlen\\Veilbox\\main\\deep");
    CreateKey("Software\\Orlen\\Other");
    EXPECT_EQ(0, Run("/UNINSTALL"));
    EXPECT_FALSE(KeyExists("Software\\Orlen\\Veilbox"));
    EXPECT_TRUE(KeyExists("Software\\Orlen\\Other"));

    CreateKey("Software\\Orlen\\Veilbox");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orlen\\Other");
    EXPECT_EQ(0, Run("/uninstall"));
    EXPECT_FALSE(KeyExists("Software\\Orlen"));
    EXPECT_TRUE(KeyExists("Software"));
}

TEST_F(UninstallTest, WithAnIdentityHiddenItIsRefusedAndTheExitCodeTellsSo) {
    CreateKey("Software\\Orlen\\Veilbox");
    AddIdentity("{A}", "Main");
    MarkHidden("{B}");
    ClearFirstRun();
    // The refusal comes first, as a system box ("Error"); Enter answers it. Then the
    // ordinary window opens and Escape closes it without restoring. With no window
    // manager nothing takes the focus by itself, so each window is given it.
    // The key is pressed again until the window is gone, so a slow start cannot eat it.
    const std::string drive =
        "answer() { id=$(timeout 30 xdotool search --sync --onlyvisible --name \"$1\" | head -1); "
        "for i in $(seq 60); do sleep 0.5; xdotool windowfocus \"$id\"; sleep 0.2; xdotool key \"$2\"; "
        "xdotool search --onlyvisible --name \"$1\" | grep -qx \"$id\" || return 0; done; }; "
        "answer '^Error$' Return; answer '^Veilbox$' Escape";
    const int status = RunCommand("( " + drive + " ) >/dev/null 2>&1 & timeout 60 '" + program_ + "' /uninstall");
    // 6505 reaches the parent as its low byte.
    EXPECT_EQ(6505 & 0xFF, status);
    EXPECT_TRUE(KeyExists("Software\\Orlen\\Veilbox"));
}
