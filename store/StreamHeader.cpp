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
    if (!marked) return;
    std::memcpy(out + kMarkOffset, stamped ? kMark : kCheckOnlyMark, sizeof kMark);
    std::memcpy(out + kKeyCheckOffset, keyCheck, sizeof keyCheck);
    PutUint64Le(out + kPlainSizeOffset, plainSize);
    if (!stamped) return;
    PutUint32Le(out + kModeOffset, mode);
    PutUint64Le(out + kModifiedSecondsOffset, static_cast<uint64_t>(modifiedSeconds));
    PutUint32Le(out + kModifiedNanosecondsOffset, modifiedNanoseconds);
}

bool StreamHeader::Parse(const uint8_t (&in)[kSize], StreamHeader& out) {
    StreamHeader h;
    std::memcpy(h.salt, in + kSaltOffset, sizeof h.salt);
    h.reserved = GetUint32Le(in + kReservedOffset);
    h.constant = GetUint32Le(in + kConstantOffset);
    std::memcpy(h.sourcePath, in + kSourcePathOffset, sizeof h.sourcePath);
    auto zerosFrom = [&in](size_t offset) {
        return std::all_of(in + offset, in + kSize, [](uint8_t b) { return b == 0; });
    };
    const bool stamped = std::memcmp(in + kMarkOffset, kMark, sizeof kMark) == 0;
    const bool checkOnly = std::memcmp(in + kMarkOffset, kCheckOnlyMark, sizeof kCheckOnlyMark) == 0;
    if (stamped || checkOnly) {
        if (!zerosFrom(stamped ? kTailUsedEnd : kCheckOnlyTailEnd)) return false;
        h.marked = true;
        h.stamped = stamped;
        std::memcpy(h.keyCheck, in + kKeyCheckOffset, sizeof h.keyCheck);
        h.plainSize = GetUint64Le(in + kPlainSizeOffset);
        if (stamped) {
            h.mode = GetUint32Le(in + kModeOffset);
            h.modifiedSeconds = static_cast<int64_t>(GetUint64Le(in + kModifiedSecondsOffset));
            h.modifiedNanoseconds = GetUint32Le(in + kModifiedNanosecondsOffset);
            // Only permission bits are kept, and a time has fewer than 1e9 nanoseconds.
            if (h.mode > 0777 || h.modifiedNanoseconds >= 1000000000u) return false;
        }
    } else if (!zerosFrom(kTailOffset)) {
        return false;
    }
    out = h;
    return true;
}
