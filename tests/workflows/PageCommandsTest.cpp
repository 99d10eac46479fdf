// The hide and restore commands: the checks before a workflow (the mail client must
// be closed: its main window is looked for among the display's top-level windows,
// here made by the mail-client stand-in), the page after it, and what the result
// pages then say.
#include <gtest/gtest.h>

#include "app/PageCommands.h"
#include "app/ResultTexts.h"
#include "identities/Settings.h"
#include "store/Container.h"
#include "support/RunningMailClient.h"
#include "support/World.h"

namespace {

struct ScriptedHost : CommandHost {
    explicit ScriptedHost(UserInterface& scripted) : user(scripted) {}
    UserInterface& User() override { return user; }
    void NavigateToPage(const std::string& page) override { pages.push_back(page); }
    void RunSetup() override { ++setupRuns; }
    UserInterface& user;
    std::vector<std::string> pages;
    int setupRuns = 0;
};

class PageCommandsTest : public WorldTest {
protected:
    // Runs a command with the user's answers queued.
    void Run(void (*command)(CommandHost&), std::initializer_list<int> answers) {
        for (int answer : answers) ui.QueueAnswer(answer);
        command(host_);
    }
    // What the error page would show now.
    std::string ErrorText() const { return GetResultDescription(world.LastResult()); }
    ScriptedHost host_{ui};
};

TEST_F(PageCommandsTest, HideWithoutAKnownIdentityOffersSetupOrIsRefused) {
    ASSERT_TRUE(SetGuardId(""));
    Run(HideCommand, {MessageAnswer::No});
    Run(HideCommand, {MessageAnswer::Yes});
    EXPECT_EQ(host_.setupRuns, 1);
    ASSERT_TRUE(SetGuardId("{00000000-0000-0000-0000-000000000000}"));
    Run(HideCommand, {MessageAnswer::Ok});
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0].text, "Please specify an identity to protect. Would you like to do this now?");
    EXPECT_EQ(ui.messages[0].style, MessageStyle::YesNo);
    EXPECT_EQ(ui.messages[2].text, "Unable to locate message store for the selected identity");
    EXPECT_EQ(ui.messages[2].style, MessageStyle::Ok | MessageStyle::IconStop);
    EXPECT_TRUE(host_.pages.empty());
    EXPECT_EQ(world.Now(), before);
}

TEST_F(PageCommandsTest, EachCommandEndsOnThePageOfItsOutcome) {
    Run(RestoreCommand, {});  // nothing hidden: nothing at all happens
    EXPECT_TRUE(ui.messages.empty());
    Run(HideCommand, {MessageAnswer::No});  // declined: stays where it is
    EXPECT_TRUE(host_.pages.empty());
    Run(HideCommand, {MessageAnswer::Yes});
    Run(HideCommand, {MessageAnswer::Yes});
    EXPECT_EQ(ErrorText(), "This identity is already hidden.");
    Run(RestoreCommand, {MessageAnswer::No});
    EXPECT_EQ(ErrorText(), "Operation has been canceled");
    Run(RestoreCommand, {MessageAnswer::Yes});
    ui.CancelAtRequest(ui.cancelRequestsTaken + 1);
    Run(HideCommand, {MessageAnswer::Yes, MessageAnswer::Yes});
    EXPECT_EQ(ErrorText(), "Copy error");
    EXPECT_EQ(host_.pages, (std::vector<std::string>{"done.htm", "error.htm", "error.htm", "done.htm", "error.htm"}));
    EXPECT_EQ(world.Now(), before);
}

TEST_F(PageCommandsTest, CommandsWaitWhileTheMailClientWindowExists) {
    if (!RunningMailClient::CanRun()) GTEST_SKIP() << "needs the mail-client stand-in and a display for its window";
    {
        RunningMailClient client(World::kOther);
        ASSERT_TRUE(client.up());
        // Retry finds the window again; Cancel gives up and leaves everything as it is.
        Run(HideCommand, {MessageAnswer::Retry, MessageAnswer::Cancel});
        const char running[] = "Outlook Express is currently running. Please close Outlook Express and retry.";
        EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{running, running}));
        EXPECT_EQ(ui.messages[0].style, MessageStyle::RetryCancel | MessageStyle::IconStop);
        EXPECT_TRUE(host_.pages.empty());
        EXPECT_EQ(world.Now(), before);
        ui.messages.clear();
    }
    // Once the window is gone the hide goes ahead at once.
    Run(HideCommand, {MessageAnswer::Yes});
    EXPECT_EQ(host_.pages, std::vector<std::string>{"done.htm"});
    EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
