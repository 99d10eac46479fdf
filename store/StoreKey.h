// The key of one enciphered file stream: never stored, derived afresh from the
// stream's salt (kept in the clear in its header) and the program password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/Rc4.h"

// MD5 over 99 rounds of (the first saltLength mod round bytes of the salt, then every
// password byte), rounds numbered from 1; the digest keys state and is then wiped.
// The remainder is of the salt length by the round number: with a 16-byte salt the
// first 16 rounds hash 0, 0, 1, 0, 1, 4, 2, 0, 7, 6, 5, 4, 3, 2, 1, 0 salt bytes.
void DeriveStoreKey(const uint8_t* salt, size_t saltLength, const std::string& password,
                    Rc4State& state);
