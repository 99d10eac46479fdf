// The record at the start of every file stream of the container: 540 bytes, integers
// 32-bit little-endian, the source path zero-terminated in its field.
//
// Bytes 284..539 were reserved and written as zeros. We keep a marked key check and
// the plain size there, so a restore can tell a wrong password or a damaged stream
// before it writes anything, while a reader that ignores the tail still works:
//   284  4  mark "VBKC"
//   288  8  key check: first bytes of MD5(label, keyed RC4 permutation); never the key
//   296  8  plain size of the file, 64-bit little-endian
//   304     zeros
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
    static constexpr size_t kTailUsedEnd = 304;
    static constexpr size_t kKeyCheckSize = 8;
    static constexpr uint8_t kMark[4] = {'V', 'B', 'K', 'C'};

    uint8_t salt[16] = {};
    uint32_t reserved = 0;
    uint32_t constant = kConstant;
    char sourcePath[260] = {};
    // Tail contents.
    bool marked = false;
    uint8_t keyCheck[kKeyCheckSize] = {};
    uint64_t plainSize = 0;

    void Serialize(uint8_t (&out)[kSize]) const;
    // False when the tail is neither all zeros nor our mark followed by zeros after
    // the fields we use: the header was not written by a known writer.
    static bool Parse(const uint8_t (&in)[kSize], StreamHeader& out);
};

static_assert(StreamHeader::kSourcePathOffset + sizeof(StreamHeader::sourcePath) == StreamHeader::kTailOffset);
static_assert(StreamHeader::kKeyCheckOffset + StreamHeader::kKeyCheckSize == StreamHeader::kPlainSizeOffset);
static_assert(StreamHeader::kPlainSizeOffset + 8 == StreamHeader::kTailUsedEnd);
static_assert(StreamHeader::kTailUsedEnd <= StreamHeader::kSize);
