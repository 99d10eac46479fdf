#include "store/StreamHeader.h"

#include <algorithm>
#include <cstring>

#include "store/HeaderFields.h"

void StreamHeader::Serialize(uint8_t (&out)[kSize]) const {
    std::memset(out, 0, kSize);
    std::memcpy(out + kSaltOffset, salt, sizeof salt);
    PutUint32Le(out + kReservedOffset, reserved);
    PutUint32Le(out + kConstantOffset, constant);
    std::memcpy(out + kSourcePathOffset, sourcePath, sizeof sourcePath);
    if (marked) {
        std::memcpy(out + kMarkOffset, kMark, sizeof kMark);
        std::memcpy(out + kKeyCheckOffset, keyCheck, sizeof keyCheck);
        PutUint64Le(out + kPlainSizeOffset, plainSize);
    }
}

bool StreamHeader::Parse(const uint8_t (&in)[kSize], StreamHeader& out) {
    StreamHeader h;
    std::memcpy(h.salt, in + kSaltOffset, sizeof h.salt);
    h.reserved = GetUint32Le(in + kReservedOffset);
    h.constant = GetUint32Le(in + kConstantOffset);
    std::memcpy(h.sourcePath, in + kSourcePathOffset, sizeof h.sourcePath);

    auto isZero = [](uint8_t b) { return b == 0; };
    if (std::memcmp(in + kMarkOffset, kMark, sizeof kMark) == 0) {
        if (!std::all_of(in + kTailUsedEnd, in + kSize, isZero)) return false;
        h.marked = true;
        std::memcpy(h.keyCheck, in + kKeyCheckOffset, sizeof h.keyCheck);
        h.plainSize = GetUint64Le(in + kPlainSizeOffset);
    } else if (!std::all_of(in + kTailOffset, in + kSize, isZero)) {
        return false;
    }
    out = h;
    return true;
}
