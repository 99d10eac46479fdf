// Poly1305, the one-time authenticator of RFC 8439 (section 2.5): a 16-byte tag of a
// message under a 32-byte key that must never authenticate two different messages.
// The container keys it afresh for every stream from the password and the stream's
// salt, so a tag proves the bytes to whoever knows the password and says nothing about
// them to anybody else.
#pragma once

#include <cstddef>
#include <cstdint>

// Long runs of blocks go through four lanes of 256-bit registers when the processor
// has AVX2 (asked once at run time). Only on x86-64 GCC and Clang: 32-bit builds keep
// the portable path, and GCC for 64-bit Windows does not align its stack for spilled
// 256-bit registers.
#if defined(__x86_64__) && defined(__SIZEOF_INT128__) && !defined(_WIN32)
#define VEILBOX_POLY1305_LANES 1
#else
#define VEILBOX_POLY1305_LANES 0
#endif

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
#if defined(__SIZEOF_INT128__)
    // With a 64x64->128 multiply: three 44-bit limbs per number, and four blocks per
    // step, which needs r, r^2, r^3 and r^4.
    using Limb = uint64_t;
    static constexpr int kLimbs = 3;
    static constexpr int kPowers = 4;
#else
    // Without one: five 26-bit limbs, one block per step.
    using Limb = uint32_t;
    static constexpr int kLimbs = 5;
    static constexpr int kPowers = 1;
#endif

    // Adds whole 16-byte blocks; padBit is 1 for message blocks and 0 for the last,
    // already padded, short block.
    void Absorb(const uint8_t* blocks, size_t count, Limb padBit);
#if VEILBOX_POLY1305_LANES
    // Fills lanes_ on the first long run.
    void PrepareLanes();
#endif

    Limb r_[kPowers * kLimbs];  // the powers of r, lowest first
    Limb s_[kPowers * kLimbs];  // their limbs times the factor the reduction folds in
    Limb h_[kLimbs] = {};       // the running sum, partly reduced
    uint64_t pad_[2];
    uint8_t block_[16];
    size_t blockUsed_ = 0;
#if VEILBOX_POLY1305_LANES
    // The lanes' three multipliers in 26-bit limbs, one 64-bit word per lane: r^8 and
    // r^4 in every lane, then the powers that bring the lanes together at the end. Each
    // is nine vectors: limbs 0 to 4, then limbs 1 to 4 times 5.
    alignas(32) uint64_t lanes_[3 * 9 * 4];
    bool lanesReady_ = false;
#endif
};
