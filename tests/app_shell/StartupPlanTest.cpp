#include "ShellFixture.h"

#include "app/StartupPlan.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"

namespace {

const char kNone[] =
    "Could not find Outlook Express identities on your computer. The program will exit now.\r\n\r\n"
    "Would you like to take a guided tour?";
const char kOne[] =
    "There is only one Outlook Express identity found on your computer. This program requires at least two "
    "identities.\r\n\r\nWould you like to take a guided tour?";

class StartupPlanTest : public ShellFixture {};

}  // namespace

TEST_F(StartupPlanTest, TooFewIdentitiesAskForTheTourAndNoEndsTheRun) {
    for (int count = 0; count < 2; ++count) {
        SCOPED_TRACE(count);
        if (count == 1) AddIdentity("{A}", "Main");
        ui_.QueueAnswer(IDNO);
        const StartupPlan plan = PlanStartup();
        EXPECT_FALSE(plan.run);
        EXPECT_EQ("", plan.firstPage);
        ASSERT_EQ(1u, ui_.messages.size());
        EXPECT_EQ(count == 0 ? kNone : kOne, ui_.messages[0].text);
        EXPECT_EQ(MB_YESNO | MB_ICONQUESTION, ui_.messages[0].style);
        ui_.messages.clear();
    }
    EXPECT_TRUE(IsFirstRun());
}

TEST_F(StartupPlanTest, TourAcceptedRunsTourOnlyAndLeavesTheFirstRunMark) {
    AddIdentity("{A}", "Main");
    ui_.QueueAnswer(IDYES);
    const StartupPlan plan = PlanStartup();
    EXPECT_TRUE(plan.run);
    EXPECT_TRUE(plan.tourOnly);
    EXPECT_EQ("tour.htm", plan.firstPage);
    EXPECT_TRUE(IsFirstRun());
    EXPECT_EQ(1u, GetIdentityCount());
}

TEST_F(StartupPlanTest, WelcomeShowsOnTheFirstOrdinaryRunOnly) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    StartupPlan plan = PlanStartup();
    EXPECT_TRUE(plan.run);
    EXPECT_FALSE(plan.tourOnly);
    EXPECT_EQ("welcome.htm", plan.firstPage);
    EXPECT_FALSE(IsFirstRun());
    EXPECT_EQ(2u, GetIdentityCount());

    plan = PlanStartup();
    EXPECT_EQ("index.htm", plan.firstPage);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartupPlanTest, CatalogueIsReadAfreshAtEachStart) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    PlanStartup();
    AddIdentity("{C}", "Third");
    PlanStartup();
    EXPECT_EQ(3u, GetIdentityCount());
}

TEST_F(StartupPlanTest, WhileHiddenTheCountIsNotChecked) {
    AddIdentity("{A}", "Main");
    MarkHidden("{B}");
    ClearFirstRun();
    const StartupPlan plan = PlanStartup();
    EXPECT_TRUE(plan.run);
    EXPECT_FALSE(plan.tourOnly);
    EXPECT_EQ("index.htm", plan.firstPage);
    EXPECT_TRUE(ui_.messages.empty());
}
