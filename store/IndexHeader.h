// The record at the start of the container's "index" stream: 560 bytes, integers
// 32-bit little-endian, texts zero-terminated in fixed fields with the rest zero.
// The registry backup (structure bytes, then data bytes) follows it in the stream.
#pragma once

#include <cstddef>
#include <cstdint>

struct IndexHeader {
    static constexpr size_t kSize = 560;
    static constexpr uint32_t kConstant = 256;

    // Byte offsets within the serialised record.
    static constexpr size_t kCreatedOffset = 0;
    static constexpr size_t kSecurityLevelOffset = 4;
    static constexpr size_t kConstantOffset = 8;
    static constexpr size_t kFileCountOffset = 12;
    static constexpr size_t kTotalBytesOffset = 16;
    static constexpr size_t kReservedOffset = 20;
    static constexpr size_t kStructureLengthOffset = 24;
    static constexpr size_t kDataLengthOffset = 28;
    static constexpr size_t kDefaultUserIdOffset = 32;
    static constexpr size_t kLastUserIdOffset = 96;
    static constexpr size_t kLastUsernameOffset = 160;
    static constexpr size_t kStartAsOffset = 416;
    static constexpr size_t kIdentityIdOffset = 480;
    static constexpr size_t kSaltOffset = 544;

    uint32_t created = 0;
    uint32_t securityLevel = 0;
    uint32_t constant = kConstant;
    uint32_t fileCount = 0;
    uint32_t totalBytes = 0;
    uint32_t reserved = 0;
    uint32_t structureLength = 0;
    uint32_t dataLength = 0;
    char defaultUserId[64] = {};
    char lastUserId[64] = {};
    char lastUsername[256] = {};
    char startAs[64] = {};
    char identityId[64] = {};
    uint8_t salt[16] = {};

    void Serialize(uint8_t (&out)[kSize]) const;
    static IndexHeader Parse(const uint8_t (&in)[kSize]);
};

static_assert(IndexHeader::kDefaultUserIdOffset + sizeof(IndexHeader::defaultUserId) == IndexHeader::kLastUserIdOffset);
static_assert(IndexHeader::kLastUserIdOffset + sizeof(IndexHeader::lastUserId) == IndexHeader::kLastUsernameOffset);
static_assert(IndexHeader::kLastUsernameOffset + sizeof(IndexHeader::lastUsername) == IndexHeader::kStartAsOffset);
static_assert(IndexHeader::kStartAsOffset + sizeof(IndexHeader::startAs) == IndexHeader::kIdentityIdOffset);
static_assert(IndexHeader::kIdentityIdOffset + sizeof(IndexHeader::identityId) == IndexHeader::kSaltOffset);
static_assert(IndexHeader::kSaltOffset + sizeof(IndexHeader::salt) == IndexHeader::kSize);
