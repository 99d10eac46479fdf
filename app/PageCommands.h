// The logic of the hide and restore page commands: the checks that must pass before a
// workflow runs, and the page that follows it.
#pragma once

#include "app/CommandHost.h"
#include "store/RunRequest.h"

// The request of a hide or restore run, read once: the protected identity, its store
// root from the catalogue, the level, the container path and the password in use.
RunRequest MakeRunRequest();
// True when the mail client's main window is gone, after letting the user close it
// (Retry) as often as needed; false when the user gives up.
[[nodiscard]] bool IsMailClientClosed(UserInterface& ui);
// Each ends on "done.htm" or "error.htm", or leaves the page as it is. A registry walk
// that cannot go on (the internal failure) ends on the error page with an unspecified
// error; the program stays usable.
void HideCommand(CommandHost& host);
void RestoreCommand(CommandHost& host);
