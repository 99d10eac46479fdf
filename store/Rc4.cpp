#include "store/Rc4.h"

#include "platform/Shell.h"

namespace {

// From this many bytes on, Rc4Crypt works on a copy of S widened to 32-bit entries:
// byte-wide loads and stores into a table that is read and written in the same cycle
// cost about a quarter of the speed, while widening and narrowing 256 entries costs a
// few hundred cycles. The hide and restore workflows pass 64 KiB chunks.
constexpr size_t kWideTableFrom = 1024;

// The keystream loop. i and j stay in registers for the whole call; the caller writes
// them back into the state at the end. S[i] of the next byte is loaded only after this
// byte's two stores (so it sees them when j == i + 1), at the bottom of the loop, which
// lets the processor start it while the output byte is still being looked up.
template <typename Entry>
inline void CryptLoop(Entry* S, unsigned& iOut, unsigned& jOut, uint8_t* buffer, size_t length) {
    if (length == 0) return;
    unsigned i = (iOut + 1) & 0xff;
    unsigned j = jOut;
    unsigned si = S[i];
    for (size_t n = 0;;) {
        j = (j + si) & 0xff;
        unsigned sj = S[j];
        S[j] = Entry(si);
        S[i] = Entry(sj);
        buffer[n] ^= uint8_t(S[(si + sj) & 0xff]);
        if (++n == length) break;
        i = (i + 1) & 0xff;
        si = S[i];
    }
    iOut = i;
    jOut = j;
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
        CryptLoop(state.S, i, j, buffer, length);
    } else {
        uint32_t wide[256];
        for (unsigned n = 0; n < 256; ++n) wide[n] = state.S[n];
        CryptLoop(wide, i, j, buffer, length);
        for (unsigned n = 0; n < 256; ++n) state.S[n] = uint8_t(wide[n]);
        // The copy is as secret as the state; it must not stay behind on the stack.
        platform::SecureZero(wide, sizeof(wide));
    }
    state.i = uint8_t(i);
    state.j = uint8_t(j);
}
