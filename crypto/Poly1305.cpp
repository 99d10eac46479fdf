#include "crypto/Poly1305.h"

#include <cstring>

#include "platform/Poly1305Lanes.h"
#include "platform/Shell.h"

// The sum h and the multiplier r are numbers below 2^130 held in five limbs of 26 bits,
// small enough that the products of a multiplication can be summed in 64 bits and
// reduced modulo p = 2^130 - 5 afterwards, by folding whatever lies above 2^130 back in
// times 5. The limbs are only partly reduced between steps; Final reduces fully.
//
// Four blocks go through one step, h = (h + m1) r^4 + m2 r^3 + m3 r^2 + m4 r, which
// lets the processor overlap the four products instead of waiting for each reduction.
//
// Bounds: after a carry every limb of h and of the powers of r is below 2^26, limb 1
// below 2^26 + 2^11. A limb of h + m1 is then below 2^27 + 2^11, one of 5 r below 2^29,
// so one product is below 2^56 and the twenty of a step's limb sum below 2^60.

namespace {

constexpr uint32_t kMask26 = (uint32_t(1) << 26) - 1;

// Little-endian whatever the processor's order; compilers turn this into one load.
uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreLe32(uint8_t* p, uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = uint8_t(v >> 8 * k);
}

// 32x32->64, one instruction on 32-bit processors too.
inline uint64_t Mul(uint32_t a, uint32_t b) { return uint64_t(a) * b; }

// One block in limbs; the top limb carries the bit above the block's 128. Four loads
// that share no byte: GCC merges each into one load then, not when they overlap.
inline void LoadBlock(const uint8_t* p, uint32_t padBit, uint32_t (&m)[5]) {
    const uint32_t w0 = LoadLe32(p), w1 = LoadLe32(p + 4), w2 = LoadLe32(p + 8), w3 = LoadLe32(p + 12);
    m[0] = w0 & kMask26;
    m[1] = (w0 >> 26 | w1 << 6) & kMask26;
    m[2] = (w1 >> 20 | w2 << 12) & kMask26;
    m[3] = (w2 >> 14 | w3 << 18) & kMask26;
    m[4] = w3 >> 8 | padBit << 24;
}

// d += h times one power of r (limbs r, multiples s = 5 r).
inline void MultiplyAdd(const uint32_t (&h)[5], const uint32_t* r, const uint32_t* s,
                        uint64_t (&d)[5]) {
    d[0] += Mul(h[0], r[0]) + Mul(h[1], s[4]) + Mul(h[2], s[3]) + Mul(h[3], s[2]) + Mul(h[4], s[1]);
    d[1] += Mul(h[0], r[1]) + Mul(h[1], r[0]) + Mul(h[2], s[4]) + Mul(h[3], s[3]) + Mul(h[4], s[2]);
    d[2] += Mul(h[0], r[2]) + Mul(h[1], r[1]) + Mul(h[2], r[0]) + Mul(h[3], s[4]) + Mul(h[4], s[3]);
    d[3] += Mul(h[0], r[3]) + Mul(h[1], r[2]) + Mul(h[2], r[1]) + Mul(h[3], r[0]) + Mul(h[4], s[4]);
    d[4] += Mul(h[0], r[4]) + Mul(h[1], r[3]) + Mul(h[2], r[2]) + Mul(h[3], r[1]) + Mul(h[4], r[0]);
}

// The sums of products back to limbs, partly reduced. The fold of the bits above 2^130
// is done in 64 bits: with twenty products per limb it exceeds 32.
inline void Carry(uint64_t (&d)[5], uint32_t (&h)[5]) {
    d[1] += d[0] >> 26;
    d[2] += d[1] >> 26;
    d[3] += d[2] >> 26;
    d[4] += d[3] >> 26;
    const uint64_t h0 = (d[0] & kMask26) + (d[4] >> 26) * 5;
    h[0] = uint32_t(h0) & kMask26;
    h[1] = (uint32_t(d[1]) & kMask26) + uint32_t(h0 >> 26);
    h[2] = uint32_t(d[2]) & kMask26;
    h[3] = uint32_t(d[3]) & kMask26;
    h[4] = uint32_t(d[4]) & kMask26;
}

// Shorter runs stay scalar: preparing the lanes' multipliers (once per key) and
// bringing the lanes together at the end cost about as much as a dozen blocks.
constexpr size_t kLaneMinBlocks = 16;

}  // namespace

Poly1305::Poly1305(const uint8_t (&key)[kKeySize]) {
    // Clears the bits the algorithm requires clear in r.
    r_[0][0] = LoadLe32(key) & 0x3ffffff;
    r_[0][1] = (LoadLe32(key + 3) >> 2) & 0x3ffff03;
    r_[0][2] = (LoadLe32(key + 6) >> 4) & 0x3ffc0ff;
    r_[0][3] = (LoadLe32(key + 9) >> 6) & 0x3f03fff;
    r_[0][4] = (LoadLe32(key + 12) >> 8) & 0x00fffff;
    for (int power = 0; power < kPowers; ++power) {
        if (power > 0) {
            uint64_t d[5] = {};
            MultiplyAdd(r_[power - 1], r_[0], s_[0], d);
            Carry(d, r_[power]);
        }
        // Limb k sits at bit 26k, so 2^130 folds back as 5.
        for (int k = 0; k < kLimbs; ++k) s_[power][k] = r_[power][k] * 5;
    }
    for (int k = 0; k < 4; ++k) pad_[k] = LoadLe32(key + 16 + 4 * k);
}

Poly1305::~Poly1305() {
    platform::SecureZero(r_, sizeof r_);
    platform::SecureZero(s_, sizeof s_);
    platform::SecureZero(h_, sizeof h_);
    platform::SecureZero(pad_, sizeof pad_);
    platform::SecureZero(block_, sizeof block_);
    platform::SecureZero(lanes_, sizeof lanes_);
}

void Poly1305::PrepareLanes() {
    static_assert(sizeof lanes_ / sizeof lanes_[0] == platform::kPoly1305LaneWords, "the kernel's layout");
    uint32_t r8[kLimbs];
    uint64_t d[kLimbs] = {};
    MultiplyAdd(r_[3], r_[3], s_[3], d);
    Carry(d, r8);
    // Lane i holds block 0, 2, 1 or 3 of each group and is multiplied at the end by r
    // to the power 4 less that block's place.
    const uint32_t* const powers[3][4] = {{r8, r8, r8, r8}, {r_[3], r_[3], r_[3], r_[3]}, {r_[3], r_[1], r_[2], r_[0]}};
    for (int m = 0; m < 3; ++m) {
        for (int lane = 0; lane < 4; ++lane) {
            uint64_t* const vectors = lanes_ + 36 * m + lane;
            for (int k = 0; k < kLimbs; ++k) vectors[4 * k] = powers[m][lane][k];
            for (int k = 1; k < kLimbs; ++k) vectors[4 * (4 + k)] = uint64_t(powers[m][lane][k]) * 5;
        }
    }
    platform::SecureZero(r8, sizeof r8);
    platform::SecureZero(d, sizeof d);
    lanesReady_ = true;
}

void Poly1305::Absorb(const uint8_t* p, size_t count, uint32_t padBit) {
    uint32_t h[5], m[5];
    std::memcpy(h, h_, sizeof h);
    if (count >= kLaneMinBlocks && platform::HasPoly1305Lanes()) {
        if (!lanesReady_) PrepareLanes();
        uint64_t d[5];
        platform::AbsorbPoly1305Lanes(p, count / 4, padBit, lanes_, h, d);
        Carry(d, h);
        p += count / 4 * 64;
        count %= 4;
    }
    for (; count >= 4; count -= 4, p += 64) {
        LoadBlock(p, padBit, m);
        for (int k = 0; k < 5; ++k) h[k] += m[k];
        uint64_t d[5] = {};
        MultiplyAdd(h, r_[3], s_[3], d);
        LoadBlock(p + 16, padBit, m);
        MultiplyAdd(m, r_[2], s_[2], d);
        LoadBlock(p + 32, padBit, m);
        MultiplyAdd(m, r_[1], s_[1], d);
        LoadBlock(p + 48, padBit, m);
        MultiplyAdd(m, r_[0], s_[0], d);
        Carry(d, h);
    }
    for (; count > 0; --count, p += 16) {
        LoadBlock(p, padBit, m);
        for (int k = 0; k < 5; ++k) h[k] += m[k];
        uint64_t d[5] = {};
        MultiplyAdd(h, r_[0], s_[0], d);
        Carry(d, h);
    }
    std::memcpy(h_, h, sizeof h);
}

namespace {

// h fully reduced modulo p, plus pad, modulo 2^128.
void Finish(const uint32_t (&limbs)[5], const uint32_t (&pad)[4], uint8_t* tag) {
    uint32_t h[5];
    for (int k = 0; k < 5; ++k) h[k] = limbs[k];
    // Two rounds of carries leave every limb in range and h below 2^130.
    for (int round = 0; round < 2; ++round) {
        for (int k = 1; k < 5; ++k) {
            h[k] += h[k - 1] >> 26;
            h[k - 1] &= kMask26;
        }
        h[0] += (h[4] >> 26) * 5;
        h[4] &= kMask26;
    }
    // g = h + 5 - 2^130, which is h - p: take it when it does not go below zero.
    uint32_t g[5];
    uint32_t carry = 5;
    for (int k = 0; k < 5; ++k) {
        g[k] = h[k] + carry;
        carry = g[k] >> 26;
        g[k] &= kMask26;
    }
    g[4] = (g[4] | carry << 26) - (uint32_t(1) << 26);
    const uint32_t useG = (g[4] >> 31) - 1;  // all ones when g did not borrow
    for (int k = 0; k < 5; ++k) h[k] = (h[k] & ~useG) | (g[k] & useG);

    // The low 128 bits as four words, plus pad.
    const uint32_t w[4] = {h[0] | h[1] << 26, h[1] >> 6 | h[2] << 20, h[2] >> 12 | h[3] << 14,
                           h[3] >> 18 | h[4] << 8};
    uint64_t sum = 0;
    for (int k = 0; k < 4; ++k) {
        sum += uint64_t(w[k]) + pad[k];
        StoreLe32(tag + 4 * k, uint32_t(sum));
        sum >>= 32;
    }
}

}  // namespace

void Poly1305::Update(const uint8_t* data, size_t size) {
    if (size == 0) return;
    if (blockUsed_ > 0) {
        const size_t take = size < 16 - blockUsed_ ? size : 16 - blockUsed_;
        std::memcpy(block_ + blockUsed_, data, take);
        blockUsed_ += take;
        data += take;
        size -= take;
        if (blockUsed_ < 16) return;
        Absorb(block_, 1, 1);
        blockUsed_ = 0;
    }
    const size_t whole = size / 16;
    if (whole > 0) Absorb(data, whole, 1);
    blockUsed_ = size % 16;
    if (blockUsed_ > 0) std::memcpy(block_, data + 16 * whole, blockUsed_);
}

void Poly1305::Final(uint8_t (&tag)[kTagSize]) {
    if (blockUsed_ > 0) {
        // A short last block ends with a 1 byte in place of the bit above 128.
        block_[blockUsed_] = 1;
        std::memset(block_ + blockUsed_ + 1, 0, 16 - blockUsed_ - 1);
        Absorb(block_, 1, 0);
        blockUsed_ = 0;
    }
    Finish(h_, pad_, tag);
}
