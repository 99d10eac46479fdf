// Letter case of the ASCII letters alone: registry names, compound-file stream names,
// Windows file names and command-line switches compare this way, and any other byte
// may be part of a multibyte character, which must not change.
#pragma once

#include <string>

namespace platform {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAsciiText(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

inline bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (LowerAscii(a[k]) != LowerAscii(b[k])) return false;
    }
    return true;
}

}  // namespace platform
