// The hide and restore commands: the checks before a workflow (the mail client must
// be closed: its main window is looked for among the display's top-level windows,
// here made by the mail-client stand-in), the page after it, and what the result
// pages then say.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/PageCommands.h"
#include "app/ResultTexts.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/Container.h"
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

const char kClient[] = VEILBOX_BINARY_DIR "/bin/msimn";

// The stand-in with its window up (it prints the window's id once the window is mapped),
// stopped when the holder goes.
struct RunningMailClient {
    explicit RunningMailClient(const char* identity) {
        int out[2];
        if (pipe(out) != 0) return;
        if ((pid = fork()) == 0) {
            dup2(out[1], STDOUT_FILENO);
            execl(kClient, kClient, "run", "--identity", identity, nullptr);
            _exit(127);
        }
        close(out[1]);
        char first;
        up = read(out[0], &first, 1) == 1;
        close(out[0]);
    }
    ~RunningMailClient() {
        if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
    bool up = false;
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
    if (platform::EnvironmentValue("DISPLAY").empty() || !std::filesystem::exists(kClient)) {
        GTEST_SKIP() << "needs a display and the mail-client stand-in";
    }
    {
        RunningMailClient client(World::kOther);
        ASSERT_TRUE(client.up);
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
