// Where the protected container lives. Its existence is the one record that an
// identity is hidden.
#pragma once

#include <string>

// The documents folder, then the protected identity's key name and ".dat". Empty when
// the key name cannot be a file name (a separator, "..", a control character...): such
// an identity is never hidden, and nothing is written for it.
std::string GetContainerPath();
// True exactly when a file exists at the container path, whatever it holds.
bool IsIdentityHidden();
// Clears the container's attributes and deletes it; false (with *error filled when
// given) when it is still there.
namespace platform {
class FileException;
}
bool DeleteContainer(platform::FileException* error = nullptr);
