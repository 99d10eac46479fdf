#include "store/ContainerSeal.h"

#include <cstring>

#include "platform/Shell.h"
#include "store/HeaderFields.h"
#include "crypto/Md5.h"

std::vector<uint8_t> ContainerSeal::Serialize() const {
    std::vector<uint8_t> out(kFixedSize + streamDigests.size() * sizeof(Digest), 0);
    std::memcpy(out.data(), kMark, sizeof kMark);
    PutUint32Le(out.data() + 8, static_cast<uint32_t>(streamDigests.size()));
    std::memcpy(out.data() + 16, keyCheck, sizeof keyCheck);
    std::memcpy(out.data() + 24, indexDigest, sizeof indexDigest);
    uint8_t* at = out.data() + kFixedSize;
    for (const StreamDigest& d : streamDigests) {
        std::memcpy(at, d.bytes, sizeof d.bytes);
        at += sizeof d.bytes;
    }
    return out;
}

bool ContainerSeal::Parse(const uint8_t* data, size_t size, uint32_t fileCount, ContainerSeal& out) {
    if (size != kFixedSize + uint64_t{fileCount} * sizeof(Digest)) return false;
    if (std::memcmp(data, kMark, sizeof kMark) != 0 || GetUint32Le(data + 8) != fileCount ||
        GetUint32Le(data + 12) != 0) {
        return false;
    }
    ContainerSeal seal;
    std::memcpy(seal.keyCheck, data + 16, sizeof seal.keyCheck);
    std::memcpy(seal.indexDigest, data + 24, sizeof seal.indexDigest);
    seal.streamDigests.resize(fileCount);
    for (uint32_t k = 0; k < fileCount; ++k) {
        std::memcpy(seal.streamDigests[k].bytes, data + kFixedSize + k * sizeof(Digest), sizeof(Digest));
    }
    out = std::move(seal);
    return true;
}

void DeriveDigestKey(const Rc4State& freshlyKeyed, DigestRole role, uint8_t (&key)[Poly1305::kKeySize]) {
    static const char kLabel[] = "Veilbox digest key 1";
    for (uint8_t half = 0; half < 2; ++half) {
        const uint8_t tags[2] = {static_cast<uint8_t>(role), half};
        Md5 md5;
        md5.Update(kLabel, sizeof kLabel - 1);
        md5.Update(tags, sizeof tags);
        md5.Update(freshlyKeyed.S, sizeof freshlyKeyed.S);
        md5.Final(key + half * Md5::kDigestSize);
    }
}

void StartStreamDigest(Poly1305& mac, const uint8_t (&containerSalt)[16], uint32_t streamNumber) {
    uint8_t number[4];
    PutUint32Le(number, streamNumber);
    mac.Update(containerSalt, sizeof containerSalt);
    mac.Update(number, sizeof number);
}

bool SameDigest(const uint8_t* a, const uint8_t* b) {
    uint8_t difference = 0;
    for (size_t i = 0; i < Poly1305::kTagSize; ++i) difference |= a[i] ^ b[i];
    return difference == 0;
}
