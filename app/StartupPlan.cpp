#include "app/StartupPlan.h"

#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "store/Container.h"

namespace {

// Why the program cannot work with this many identities; empty when it can. One
// identity is not enough because an ordinary one has to stay visible.
std::string TooFewIdentitiesText(size_t count) {
    if (count == 0) return "Could not find Outlook Express identities on your computer. The program will exit now.";
    if (count == 1) {
        return "There is only one Outlook Express identity found on your computer. This program requires at "
               "least two identities.";
    }
    return std::string();
}

}  // namespace

StartupPlan PlanStartup(UserInterface& ui) {
    StartupPlan plan;
    // A hidden identity is no longer in the catalogue, so the count says nothing then.
    if (!IsIdentityHidden()) {
        const std::string problem = TooFewIdentitiesText(IdentityCatalogue::Read().Count());
        if (!problem.empty()) {
            if (ui.ShowMessageBox(problem + "\r\n\r\nWould you like to take a guided tour?",
                                  MessageStyle::YesNo | MessageStyle::IconQuestion) != MessageAnswer::Yes) {
                return plan;
            }
            plan.tourOnly = true;
        }
    }
    plan.run = true;
    if (plan.tourOnly) {
        plan.firstPage = "tour.htm";
    } else if (IsFirstRun()) {
        // A mark that cannot be cleared only brings the welcome page back next time.
        (void)ClearFirstRun();
        plan.firstPage = "welcome.htm";
    } else {
        plan.firstPage = "index.htm";
    }
    return plan;
}
