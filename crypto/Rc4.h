// RC4, with the state laid out as the container's readers and writers share it:
// the permutation S in bytes 0..255, then i (byte 256) and j (byte 257). i and j live
// in the state between calls, so one keyed state enciphers a file in any number of
// pieces and the keystream is the same as for one call over the whole file.
#pragma once

#include <cstddef>
#include <cstdint>

struct Rc4State {
    uint8_t S[256];
    uint8_t i;
    uint8_t j;
};
static_assert(sizeof(Rc4State) == 258, "Rc4State is 258 bytes: S, then i, then j");

// The key schedule; leaves i = j = 0. keyLength must not be 0.
void Rc4SetKey(const uint8_t* key, size_t keyLength, Rc4State& state);
// XORs the next length keystream bytes into buffer, in place; no allocation.
// Enciphering and deciphering are the same call.
void Rc4Crypt(uint8_t* buffer, size_t length, Rc4State& state);
