// Where the protected container lives. Its existence is the one record that an
// identity is hidden.
#pragma once

#include <string>

#include "platform/FileStatus.h"

// The documents folder, then the key name and ".dat". Empty when the key name cannot
// be a file name (a separator, "..", a control character...): such an identity is
// never hidden, and nothing is written for it.
std::string ContainerPathFor(const std::string& identityKeyName);
// The container of the protected identity the settings name now.
std::string GetContainerPath();
// True exactly when a file exists at the container path, whatever it holds.
bool IsIdentityHidden();
// Clears the container's attributes and deletes it.
[[nodiscard]] platform::FileStatus DeleteContainer(const std::string& path);
// Renames the container to "<name>.kept-<date>-<time>.dat" beside it, never replacing
// anything; `kept` gets the new path. False when it could not be moved.
[[nodiscard]] bool MoveContainerAside(const std::string& path, std::string& kept);
