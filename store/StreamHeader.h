// The record at the start of every file stream of the container: 540 bytes, integers
// 32-bit little-endian, the source path zero-terminated in its field.
//
// Bytes 284..539 were reserved and written as zeros. We keep a marked key check, the
// plain size and what the file keeps besides its bytes there, so a restore can tell a
// wrong password or a damaged stream before it writes anything and give the file back
// as it was, while a reader that ignores the tail still works:
//   284  4  mark "VBK2" ("VBKC" in containers that keep no file stamp)
//   288  8  key check: first bytes of MD5(label, keyed RC4 permutation); never the key
//   296  8  plain size of the file, 64-bit little-endian
//   304  4  permission bits of the file ("VBK2" only; 0 when unknown)
//   308  8  modification time, seconds since 1970, signed ("VBK2" only)
//   316  4  nanoseconds of the modification time ("VBK2" only)
//   320     zeros
// A tail of all zeros (an older container) carries no check.
#pragma once

#include <cstddef>
#include <cstdint>

struct StreamHeader {
    static constexpr size_t kSize = 540;
    static constexpr uint32_t kConstant = 256;

    static constexpr size_t kSaltOffset = 0;
    static constexpr size_t kReservedOffset = 16;
    static constexpr size_t kConstantOffset = 20;
    static constexpr size_t kSourcePathOffset = 24;
    static constexpr size_t kTailOffset = 284;
    static constexpr size_t kMarkOffset = 284;
    static constexpr size_t kKeyCheckOffset = 288;
    static constexpr size_t kPlainSizeOffset = 296;
    static constexpr size_t kModeOffset = 304;
    static constexpr size_t kModifiedSecondsOffset = 308;
    static constexpr size_t kModifiedNanosecondsOffset = 316;
    static constexpr size_t kCheckOnlyTailEnd = 304;
    static constexpr size_t kTailUsedEnd = 320;
    static constexpr size_t kKeyCheckSize = 8;
    static constexpr uint8_t kCheckOnlyMark[4] = {'V', 'B', 'K', 'C'};
    static constexpr uint8_t kMark[4] = {'V', 'B', 'K', '2'};

    uint8_t salt[16] = {};
    uint32_t reserved = 0;
    uint32_t constant = kConstant;
    char sourcePath[260] = {};
    // Tail contents. `marked`: key check and plain size are there; `stamped`: the
    // file's mode and time too (every stream this program writes now).
    bool marked = false;
    bool stamped = false;
    uint8_t keyCheck[kKeyCheckSize] = {};
    uint64_t plainSize = 0;
    uint32_t mode = 0;
    int64_t modifiedSeconds = 0;
    uint32_t modifiedNanoseconds = 0;

    void Serialize(uint8_t (&out)[kSize]) const;
    // False when the tail is neither all zeros nor our mark followed by zeros after
    // the fields we use: the header was not written by a known writer.
    [[nodiscard]] static bool Parse(const uint8_t (&in)[kSize], StreamHeader& out);
};

static_assert(StreamHeader::kSourcePathOffset + sizeof(StreamHeader::sourcePath) == StreamHeader::kTailOffset);
static_assert(StreamHeader::kKeyCheckOffset + StreamHeader::kKeyCheckSize == StreamHeader::kPlainSizeOffset);
static_assert(StreamHeader::kPlainSizeOffset + 8 == StreamHeader::kModeOffset);
static_assert(StreamHeader::kModifiedNanosecondsOffset + 4 == StreamHeader::kTailUsedEnd);
static_assert(StreamHeader::kTailUsedEnd <= StreamHeader::kSize);
