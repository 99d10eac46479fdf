// Poly1305, the one-time authenticator of RFC 8439 (section 2.5): a 16-byte tag of a
// message under a 32-byte key that must never authenticate two different messages.
// The container keys it afresh for every stream from the password and the stream's
// salt, so a tag proves the bytes to whoever knows the password and says nothing about
// them to anybody else.
#pragma once

#include <cstddef>
#include <cstdint>

class Poly1305 {
public:
    static constexpr size_t kKeySize = 32;
    static constexpr size_t kTagSize = 16;

    explicit Poly1305(const uint8_t (&key)[kKeySize]);
    // Wipes the key and the running state.
    ~Poly1305();
    Poly1305(const Poly1305&) = delete;
    Poly1305& operator=(const Poly1305&) = delete;

    // Any split of the message into Update calls gives the same tag.
    void Update(const uint8_t* data, size_t size);
    // Ends the message; the object must not be updated afterwards.
    void Final(uint8_t (&tag)[kTagSize]);

private:
    // Numbers below 2^130 are five limbs of 26 bits: the products of two limbs fit the
    // 32x32->64 multiply every processor has, 32-bit ones included.
    static constexpr int kLimbs = 5;
    // Four blocks go through one step, which needs r, r^2, r^3 and r^4.
    static constexpr int kPowers = 4;

    // Adds whole 16-byte blocks; padBit is 1 for message blocks and 0 for the last,
    // already padded, short block.
    void Absorb(const uint8_t* blocks, size_t count, uint32_t padBit);
    // Fills lanes_ on the first run long enough for the vector kernel.
    void PrepareLanes();

    uint32_t r_[kPowers][kLimbs];  // the powers of r, lowest first
    uint32_t s_[kPowers][kLimbs];  // their limbs times 5, the factor the reduction folds in
    uint32_t h_[kLimbs] = {};      // the running sum, partly reduced
    uint32_t pad_[4];
    uint8_t block_[16];
    size_t blockUsed_ = 0;
    // The vector kernel's multipliers (see platform/Poly1305Lanes.h), where the
    // processor has one.
    alignas(32) uint64_t lanes_[3 * 9 * 4];
    bool lanesReady_ = false;
};
