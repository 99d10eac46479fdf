#include "crypto/Poly1305.h"

#include <cstring>

#include "platform/Shell.h"

#if VEILBOX_POLY1305_LANES
#include <immintrin.h>
#endif

// The sum h and the multiplier r are numbers below 2^130 held in limbs small enough
// that the products of a multiplication can be summed without overflow and reduced
// modulo p = 2^130 - 5 afterwards, by folding whatever lies above 2^130 back in
// times 5. The limbs are only partly reduced between blocks; Final reduces fully.
//
// With a 64x64->128 multiply (64-bit GCC and Clang) the limbs are 44, 44 and 42 bits
// and four blocks go through one step, h = (h + m1) r^4 + m2 r^3 + m3 r^2 + m4 r, which
// lets the processor overlap the four products instead of waiting for each reduction.
// Without it (32-bit targets) the limbs are five of 26 bits and each block is a step.
//
// With AVX2, long runs go through four lanes of 26-bit limbs, one lane per 64-bit word
// of a 256-bit register: lane i sums the blocks i, i + 4, i + 8, ... by Horner's rule
// in r^4, so one multiply instruction serves four blocks. At the end of the run the
// lanes are multiplied by r^4, r^3, r^2 and r, which gives every block the power of r
// it would have had one block at a time, and added into h.

#if defined(__SIZEOF_INT128__)

namespace {

using u128 = unsigned __int128;

// One 8-byte load: GCC does not merge byte-wise loads here, which costs an eighth of
// the speed.
uint64_t LoadLe64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

void StoreLe64(uint8_t* p, uint64_t v) {
    for (int k = 0; k < 8; ++k) p[k] = uint8_t(v >> 8 * k);
}

constexpr uint64_t kMask44 = (uint64_t(1) << 44) - 1;
constexpr uint64_t kMask42 = (uint64_t(1) << 42) - 1;

// Limb k sits at bit 44k, so 2^132 = 4 * 2^130 folds back as 4 * 5 = 20.
constexpr uint64_t kFold = 20;

// d0..d2 (sums of products) to h, partly reduced: h0, h2 end in range, h1 may keep
// a small carry.
inline void Carry(u128 d0, u128 d1, u128 d2, uint64_t& h0, uint64_t& h1, uint64_t& h2) {
    d1 += uint64_t(d0 >> 44);
    h0 = uint64_t(d0) & kMask44;
    d2 += uint64_t(d1 >> 44);
    h1 = uint64_t(d1) & kMask44;
    const uint64_t c = uint64_t(d2 >> 42);
    h2 = uint64_t(d2) & kMask42;
    h0 += c * 5;
    h1 += h0 >> 44;
    h0 &= kMask44;
}

// Products of h with one power of r (limbs r, multiples s = 20 r), added to d.
inline void MultiplyAdd(uint64_t h0, uint64_t h1, uint64_t h2, const uint64_t* r,
                        const uint64_t* s, u128& d0, u128& d1, u128& d2) {
    d0 += u128(h0) * r[0] + u128(h1) * s[2] + u128(h2) * s[1];
    d1 += u128(h0) * r[1] + u128(h1) * r[0] + u128(h2) * s[2];
    d2 += u128(h0) * r[2] + u128(h1) * r[1] + u128(h2) * r[0];
}

inline void LoadBlock(const uint8_t* p, uint64_t padBit, uint64_t& m0, uint64_t& m1,
                      uint64_t& m2) {
    const uint64_t t0 = LoadLe64(p);
    const uint64_t t1 = LoadLe64(p + 8);
    m0 = t0 & kMask44;
    m1 = (t0 >> 44 | t1 << 20) & kMask44;
    m2 = t1 >> 24 | padBit << 40;
}

#if VEILBOX_POLY1305_LANES

constexpr uint64_t kMask26 = (uint64_t(1) << 26) - 1;

// h, as Carry leaves it, in five limbs of 26 bits; the fourth may exceed 2^26 by
// about 2^10, from the small carry h1 may keep.
inline void Split26(const uint64_t* h, uint64_t* limbs) {
    limbs[0] = h[0] & kMask26;
    limbs[1] = h[0] >> 26 | (h[1] & 0xff) << 18;
    limbs[2] = h[1] >> 8 & kMask26;
    limbs[3] = (h[1] >> 34) + ((h[2] & 0xffff) << 10);
    limbs[4] = h[2] >> 16;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Shorter runs stay scalar: preparing the lanes' multipliers (once per key) and
// bringing the lanes together at the end cost about as much as a dozen blocks.
constexpr size_t kLaneMinBlocks = 16;

#define LANES_CODE __attribute__((target("avx2")))

LANES_CODE inline __m256i Load(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}
LANES_CODE inline __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi64(a, b); }
LANES_CODE inline __m256i Mul(__m256i a, __m256i b) { return _mm256_mul_epu32(a, b); }

// Five 26-bit limbs, each holding four lanes.
struct Lanes {
    __m256i l0, l1, l2, l3, l4;
};

LANES_CODE inline Lanes AddLanes(const Lanes& a, const Lanes& b) {
    return {Add(a.l0, b.l0), Add(a.l1, b.l1), Add(a.l2, b.l2), Add(a.l3, b.l3), Add(a.l4, b.l4)};
}

// Four blocks; lanes 0 to 3 hold blocks 0, 2, 1 and 3, the order in which the
// unpacking leaves them.
LANES_CODE inline Lanes LoadLanes(const uint8_t* p, __m256i pad) {
    const __m256i a = Load(p), b = Load(p + 32);
    const __m256i lo = _mm256_unpacklo_epi64(a, b);
    const __m256i hi = _mm256_unpackhi_epi64(a, b);
    const __m256i mask = _mm256_set1_epi64x(kMask26);
    return {_mm256_and_si256(lo, mask), _mm256_and_si256(_mm256_srli_epi64(lo, 26), mask),
            _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(lo, 52), _mm256_slli_epi64(hi, 12)),
                             mask),
            _mm256_and_si256(_mm256_srli_epi64(hi, 14), mask),
            _mm256_or_si256(_mm256_srli_epi64(hi, 40), pad)};
}

// Limb k of a multiplier in lanes_, and limb k times 5, read from memory at each use.
LANES_CODE inline __m256i R(const uint64_t* m, int k) { return Load(m + 4 * k); }
LANES_CODE inline __m256i S(const uint64_t* m, int k) { return Load(m + 16 + 4 * k); }

LANES_CODE inline __m256i Dot(__m256i h0, __m256i m0, __m256i h1, __m256i m1, __m256i h2,
                               __m256i m2, __m256i h3, __m256i m3, __m256i h4, __m256i m4) {
    __m256i d = Mul(h0, m0);
    d = Add(d, Mul(h1, m1));
    d = Add(d, Mul(h2, m2));
    d = Add(d, Mul(h3, m3));
    d = Add(d, Mul(h4, m4));
    // Keeps each limb's sum in one piece: otherwise GCC regroups the ten products of
    // a step into one tree, computes them all first and spills them to the stack,
    // which costs a fifth of the speed.
    __asm__("" : "+x"(d));
    return d;
}

// h times one multiplier. With h below 2^27 + 2^11 per limb and the multiplier's limbs
// below 2^26 + 2^11, ten of these products sum to less than 2^59 per limb, twenty to
// less than 2^60.
LANES_CODE inline Lanes MultiplyLanes(const Lanes& h, const uint64_t* m) {
    return {Dot(h.l0, R(m, 0), h.l1, S(m, 4), h.l2, S(m, 3), h.l3, S(m, 2), h.l4, S(m, 1)),
            Dot(h.l0, R(m, 1), h.l1, R(m, 0), h.l2, S(m, 4), h.l3, S(m, 3), h.l4, S(m, 2)),
            Dot(h.l0, R(m, 2), h.l1, R(m, 1), h.l2, R(m, 0), h.l3, S(m, 4), h.l4, S(m, 3)),
            Dot(h.l0, R(m, 3), h.l1, R(m, 2), h.l2, R(m, 1), h.l3, R(m, 0), h.l4, S(m, 4)),
            Dot(h.l0, R(m, 4), h.l1, R(m, 3), h.l2, R(m, 2), h.l3, R(m, 1), h.l4, R(m, 0))};
}

LANES_CODE inline void CarryLane(__m256i& from, __m256i& to, __m256i mask) {
    to = Add(to, _mm256_srli_epi64(from, 26));
    from = _mm256_and_si256(from, mask);
}

// Two interleaved carry chains: every limb ends below 2^26 but limbs 1 and 4, which
// may keep less than 2^11 over.
LANES_CODE inline Lanes CarryLanes(Lanes d) {
    const __m256i mask = _mm256_set1_epi64x(kMask26);
    CarryLane(d.l0, d.l1, mask);
    CarryLane(d.l3, d.l4, mask);
    CarryLane(d.l1, d.l2, mask);
    const __m256i c = _mm256_srli_epi64(d.l4, 26);
    d.l4 = _mm256_and_si256(d.l4, mask);
    d.l0 = Add(d.l0, Add(c, _mm256_slli_epi64(c, 2)));
    CarryLane(d.l2, d.l3, mask);
    CarryLane(d.l0, d.l1, mask);
    CarryLane(d.l3, d.l4, mask);
    return d;
}

LANES_CODE inline uint64_t SumOfLanes(__m256i v) {
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return uint64_t(_mm_cvtsi128_si64(half)) + uint64_t(_mm_extract_epi64(half, 1));
}

// Absorbs groups (at least one) of four blocks into h. Two groups per step while more
// than one remains before the last, h = (h + m1) r^8 + m2 r^4 per lane, so that the
// second product does not wait for the first and one carry serves both. The last
// group's product, by r^4, r^2, r^3 and r, is left uncarried: summed over the lanes
// it still fits 64 bits.
LANES_CODE void AbsorbLanes(const uint8_t* p, size_t groups, uint64_t padBit,
                            const uint64_t* lanes, uint64_t* h) {
    uint64_t start[5];
    Split26(h, start);
    Lanes acc = {_mm256_set_epi64x(0, 0, 0, int64_t(start[0])),
                 _mm256_set_epi64x(0, 0, 0, int64_t(start[1])),
                 _mm256_set_epi64x(0, 0, 0, int64_t(start[2])),
                 _mm256_set_epi64x(0, 0, 0, int64_t(start[3])),
                 _mm256_set_epi64x(0, 0, 0, int64_t(start[4]))};
    const __m256i pad = _mm256_set1_epi64x(int64_t(padBit << 24));
    for (; groups > 2; groups -= 2, p += 128) {
        // Hides the multipliers' address from the optimiser, which would otherwise
        // load them before the loop and spill some to the stack, where the key's
        // powers would stay behind; it is also faster.
        const uint64_t* key = lanes;
        __asm__("" : "+r"(key));
        acc = CarryLanes(AddLanes(MultiplyLanes(AddLanes(acc, LoadLanes(p, pad)), key),
                                  MultiplyLanes(LoadLanes(p + 64, pad), key + 36)));
    }
    if (groups == 2) {
        acc = CarryLanes(MultiplyLanes(AddLanes(acc, LoadLanes(p, pad)), lanes + 36));
        p += 64;
    }
    const Lanes d = MultiplyLanes(AddLanes(acc, LoadLanes(p, pad)), lanes + 72);

    // The lanes' sums, limbs at bits 0, 26, 52, 78 and 104, regrouped at 0, 44 and 88.
    const uint64_t d0 = SumOfLanes(d.l0), d1 = SumOfLanes(d.l1), d2 = SumOfLanes(d.l2),
                   d3 = SumOfLanes(d.l3), d4 = SumOfLanes(d.l4);
    Carry(d0 + (u128(d1) << 26), (u128(d2) << 8) + (u128(d3) << 34), u128(d4) << 16, h[0],
          h[1], h[2]);
}

#undef LANES_CODE

#endif  // VEILBOX_POLY1305_LANES

}  // namespace

Poly1305::Poly1305(const uint8_t (&key)[kKeySize]) {
    const uint64_t t0 = LoadLe64(key);
    const uint64_t t1 = LoadLe64(key + 8);
    // Clears the bits the algorithm requires clear in r.
    r_[0] = t0 & 0xffc0fffffff;
    r_[1] = (t0 >> 44 | t1 << 20) & 0xfffffc0ffff;
    r_[2] = (t1 >> 24) & 0x00ffffffc0f;
    for (int k = 0; k < 3; ++k) s_[k] = r_[k] * kFold;
    for (int power = 1; power < 4; ++power) {
        const uint64_t* previous = r_ + 3 * (power - 1);
        u128 d0 = 0, d1 = 0, d2 = 0;
        MultiplyAdd(previous[0], previous[1], previous[2], r_, s_, d0, d1, d2);
        uint64_t* next = r_ + 3 * power;
        Carry(d0, d1, d2, next[0], next[1], next[2]);
        for (int k = 0; k < 3; ++k) s_[3 * power + k] = next[k] * kFold;
    }
    pad_[0] = LoadLe64(key + 16);
    pad_[1] = LoadLe64(key + 24);
}

#if VEILBOX_POLY1305_LANES
void Poly1305::PrepareLanes() {
    uint64_t r8[3];
    u128 d0 = 0, d1 = 0, d2 = 0;
    MultiplyAdd(r_[9], r_[10], r_[11], r_ + 9, s_ + 9, d0, d1, d2);
    Carry(d0, d1, d2, r8[0], r8[1], r8[2]);
    // Lane i holds block 0, 2, 1 or 3 of each group (see LoadLanes) and is multiplied
    // at the end by r to the power 4 less that block's place.
    const uint64_t* const powers[3][4] = {
        {r8, r8, r8, r8}, {r_ + 9, r_ + 9, r_ + 9, r_ + 9}, {r_ + 9, r_ + 3, r_ + 6, r_}};
    uint64_t limbs[5];
    for (int m = 0; m < 3; ++m) {
        for (int lane = 0; lane < 4; ++lane) {
            Split26(powers[m][lane], limbs);
            uint64_t* const vectors = lanes_ + 36 * m + lane;
            for (int k = 0; k < 5; ++k) vectors[4 * k] = limbs[k];
            for (int k = 1; k < 5; ++k) vectors[4 * (4 + k)] = limbs[k] * 5;
        }
    }
    platform::SecureZero(r8, sizeof r8);
    platform::SecureZero(limbs, sizeof limbs);
    lanesReady_ = true;
}
#endif

void Poly1305::Absorb(const uint8_t* p, size_t count, Limb padBit) {
#if VEILBOX_POLY1305_LANES
    if (count >= kLaneMinBlocks && HasAvx2()) {
        if (!lanesReady_) PrepareLanes();
        AbsorbLanes(p, count / 4, padBit, lanes_, h_);
        p += count / 4 * 64;
        count %= 4;
    }
#endif
    uint64_t h0 = h_[0], h1 = h_[1], h2 = h_[2];
    // Working from local copies of the powers is a twentieth faster with GCC than
    // reading the members; the copies are wiped below.
    uint64_t r[kPowers * kLimbs], s[kPowers * kLimbs];
    std::memcpy(r, r_, sizeof r);
    std::memcpy(s, s_, sizeof s);
    const uint64_t* r1 = r;
    const uint64_t* s1 = s;
    for (; count >= 4; count -= 4, p += 64) {
        uint64_t m0, m1, m2;
        LoadBlock(p, padBit, m0, m1, m2);
        u128 d0 = 0, d1 = 0, d2 = 0;
        MultiplyAdd(h0 + m0, h1 + m1, h2 + m2, r + 9, s + 9, d0, d1, d2);
        LoadBlock(p + 16, padBit, m0, m1, m2);
        MultiplyAdd(m0, m1, m2, r + 6, s + 6, d0, d1, d2);
        LoadBlock(p + 32, padBit, m0, m1, m2);
        MultiplyAdd(m0, m1, m2, r + 3, s + 3, d0, d1, d2);
        LoadBlock(p + 48, padBit, m0, m1, m2);
        MultiplyAdd(m0, m1, m2, r1, s1, d0, d1, d2);
        Carry(d0, d1, d2, h0, h1, h2);
    }
    for (; count > 0; --count, p += 16) {
        uint64_t m0, m1, m2;
        LoadBlock(p, padBit, m0, m1, m2);
        u128 d0 = 0, d1 = 0, d2 = 0;
        MultiplyAdd(h0 + m0, h1 + m1, h2 + m2, r1, s1, d0, d1, d2);
        Carry(d0, d1, d2, h0, h1, h2);
    }
    h_[0] = h0;
    h_[1] = h1;
    h_[2] = h2;
    platform::SecureZero(r, sizeof r);
    platform::SecureZero(s, sizeof s);
}

namespace {

// h fully reduced modulo p, plus pad, modulo 2^128.
void Finish(const uint64_t* h, const uint64_t* pad, uint8_t* tag) {
    uint64_t h0 = h[0], h1 = h[1], h2 = h[2];
    // Two rounds of carries leave every limb in range and h below 2^130.
    for (int round = 0; round < 2; ++round) {
        h2 += h1 >> 44;
        h1 &= kMask44;
        h0 += (h2 >> 42) * 5;
        h2 &= kMask42;
        h1 += h0 >> 44;
        h0 &= kMask44;
    }
    // g = h + 5 - 2^130, which is h - p: take it when it does not go below zero.
    uint64_t g0 = h0 + 5;
    uint64_t g1 = h1 + (g0 >> 44);
    g0 &= kMask44;
    uint64_t g2 = h2 + (g1 >> 44) - (uint64_t(1) << 42);
    g1 &= kMask44;
    const uint64_t useG = (g2 >> 63) - 1;  // all ones when g2 did not borrow
    h0 = (h0 & ~useG) | (g0 & useG);
    h1 = (h1 & ~useG) | (g1 & useG);
    h2 = (h2 & ~useG) | (g2 & useG);

    h0 += pad[0] & kMask44;
    h1 += ((pad[0] >> 44 | pad[1] << 20) & kMask44) + (h0 >> 44);
    h0 &= kMask44;
    h2 += (pad[1] >> 24) + (h1 >> 44);
    h1 &= kMask44;
    StoreLe64(tag, h0 | h1 << 44);
    StoreLe64(tag + 8, h1 >> 20 | h2 << 24);
}

}  // namespace

#else  // no 128-bit product

namespace {

constexpr uint32_t kMask26 = (uint32_t(1) << 26) - 1;

uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreLe32(uint8_t* p, uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = uint8_t(v >> 8 * k);
}

// 32x32->64, one instruction on 32-bit processors.
inline uint64_t Mul(uint32_t a, uint32_t b) { return uint64_t(a) * b; }

}  // namespace

Poly1305::Poly1305(const uint8_t (&key)[kKeySize]) {
    // Clears the bits the algorithm requires clear in r.
    r_[0] = LoadLe32(key) & 0x3ffffff;
    r_[1] = (LoadLe32(key + 3) >> 2) & 0x3ffff03;
    r_[2] = (LoadLe32(key + 6) >> 4) & 0x3ffc0ff;
    r_[3] = (LoadLe32(key + 9) >> 6) & 0x3f03fff;
    r_[4] = (LoadLe32(key + 12) >> 8) & 0x00fffff;
    // Limb k sits at bit 26k, so 2^130 folds back as 5.
    for (int k = 0; k < 5; ++k) s_[k] = r_[k] * 5;
    pad_[0] = LoadLe32(key + 16) | uint64_t(LoadLe32(key + 20)) << 32;
    pad_[1] = LoadLe32(key + 24) | uint64_t(LoadLe32(key + 28)) << 32;
}

void Poly1305::Absorb(const uint8_t* p, size_t count, Limb padBit) {
    const uint32_t r0 = r_[0], r1 = r_[1], r2 = r_[2], r3 = r_[3], r4 = r_[4];
    const uint32_t s1 = s_[1], s2 = s_[2], s3 = s_[3], s4 = s_[4];
    uint32_t h0 = h_[0], h1 = h_[1], h2 = h_[2], h3 = h_[3], h4 = h_[4];
    for (; count > 0; --count, p += 16) {
        h0 += LoadLe32(p) & kMask26;
        h1 += (LoadLe32(p + 3) >> 2) & kMask26;
        h2 += (LoadLe32(p + 6) >> 4) & kMask26;
        h3 += (LoadLe32(p + 9) >> 6) & kMask26;
        h4 += (LoadLe32(p + 12) >> 8) | padBit << 24;

        uint64_t d0 = Mul(h0, r0) + Mul(h1, s4) + Mul(h2, s3) + Mul(h3, s2) + Mul(h4, s1);
        uint64_t d1 = Mul(h0, r1) + Mul(h1, r0) + Mul(h2, s4) + Mul(h3, s3) + Mul(h4, s2);
        uint64_t d2 = Mul(h0, r2) + Mul(h1, r1) + Mul(h2, r0) + Mul(h3, s4) + Mul(h4, s3);
        uint64_t d3 = Mul(h0, r3) + Mul(h1, r2) + Mul(h2, r1) + Mul(h3, r0) + Mul(h4, s4);
        uint64_t d4 = Mul(h0, r4) + Mul(h1, r3) + Mul(h2, r2) + Mul(h3, r1) + Mul(h4, r0);

        d1 += d0 >> 26;
        h0 = uint32_t(d0) & kMask26;
        d2 += d1 >> 26;
        h1 = uint32_t(d1) & kMask26;
        d3 += d2 >> 26;
        h2 = uint32_t(d2) & kMask26;
        d4 += d3 >> 26;
        h3 = uint32_t(d3) & kMask26;
        h0 += uint32_t(d4 >> 26) * 5;
        h4 = uint32_t(d4) & kMask26;
        h1 += h0 >> 26;
        h0 &= kMask26;
    }
    h_[0] = h0;
    h_[1] = h1;
    h_[2] = h2;
    h_[3] = h3;
    h_[4] = h4;
}

namespace {

// h fully reduced modulo p, plus pad, modulo 2^128.
void Finish(const uint32_t* limbs, const uint64_t* pad, uint8_t* tag) {
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
    const uint32_t padWords[4] = {uint32_t(pad[0]), uint32_t(pad[0] >> 32), uint32_t(pad[1]),
                                  uint32_t(pad[1] >> 32)};
    uint64_t sum = 0;
    for (int k = 0; k < 4; ++k) {
        sum += uint64_t(w[k]) + padWords[k];
        StoreLe32(tag + 4 * k, uint32_t(sum));
        sum >>= 32;
    }
}

}  // namespace

#endif

Poly1305::~Poly1305() {
    platform::SecureZero(r_, sizeof r_);
    platform::SecureZero(s_, sizeof s_);
    platform::SecureZero(h_, sizeof h_);
    platform::SecureZero(pad_, sizeof pad_);
    platform::SecureZero(block_, sizeof block_);
#if VEILBOX_POLY1305_LANES
    platform::SecureZero(lanes_, sizeof lanes_);
#endif
}

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
