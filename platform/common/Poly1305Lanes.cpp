#include "platform/Poly1305Lanes.h"

#include <cstdlib>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VEILBOX_HAS_LANES 1
#else
#define VEILBOX_HAS_LANES 0
#endif

namespace platform {

#if VEILBOX_HAS_LANES

namespace {

constexpr uint64_t kMask26 = (uint64_t(1) << 26) - 1;

#define LANES_CODE __attribute__((target("avx2")))

LANES_CODE inline __m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
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
            _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(lo, 52), _mm256_slli_epi64(hi, 12)), mask),
            _mm256_and_si256(_mm256_srli_epi64(hi, 14), mask), _mm256_or_si256(_mm256_srli_epi64(hi, 40), pad)};
}

// Limb k of a multiplier, and limb k times 5, read from memory at each use.
LANES_CODE inline __m256i R(const uint64_t* m, int k) { return Load(m + 4 * k); }
LANES_CODE inline __m256i S(const uint64_t* m, int k) { return Load(m + 16 + 4 * k); }

LANES_CODE inline __m256i Dot(__m256i h0, __m256i m0, __m256i h1, __m256i m1, __m256i h2, __m256i m2, __m256i h3,
                              __m256i m3, __m256i h4, __m256i m4) {
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

// Two groups per step while more than one remains before the last,
// h = (h + m1) r^8 + m2 r^4 per lane, so that the second product does not wait for the
// first and one carry serves both. The last group's product is left uncarried: summed
// over the lanes it still fits 64 bits.
LANES_CODE void Absorb(const uint8_t* p, size_t groups, uint32_t padBit, const uint64_t* multipliers,
                       const uint32_t (&h)[5], uint64_t (&d)[5]) {
    Lanes acc = {_mm256_set_epi64x(0, 0, 0, h[0]), _mm256_set_epi64x(0, 0, 0, h[1]),
                 _mm256_set_epi64x(0, 0, 0, h[2]), _mm256_set_epi64x(0, 0, 0, h[3]),
                 _mm256_set_epi64x(0, 0, 0, h[4])};
    const __m256i pad = _mm256_set1_epi64x(int64_t(padBit) << 24);
    for (; groups > 2; groups -= 2, p += 128) {
        // Hides the multipliers' address from the optimiser, which would otherwise
        // load them before the loop and spill some to the stack, where the key's
        // powers would stay behind; it is also faster.
        const uint64_t* key = multipliers;
        __asm__("" : "+r"(key));
        acc = CarryLanes(AddLanes(MultiplyLanes(AddLanes(acc, LoadLanes(p, pad)), key),
                                  MultiplyLanes(LoadLanes(p + 64, pad), key + 36)));
    }
    if (groups == 2) {
        acc = CarryLanes(MultiplyLanes(AddLanes(acc, LoadLanes(p, pad)), multipliers + 36));
        p += 64;
    }
    const Lanes last = MultiplyLanes(AddLanes(acc, LoadLanes(p, pad)), multipliers + 72);
    d[0] = SumOfLanes(last.l0);
    d[1] = SumOfLanes(last.l1);
    d[2] = SumOfLanes(last.l2);
    d[3] = SumOfLanes(last.l3);
    d[4] = SumOfLanes(last.l4);
}

#undef LANES_CODE

}  // namespace

bool HasPoly1305Lanes() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void AbsorbPoly1305Lanes(const uint8_t* blocks, size_t groups, uint32_t padBit, const uint64_t* multipliers,
                         const uint32_t (&h)[5], uint64_t (&d)[5]) {
    Absorb(blocks, groups, padBit, multipliers, h, d);
}

#else

bool HasPoly1305Lanes() { return false; }

void AbsorbPoly1305Lanes(const uint8_t*, size_t, uint32_t, const uint64_t*, const uint32_t (&)[5], uint64_t (&)[5]) {
    std::abort();  // never called: HasPoly1305Lanes() is false
}

#endif

}  // namespace platform
