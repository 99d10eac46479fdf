// The decisions the main window makes when it opens, after the password prompt: read
// the mail client's identities, make sure the program can work at all (or offer the
// guided tour instead), and choose the first page.
#pragma once

#include <string>

#include "base/UserInterface.h"

struct StartupPlan {
    bool run = false;       // false: the window closes without showing a page
    bool tourOnly = false;  // the program cannot work; only the tour is shown
    std::string firstPage;  // "tour.htm", "welcome.htm" or "index.htm"
};

// Loads the identity catalogue. While no identity is hidden, fewer than two identities
// make the program useless: the user is told so and asked whether to take the tour
// (No ends the run). The welcome page shows once, on the first ordinary run; a tour-only
// run neither reads nor clears that mark.
StartupPlan PlanStartup(UserInterface& ui);
