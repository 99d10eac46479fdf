// Where the protected container lives. Its existence is the one record that an
// identity is hidden.
#pragma once

#include <string>

// The documents folder, then the protected identity's key name and ".dat".
std::string GetContainerPath();
// The name the container is written under until it is complete: same folder, same
// length, so a path that fits for one fits for the other. A leftover from a crash is
// harmless (it is not the container) and is replaced by the next write.
std::string GetContainerTempPath();
// True exactly when a file exists at the container path, whatever it holds.
bool IsIdentityHidden();
// Clears the container's attributes and deletes it; reports nothing.
void DeleteContainer();
