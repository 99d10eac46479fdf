// The container's "seal" stream: the proof that every byte a restore will write is the
// byte the hide wrote. It is written last, once every digest is known, and a reader
// that knows only "index" and the numbered streams never opens it.
//
//   0   8  mark "VBSEAL01"
//   8   4  file count, 32-bit little-endian (equals the index header's)
//   12  4  zero
//   16  8  key check of the index salt under the password (as a stream header's)
//   24 16  index digest: Poly1305 of the whole "index" stream
//   40 16  one digest per file stream, in stream order: Poly1305 of the container's
//          salt, the stream's number, its 540-byte header and its enciphered bytes
//
// Each digest has its own one-time key, drawn from the keyed cipher state of its salt,
// so it proves the bytes to whoever knows the password and tells nobody else anything.
// A container carries a seal exactly when its index header's reserved field holds
// kSealedMark; then every stream header is stamped as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "crypto/Poly1305.h"
#include "crypto/Rc4.h"
#include "store/StreamHeader.h"

struct ContainerSeal {
    static constexpr char kStreamName[] = "seal";
    static constexpr uint32_t kSealedMark = 0x4C414553;  // "SEAL" in the index's reserved field
    static constexpr size_t kFixedSize = 40;
    static constexpr uint8_t kMark[8] = {'V', 'B', 'S', 'E', 'A', 'L', '0', '1'};

    using Digest = uint8_t[Poly1305::kTagSize];
    struct StreamDigest {
        Digest bytes;
    };

    uint8_t keyCheck[StreamHeader::kKeyCheckSize] = {};
    Digest indexDigest = {};
    std::vector<StreamDigest> streamDigests;

    std::vector<uint8_t> Serialize() const;
    // False unless the bytes are exactly a seal of fileCount streams.
    [[nodiscard]] static bool Parse(const uint8_t* data, size_t size, uint32_t fileCount, ContainerSeal& out);
};

// The one-time key of a digest: MD5 of a label and the freshly keyed permutation, so a
// guess at the password costs as much through a digest as through the key check.
enum class DigestRole : uint8_t { Index = 1, FileStream = 2 };
void DeriveDigestKey(const Rc4State& freshlyKeyed, DigestRole role, uint8_t (&key)[Poly1305::kKeySize]);
// The fixed start of a file stream's digest: the container's salt and the stream's number.
void StartStreamDigest(Poly1305& mac, const uint8_t (&containerSalt)[16], uint32_t streamNumber);
// Compares two digests in time that does not depend on where they differ.
bool SameDigest(const uint8_t* a, const uint8_t* b);
