// The two workflows behind the hide and restore commands. Each carries out one request
// gathered before it starts, asks the user (through ui) to confirm, and returns how it ended; the
// messages on the way are shown as the run goes.
#pragma once

#include <string>

#include "base/RunOutcome.h"
#include "base/UserInterface.h"
#include "store/RunRequest.h"

// The question shown before a hide, for the identity's display name and the level.
std::string BuildHideQuestion(const std::string& displayName, int securityLevel);
// Hide: back up the registry key, protect the store by the request's level, remove the
// identity. On a failure after the store is protected everything is put back from the
// container.
[[nodiscard]] RunOutcome HideIdentity(RunRequest request, UserInterface& ui);
// Restore: check the container whole, write the files back, rebuild the registry key,
// delete the container. A container that would replace something newer than itself
// changes nothing and is kept aside under a new name.
[[nodiscard]] RunOutcome RestoreIdentity(RunRequest request, UserInterface& ui);
// Removes what a hide or restore that died left behind.
void CleanLeftovers(RunRequest request);
