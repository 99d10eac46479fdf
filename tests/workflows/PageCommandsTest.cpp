// The hide and restore commands: the checks before a workflow, the page after it, and
// what the result pages then say.
#include <gtest/gtest.h>

#include "ContainerBuilder.h"
#include "WorkflowFixture.h"
#include "app/PageCommands.h"
#include "app/ResultTexts.h"
#include "identities/Settings.h"
#include "store/Container.h"
#include "store/OperationResult.h"

namespace {

class ScriptedHost : public CommandHost {
public:
    void NavigateToPage(const std::string& page) override { pages.push_back(page); }
    void RunSetup() override { ++setupRuns; }
    std::vector<std::string> pages;
    int setupRuns = 0;
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

TEST_F(PageCommandsTest, InternalFailureEndsOnTheErrorPageAndTheProgramGoesOn) {
    // A backup whose subkey cannot be created: the registry refuses names this long.
    std::vector<std::pair<std::string, std::string>> files = {{StorePath("Inbox.dbx"), original_["Inbox.dbx"]}};
    ContainerBuilder builder(files, "");
    builder.structure = "\x02" + std::string(300, 'k') + std::string("\0\x03\xff", 3);
    builder.data.clear();
    builder.Seal();
    builder.Write(ContainerPath());
    const std::string container = ReadWholeFile(ContainerPath());

    ui_.QueueAnswer(IDYES);
    RestoreCommand(host_);
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

}  // namespace
