// The hide and restore commands: the checks before a workflow (the mail client must
// be closed: its main window is looked for among the display's top-level windows,
// here made by the mail-client stand-in), the page after it, and what the result
// pages then say.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "ContainerBuilder.h"
#include "WorkflowFixture.h"
#include "app/PageCommands.h"
#include "app/ResultTexts.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "base/OperationResult.h"

namespace {

class ScriptedHost : public CommandHost {
public:
    void NavigateToPage(const std::string& page) override { pages.push_back(page); }
    void RunSetup() override { ++setupRuns; }
    std::vector<std::string> pages;
    int setupRuns = 0;
};

// The stand-in running with its window up; stopped when the holder goes.
class RunningMailClient {
public:
    explicit RunningMailClient(const std::string& identity) {
        const std::string program = VEILBOX_BINARY_DIR "/bin/msimn";
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execl(program.c_str(), program.c_str(), "run", "--identity", identity.c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        // The stand-in prints its window's id once the window is mapped.
        FILE* in = fdopen(out[0], "r");
        char line[64];
        up_ = in && std::fgets(line, sizeof line, in) != nullptr;
        if (in) std::fclose(in);
    }
    ~RunningMailClient() { Stop(); }
    bool IsUp() const { return up_; }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    bool up_ = false;
};

class PageCommandsTest : public WorkflowTest {
protected:
    // What the error page would show now.
    std::string ErrorText() const { return GetResultDescription(OperationResult); }
    ScriptedHost host_;
};

TEST_F(PageCommandsTest, HideWithoutAChosenIdentityOffersSetup) {
    SetGuardId("");
    ui_.QueueAnswer(IDNO);
    HideCommand(host_);
    ui_.QueueAnswer(IDYES);
    HideCommand(host_);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, "Please specify an identity to protect. Would you like to do this now?");
    EXPECT_EQ(ui_.messages[0].style, MB_YESNO);
    EXPECT_EQ(host_.setupRuns, 1);
    EXPECT_TRUE(host_.pages.empty());
}

TEST_F(PageCommandsTest, HideOfAnIdentityTheCatalogueDoesNotKnowIsRefused) {
    SetGuardId("{00000000-0000-0000-0000-000000000000}");
    ui_.QueueAnswer(IDOK);
    HideCommand(host_);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Unable to locate message store for the selected identity"});
    EXPECT_EQ(ui_.messages[0].style, MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(host_.pages.empty());
    EXPECT_EQ(Snapshot(), registryBefore_);
}

TEST_F(PageCommandsTest, DeclinedHideStaysDeclinedRestoreEndsOnTheErrorPage) {
    ui_.QueueAnswer(IDNO);
    HideCommand(host_);
    EXPECT_TRUE(host_.pages.empty());

    ui_.QueueAnswer(IDYES);
    HideCommand(host_);
    ui_.QueueAnswer(IDNO);
    RestoreCommand(host_);
    EXPECT_EQ(host_.pages, (std::vector<std::string>{"done.htm", "error.htm"}));
    EXPECT_EQ(ErrorText(), "Operation has been canceled");
    EXPECT_TRUE(IsIdentityHidden());
}

TEST_F(PageCommandsTest, DonePageTellsTheStateThatHoldsAfterEachCommand) {
    ui_.QueueAnswer(IDYES);
    HideCommand(host_);
    ASSERT_EQ(host_.pages, std::vector<std::string>{"done.htm"});
    EXPECT_EQ(GetDoneStatusText(IsIdentityHidden()),
              "Identity is now hidden. Use this program again when you need to restore the identity.");
    EXPECT_EQ(GetDoneActText(IsIdentityHidden()), "");

    ui_.QueueAnswer(IDYES);
    RestoreCommand(host_);
    ASSERT_EQ(host_.pages.size(), 2u);
    EXPECT_EQ(host_.pages[1], "done.htm");
    EXPECT_EQ(GetDoneStatusText(IsIdentityHidden()), "Identity is now restored. Now you can run Outlook Express and use it.");
    EXPECT_EQ(GetDoneActText(IsIdentityHidden()), "<a href=\"act://msimn\">Click here</a> to start Outlook Express now.");
}

TEST_F(PageCommandsTest, RestoreWithNothingHiddenDoesNothingAtAll) {
    RestoreCommand(host_);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(host_.pages.empty());
}

TEST_F(PageCommandsTest, FailedHidesEndOnTheErrorPageWithTheirReason) {
    WriteWholeFile(ContainerPath(), "already there");
    ui_.QueueAnswer(IDYES);
    HideCommand(host_);
    EXPECT_EQ(host_.pages, std::vector<std::string>{"error.htm"});
    EXPECT_EQ(ErrorText(), "This identity is already hidden.");
    std::remove(ContainerPath().c_str());

    ui_.CancelAtRequest(1);
    ui_.QueueAnswer(IDYES);
    ui_.QueueAnswer(IDYES);
    HideCommand(host_);
    EXPECT_EQ(host_.pages.size(), 2u);
    EXPECT_EQ(ErrorText(), "Copy error");
    EXPECT_FALSE(IsIdentityHidden());
}

TEST_F(PageCommandsTest, RefusedContainerEndsOnTheErrorPageAndTheProgramGoesOn) {
    // A backup whose subkey no registry could hold: names this long are refused.
    std::vector<std::pair<std::string, std::string>> files = {{StorePath("Inbox.dbx"), original_["Inbox.dbx"]}};
    ContainerBuilder builder(files, "");
    builder.structure = "\x02" + std::string(300, 'k') + std::string("\0\x03\xff", 3);
    builder.data.clear();
    builder.Seal();
    builder.Write(ContainerPath());
    const std::string container = ReadWholeFile(ContainerPath());

    ui_.QueueAnswer(IDYES);
    ui_.QueueAnswer(IDOK);
    RestoreCommand(host_);
    EXPECT_NE(ui_.messages.back().text.find("damaged"), std::string::npos);
    EXPECT_EQ(host_.pages, std::vector<std::string>{"error.htm"});
    EXPECT_EQ(ErrorText(), "Unspecified error");
    EXPECT_EQ(ReadWholeFile(ContainerPath()), container);
    EXPECT_EQ(ui_.openWindows, 0);

    // Still usable: the next command runs normally.
    ui_.QueueAnswer(IDNO);
    RestoreCommand(host_);
    EXPECT_EQ(host_.pages.size(), 2u);
    EXPECT_EQ(ErrorText(), "Operation has been canceled");
}

const char kRunning[] = "Outlook Express is currently running. Please close Outlook Express and retry.";

TEST_F(PageCommandsTest, CommandsWaitWhileTheMailClientWindowExists) {
    if (platform::GetEnvironmentVariable("DISPLAY").empty() ||
        !std::filesystem::exists(VEILBOX_BINARY_DIR "/bin/msimn")) {
        GTEST_SKIP() << "needs a display and the mail-client stand-in";
    }
    {
        RunningMailClient client(kOther);
        ASSERT_TRUE(client.IsUp());
        // Retry finds the window again; Cancel gives up and leaves everything as it is.
        ui_.QueueAnswer(IDRETRY);
        ui_.QueueAnswer(IDCANCEL);
        HideCommand(host_);
        EXPECT_EQ(ui_.MessageTexts(), (std::vector<std::string>{kRunning, kRunning}));
        EXPECT_EQ(ui_.messages[0].style, MB_RETRYCANCEL | MB_ICONSTOP);
        EXPECT_TRUE(host_.pages.empty());
        EXPECT_EQ(Snapshot(), registryBefore_);
        ui_.messages.clear();
    }
    // Once the window is gone the hide goes ahead at once.
    ui_.QueueAnswer(IDYES);
    HideCommand(host_);
    EXPECT_EQ(host_.pages, std::vector<std::string>{"done.htm"});
    EXPECT_EQ(ui_.messages.size(), 1u);
}

}  // namespace
