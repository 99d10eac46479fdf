// Bytes as text, for messages and for comparing with other programs' output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case hexadecimal digits of n bytes.
inline std::string Hex(const uint8_t* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t k = 0; k < n; ++k) {
        out += digits[bytes[k] >> 4];
        out += digits[bytes[k] & 15];
    }
    return out;
}
