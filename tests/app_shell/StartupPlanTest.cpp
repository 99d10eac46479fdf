#include <gtest/gtest.h>

#include "support/World.h"

#include "app/StartupPlan.h"
#include "identities/IdentityCatalogue.h"

namespace {

const char kNone[] =
    "Could not find Outlook Express identities on your computer. The program will exit now.\r\n\r\n"
    "Would you like to take a guided tour?";
const char kOne[] =
    "There is only one Outlook Express identity found on your computer. This program requires at least two "
    "identities.\r\n\r\nWould you like to take a guided tour?";

class StartupPlanTest : public WorldTest {
protected:
    StartupPlanTest() : WorldTest(WorldSetup::Bare()) {}
    void Expect(const StartupPlan& plan, bool run, bool tourOnly, const std::string& firstPage) {
        EXPECT_EQ(plan.run, run);
        EXPECT_EQ(plan.tourOnly, tourOnly);
        EXPECT_EQ(plan.firstPage, firstPage);
    }
};

}  // namespace

TEST_F(StartupPlanTest, TooFewIdentitiesAskForTheTourAndOnlyYesRunsIt) {
    ui.QueueAnswer(IDNO);
    Expect(PlanStartup(ui), false, false, "");
    world.AddIdentity("{A}", "Main");
    ui.QueueAnswer(IDNO);
    Expect(PlanStartup(ui), false, false, "");
    ui.QueueAnswer(IDYES);
    Expect(PlanStartup(ui), true, true, "tour.htm");
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{kNone, kOne, kOne}));
    EXPECT_EQ(MB_YESNO | MB_ICONQUESTION, ui.messages[0].style);
    EXPECT_TRUE(IsFirstRun());  // the tour is not the first ordinary run
}

TEST_F(StartupPlanTest, WelcomeOnTheFirstOrdinaryRunOnlyAndTheCatalogueReadAfreshEachTime) {
    world.AddIdentity("{A}", "Main");
    world.AddIdentity("{B}", "Private");
    Expect(PlanStartup(ui), true, false, "welcome.htm");
    EXPECT_FALSE(IsFirstRun());
    world.AddIdentity("{C}", "Third");
    Expect(PlanStartup(ui), true, false, "index.htm");
    EXPECT_EQ(3u, IdentityCatalogue::Read().Count());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartupPlanTest, WhileHiddenTheCountIsNotChecked) {
    world.AddIdentity("{A}", "Main");
    world.MarkHidden("{B}");
    ASSERT_TRUE(ClearFirstRun());
    Expect(PlanStartup(ui), true, false, "index.htm");
    EXPECT_TRUE(ui.messages.empty());
}
