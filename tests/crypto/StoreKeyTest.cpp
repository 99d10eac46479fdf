#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "store/StoreKey.h"
#include "support/CommandOutput.h"

namespace {

std::vector<uint8_t> Salt(size_t length, uint8_t seed) {
    std::vector<uint8_t> salt(length);
    for (size_t k = 0; k < length; ++k) salt[k] = uint8_t(seed + k * 29);
    return salt;
}

// Against the independent implementation beside this file (python3 hashlib and a plain
// RC4): the permutation after the key schedule and 1100 keystream bytes taken in two calls.
TEST(DeriveStoreKey, MatchesAnIndependentImplementation) {
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {Salt(16, 0x11), ""},  // no password: the 1364 salt bytes alone, in 99 pieces
        {Salt(16, 0x11), "secret"},
        {Salt(16, 0x11), "Secret"},
        {Salt(16, 0xf0), "secret"},
        {Salt(16, 0x00), std::string("p\0ss\xff\x80 word with spaces", 22)},
        {Salt(1, 0x42), "x"},
        {Salt(150, 0x07), "a longer password of several words"},
    };
    for (const auto& [salt, password] : cases) {
        const std::string saltHex = Hex(salt.data(), salt.size());
        SCOPED_TRACE("salt " + saltHex + ", password length " + std::to_string(password.size()));
        int exitCode = -1;
        std::istringstream expected(CommandOutput(
            "/usr/bin/python3 " VEILBOX_SOURCE_DIR "/tests/crypto/store_key_reference.py '" + saltHex + "' '" +
                Hex(reinterpret_cast<const uint8_t*>(password.data()), password.size()) + "' 1100",
            &exitCode));
        ASSERT_EQ(exitCode, 0) << "python3 reference did not run";
        std::string permutation, keystream;
        std::getline(expected, permutation);
        std::getline(expected, keystream);

        Rc4State state;
        std::memset(&state, 0xee, sizeof state);
        DeriveStoreKey(salt.data(), salt.size(), password, state);
        EXPECT_EQ(Hex(state.S, 256), permutation);
        EXPECT_EQ(state.i, 0);
        EXPECT_EQ(state.j, 0);
        std::vector<uint8_t> bytes(1100, 0);
        Rc4Crypt(bytes.data(), 100, state);
        Rc4Crypt(bytes.data() + 100, 1000, state);
        EXPECT_EQ(Hex(bytes.data(), bytes.size()), keystream);
    }
}

}  // namespace
