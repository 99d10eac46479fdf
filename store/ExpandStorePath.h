// Turns the mail client's "Store Root" text into a folder path.
#pragma once

#include <string>

// Lower-cases the text (ASCII letters only: other bytes may be parts of multibyte
// characters), then replaces the known %name% references, in a fixed order, by the
// values of their environment variables as they are (an undefined one by nothing).
// Unknown references stay, lower-cased.
std::string ExpandStorePath(const std::string& storeRoot);
