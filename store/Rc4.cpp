#include "store/Rc4.h"

#include <cstring>

#include "platform/Shell.h"

namespace {

// From this many bytes on, Rc4Crypt works on a copy of S widened to 32-bit entries:
// byte entries that are read and written in the same few cycles run markedly slower,
// while widening and narrowing 256 entries costs a few hundred cycles. The hide and
// restore workflows pass 64 KiB chunks.
constexpr size_t kWideTableFrom = 1024;
// Keystream bytes made per block of the long path: a multiple of 8 that divides 256.
constexpr unsigned kBlock = 16;

// The long path XORs eight keystream bytes at once as one 64-bit word whose first
// byte in memory is its lowest.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the 64-bit XOR assumes little-endian");

// The next keystream byte, for an i that the caller has already advanced.
template <typename Entry>
inline unsigned Next(Entry* S, unsigned i, unsigned& j) {
    unsigned si = S[i];
    j = (j + si) & 0xff;
    unsigned sj = S[j];
    S[j] = Entry(si);
    S[i] = Entry(sj);
    return S[(si + sj) & 0xff];
}

template <typename Entry>
inline void StepEach(Entry* S, unsigned& i, unsigned& j, uint8_t* buffer, size_t length) {
    for (size_t n = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        buffer[n] ^= uint8_t(Next(S, i, j));
    }
}

// The long path. Once i + 1 sits on a block boundary, the i of the whole block is
// base + k with no wrap inside it, so the block is unrolled with fixed offsets and the
// index arithmetic of i disappears from the loop; i and j stay in registers. The
// keystream is gathered eight bytes to a register, then XORed with one load and store
// (memcpy keeps the unaligned access defined).
void CryptWide(uint32_t* S, unsigned& i, unsigned& j, uint8_t* buffer, size_t length) {
    size_t lead = (kBlock - ((i + 1) & (kBlock - 1))) & (kBlock - 1);
    if (lead > length) lead = length;
    StepEach(S, i, j, buffer, lead);
    buffer += lead;
    length -= lead;

    for (; length >= kBlock; buffer += kBlock, length -= kBlock) {
        unsigned base = (i + 1) & 0xff;
#pragma GCC unroll 2
        for (unsigned h = 0; h < kBlock; h += 8) {
            uint64_t w = 0;
#pragma GCC unroll 8
            for (unsigned k = 0; k < 8; ++k) w |= uint64_t(Next(S, base + h + k, j)) << (8 * k);
            uint64_t x;
            std::memcpy(&x, buffer + h, 8);
            x ^= w;
            std::memcpy(buffer + h, &x, 8);
        }
        i = base + kBlock - 1;
    }
    StepEach(S, i, j, buffer, length);
}

}  // namespace

void Rc4SetKey(const uint8_t* key, size_t keyLength, Rc4State& state) {
    uint8_t* S = state.S;
    for (unsigned n = 0; n < 256; ++n) S[n] = uint8_t(n);
    uint8_t k = 0;
    size_t keyIndex = 0;
    for (unsigned n = 0; n < 256; ++n) {
        uint8_t t = S[n];
        k = uint8_t(k + t + key[keyIndex]);
        if (++keyIndex == keyLength) keyIndex = 0;
        S[n] = S[k];
        S[k] = t;
    }
    state.i = 0;
    state.j = 0;
}

void Rc4Crypt(uint8_t* buffer, size_t length, Rc4State& state) {
    unsigned i = state.i;
    unsigned j = state.j;
    if (length < kWideTableFrom) {
        StepEach(state.S, i, j, buffer, length);
    } else {
        uint32_t wide[256];
        for (unsigned n = 0; n < 256; ++n) wide[n] = state.S[n];
        CryptWide(wide, i, j, buffer, length);
        for (unsigned n = 0; n < 256; ++n) state.S[n] = uint8_t(wide[n]);
        // The copy is as secret as the state; it must not stay behind on the stack.
        platform::SecureZero(wide, sizeof(wide));
    }
    state.i = uint8_t(i);
    state.j = uint8_t(j);
}
