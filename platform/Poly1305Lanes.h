// The vector kernel of Poly1305, for processors that have one (AVX2 on x86-64): four
// lanes of five 26-bit limbs, one lane per 64-bit word of a 256-bit register, so one
// multiply instruction serves four blocks. Lane i sums blocks i, i + 4, i + 8, ... by
// Horner's rule in r^4; at the end the lanes are multiplied by the powers of r that
// give every block the power it would have had one block at a time.
//
// The arithmetic around it (the key's powers, the carries, the final reduction) is the
// portable code's; this is only the part that needs the processor's vectors.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The multipliers of the kernel, in 26-bit limbs with one 64-bit word per lane: r^8
// and r^4 in every lane, then r^4, r^2, r^3 and r for lanes 0 to 3 (the lanes hold
// blocks 0, 2, 1 and 3 of each group of four). Each is nine vectors of four words:
// limbs 0 to 4, then limbs 1 to 4 times 5.
constexpr size_t kPoly1305LaneWords = 3 * 9 * 4;

// True when this processor runs AbsorbPoly1305Lanes.
bool HasPoly1305Lanes();

// Absorbs groups (at least one) of four 16-byte blocks into h, given in five 26-bit
// limbs (each below 2^26 + 2^11). Leaves the five limb sums of the result, not yet
// carried (each below 2^62), in d. Only to be called when HasPoly1305Lanes().
void AbsorbPoly1305Lanes(const uint8_t* blocks, size_t groups, uint32_t padBit,
                         const uint64_t* multipliers, const uint32_t (&h)[5], uint64_t (&d)[5]);

}  // namespace platform
