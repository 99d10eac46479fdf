// The two workflows behind the hide and restore commands. Each asks the user to
// confirm, runs one CStoreOperation and leaves the reason of a failure in
// OperationResult. The registry walk's InternalFailure is not caught here.
#pragma once

#include <string>

// The question shown before a hide, for the identity's display name and the level.
std::string BuildHideQuestion(const std::string& displayName, int securityLevel);
// storeRoot: the identity's "Store Root" text, not yet expanded.
bool HideIdentity(const std::string& storeRoot);
bool RestoreIdentity();
// Removes what a hide or restore that died left behind (see CStoreOperation).
void CleanLeftovers();
