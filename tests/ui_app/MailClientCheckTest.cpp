// The hide command waits for the mail client to be closed, tried against the
// stand-in's real window on the display.
#include "MainWindowHarness.h"
#include "ProcessHelpers.h"
#include "WxTestSupport.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/Container.h"

namespace {

const char kRunning[] = "Outlook Express is currently running. Please close Outlook Express and retry.";

class MailClientCheckTest : public MainWindowTest {
protected:
    MailClientCheckTest() {
        environment_.Set("XDG_DATA_HOME", home_.path() + "/data");
        EXPECT_EQ(0, RunCommand("'" + BuiltProgram("msimn") + "' seed-demo >/dev/null"));
        LoadIdentities();
        EXPECT_EQ(2u, GetIdentityCount());
        SetGuardId(GetIdentity(1).KeyName);
        ClearFirstRun();
    }
    ~MailClientCheckTest() override { StopProcess(client_); }

    bool WaitForClientWindow(bool present) {
        for (int i = 0; i < 200; ++i) {
            if (platform::FindTopLevelWindow("Outlook Express Browser Class") == present) return true;
            Pump(50);
        }
        return false;
    }

    int client_ = 0;
};

}  // namespace

TEST_F(MailClientCheckTest, RetryAsksAgainWhileTheClientRunsAndCancelLeavesThePage) {
    client_ = StartInBackground("exec '" + BuiltProgram("msimn") + "' run --for 60", home_.file("msimn.pid"));
    ASSERT_GT(client_, 0);
    ASSERT_TRUE(WaitForClientWindow(true));

    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    ui_.QueueAnswer(IDRETRY);
    ui_.QueueAnswer(IDRETRY);
    ui_.QueueAnswer(IDCANCEL);
    loaded_.clear();
    ClickLink("act://hide");
    for (int i = 0; i < 100 && ui_.messages.size() < 3; ++i) Pump(50);
    Pump(300);
    ASSERT_EQ(3u, ui_.messages.size());
    for (const auto& message : ui_.messages) {
        EXPECT_EQ(kRunning, message.text);
        EXPECT_EQ(MB_RETRYCANCEL | MB_ICONSTOP, message.style);
    }
    EXPECT_TRUE(loaded_.empty());
    EXPECT_FALSE(IsIdentityHidden());

    // Once the client is closed, Retry goes on to the hide's own question.
    StopProcess(client_);
    client_ = 0;
    ASSERT_TRUE(WaitForClientWindow(false));
    ui_.messages.clear();
    ui_.QueueAnswer(IDNO);
    ClickLink("act://hide");
    for (int i = 0; i < 100 && ui_.messages.empty(); ++i) Pump(50);
    Pump(300);
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_NE(kRunning, ui_.messages[0].text);
    EXPECT_TRUE(loaded_.empty());  // a declined hide leaves the page
    EXPECT_FALSE(IsIdentityHidden());
}
