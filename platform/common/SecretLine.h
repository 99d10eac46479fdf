// One line of a password, read a byte at a time from wherever each system takes it,
// into a buffer reserved up front so that no reallocation leaves a copy behind.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/SecretInput.h"

namespace platform {

enum class ByteStep { Byte, End, Failed };

// Overwrites the text and empties it.
void WipeSecret(std::string& secret);

// Reads bytes from next up to "\n" (or the end); a trailing "\r" is not part of the
// line. On any outcome but Read the text is wiped and empty.
SecretReadStatus ReadSecretBytes(size_t maxLength, std::string& secret, const std::function<ByteStep(char&)>& next);

}  // namespace platform
