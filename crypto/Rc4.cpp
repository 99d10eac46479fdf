#include "crypto/Rc4.h"

#include <cstring>
#include <utility>

#include "platform/Compiler.h"
#include "platform/Shell.h"

namespace {

// From this many bytes on, Rc4Crypt works on a local copy of S widened to 32-bit
// entries: it measured faster than byte entries, and a table of the function's own
// cannot alias the buffer. Widening and narrowing 256 entries costs a few hundred
// cycles. The hide and restore workflows pass 64 KiB chunks.
constexpr size_t kWideTableFrom = 1024;
// Steps per block of the long path: divides 256, so a block never wraps i.
constexpr unsigned kBlock = 16;
// The keystream is gathered in machine words and XORed into the buffer a word at a time.
using Word = size_t;
constexpr unsigned kWordBytes = sizeof(Word);
static_assert(kBlock % kWordBytes == 0, "a block is whole words");
// Where keystream byte k of a word goes, so that it lands on byte k of the buffer.
constexpr unsigned ByteShift(unsigned k) {
    return 8 * (platform::kLittleEndian ? k % kWordBytes : kWordBytes - 1 - k % kWordBytes);
}

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

// The long path. The only serial work of RC4 is j += S[i]; the rest waits on it. S[i]
// itself is known ahead, so each step reads S[i + 2] before it writes S[j] and S[i]:
// a load that follows the stores in program order would wait for the address of S[j],
// or be replayed when it turns out to be equal. A read-ahead value goes stale only
// when this step's j lands on its position; then S[j] held that same value before the
// swap (S is a permutation), so comparing values finds it without computing positions,
// and the values are read again from the table, which is always right (even for a
// state that is not a permutation, where equal values are no proof of equal positions).
struct Ahead {
    unsigned si;    // S[i], for the step about to run
    unsigned next;  // S[i + 1]
};

// Step K of a block: i = base + K. `block` is S + base, `following` is the next block.
// Always inlined, so that the unrolled block keeps its values in registers; the rare
// correction of a value read ahead stays a branch off the critical path.
template <unsigned K>
VEILBOX_ALWAYS_INLINE void BlockStep(uint32_t (&S)[256], uint32_t* block, uint32_t* following,
                                     unsigned& j, Ahead& a, Word& keystream, uint8_t* buffer) {
    uint32_t* afterAt = K + 2 < kBlock ? block + K + 2 : following + (K + 2 - kBlock);
    uint32_t* nextAt = K + 1 < kBlock ? block + K + 1 : following + (K + 1 - kBlock);
    unsigned after = *afterAt;
    unsigned si = a.si;
    j += si;  // only the low 8 bits are used; leaving the rest keeps the chain one add long
    unsigned jj = j & 0xff;
    unsigned sj = S[jj];
    S[jj] = si;
    block[K] = sj;
    keystream |= Word(S[(si + sj) & 0xff]) << ByteShift(K);
    if (VEILBOX_RARELY(sj == a.next) || VEILBOX_RARELY(sj == after)) {
        a.si = *nextAt;
        a.next = *afterAt;
    } else {
        a.si = a.next;
        a.next = after;
    }
    if (K % kWordBytes == kWordBytes - 1) {
        uint8_t* out = buffer + (K + 1 - kWordBytes);
        Word x;
        std::memcpy(&x, out, kWordBytes);  // memcpy keeps the unaligned access defined
        x ^= keystream;
        std::memcpy(out, &x, kWordBytes);
        keystream = 0;
    }
}

template <unsigned... K>
VEILBOX_ALWAYS_INLINE void Block(uint32_t (&S)[256], size_t base, unsigned& j, Ahead& a,
                                 uint8_t* buffer, std::integer_sequence<unsigned, K...>) {
    uint32_t* following = S + ((base + kBlock) & 0xff);
    Word keystream = 0;
    (BlockStep<K>(S, S + base, following, j, a, keystream, buffer), ...);
}

// S is the caller's local array itself, not a pointer to it: GCC then addresses S[j]
// straight off the stack frame in both the load and the store, where through a pointer
// it first computes each address into a register (a sixth slower on this path).
void CryptWide(uint32_t (&S)[256], unsigned& i, unsigned& j, uint8_t* buffer, size_t length) {
    size_t lead = (kBlock - ((i + 1) & (kBlock - 1))) & (kBlock - 1);
    if (lead > length) lead = length;
    StepEach(S, i, j, buffer, lead);
    buffer += lead;
    length -= lead;

    if (length >= kBlock) {
        size_t base = (i + 1) & 0xff;
        Ahead a{S[base], S[base + 1]};
        for (; length >= kBlock; buffer += kBlock, length -= kBlock) {
            Block(S, base, j, a, buffer, std::make_integer_sequence<unsigned, kBlock>());
            base = (base + kBlock) & 0xff;
        }
        i = unsigned(base - 1) & 0xff;
        j &= 0xff;
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
