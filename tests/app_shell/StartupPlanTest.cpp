#include <gtest/gtest.h>

#include "app/StartupPlan.h"
#include "support/World.h"

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
};

}  // namespace

// The start cases themselves run through the main window (tests/ui_app); here, the exact
// texts of the tour offers, which the window's boxes show reflowed.
TEST_F(StartupPlanTest, TooFewIdentitiesOfferTheTourInTheCountsOwnWords) {
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(PlanStartup(ui).run);
    world.AddIdentity("{A}", "Main");
    ui.QueueAnswer(MessageAnswer::Yes);
    const StartupPlan plan = PlanStartup(ui);
    EXPECT_TRUE(plan.run && plan.tourOnly);
    EXPECT_EQ(plan.firstPage, "tour.htm");
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{kNone, kOne}));
    for (const auto& message : ui.messages) EXPECT_EQ(MessageStyle::YesNo | MessageStyle::IconQuestion, message.style);
}
