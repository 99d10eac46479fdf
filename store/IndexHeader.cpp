#include "store/IndexHeader.h"

#include <cstring>

#include "store/HeaderFields.h"

void IndexHeader::Serialize(uint8_t (&out)[kSize]) const {
    std::memset(out, 0, kSize);
    PutUint32Le(out + kCreatedOffset, created);
    PutUint32Le(out + kSecurityLevelOffset, securityLevel);
    PutUint32Le(out + kConstantOffset, constant);
    PutUint32Le(out + kFileCountOffset, fileCount);
    PutUint32Le(out + kTotalBytesOffset, totalBytes);
    PutUint32Le(out + kReservedOffset, reserved);
    PutUint32Le(out + kStructureLengthOffset, structureLength);
    PutUint32Le(out + kDataLengthOffset, dataLength);
    std::memcpy(out + kDefaultUserIdOffset, defaultUserId, sizeof defaultUserId);
    std::memcpy(out + kLastUserIdOffset, lastUserId, sizeof lastUserId);
    std::memcpy(out + kLastUsernameOffset, lastUsername, sizeof lastUsername);
    std::memcpy(out + kStartAsOffset, startAs, sizeof startAs);
    std::memcpy(out + kIdentityIdOffset, identityId, sizeof identityId);
    std::memcpy(out + kSaltOffset, salt, sizeof salt);
}

IndexHeader IndexHeader::Parse(const uint8_t (&in)[kSize]) {
    IndexHeader h;
    h.created = GetUint32Le(in + kCreatedOffset);
    h.securityLevel = GetUint32Le(in + kSecurityLevelOffset);
    h.constant = GetUint32Le(in + kConstantOffset);
    h.fileCount = GetUint32Le(in + kFileCountOffset);
    h.totalBytes = GetUint32Le(in + kTotalBytesOffset);
    h.reserved = GetUint32Le(in + kReservedOffset);
    h.structureLength = GetUint32Le(in + kStructureLengthOffset);
    h.dataLength = GetUint32Le(in + kDataLengthOffset);
    std::memcpy(h.defaultUserId, in + kDefaultUserIdOffset, sizeof h.defaultUserId);
    std::memcpy(h.lastUserId, in + kLastUserIdOffset, sizeof h.lastUserId);
    std::memcpy(h.lastUsername, in + kLastUsernameOffset, sizeof h.lastUsername);
    std::memcpy(h.startAs, in + kStartAsOffset, sizeof h.startAs);
    std::memcpy(h.identityId, in + kIdentityIdOffset, sizeof h.identityId);
    std::memcpy(h.salt, in + kSaltOffset, sizeof h.salt);
    return h;
}
