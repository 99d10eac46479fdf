// A check value of a freshly keyed cipher state, stored beside each stream so that a
// restore can tell a wrong password before it writes anything. It is a digest of a
// fixed label and the keyed permutation: equal keys give equal checks, and neither
// the key nor any keystream byte can be read back from it.
#pragma once

#include <cstdint>

#include "crypto/Rc4.h"
#include "store/StreamHeader.h"

// The state must be freshly keyed (no byte enciphered yet).
void ComputeKeyCheck(const Rc4State& state, uint8_t (&check)[StreamHeader::kKeyCheckSize]);
