// The file streams' key against the computation in reference.py, an implementation of
// its own in another language.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "crypto/Rc4.h"
#include "store/StoreKey.h"
#include "support/CommandOutput.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The permutation after the key schedule and 1100 keystream bytes taken in two calls.
TEST(DeriveStoreKey, MatchesAnIndependentImplementation) {
    const auto salt = [](size_t length, uint8_t seed) { Bytes s(length); for (size_t k = 0; k < length; ++k) s[k] = uint8_t(seed + k * 29); return s; };
    const std::pair<Bytes, std::string> cases[] = {
        {salt(16, 0x11), ""}, {salt(16, 0x11), "secret"}, {salt(16, 0x11), "Secret"}, {salt(16, 0xf0), "secret"},  // "": salt bytes alone
        {salt(16, 0x00), std::string("p\0ss\xff\x80 word with spaces", 22)}, {salt(1, 0x42), "x"}, {salt(150, 0x07), "a longer password"}};
    for (const auto& [salt, password] : cases) {
        const std::string saltHex = Hex(salt.data(), salt.size()), trace = "salt " + saltHex + ", password length " + std::to_string(password.size());
        int exitCode = -1;
        std::istringstream expected(CommandOutput("/usr/bin/python3 " VEILBOX_SOURCE_DIR "/tests/crypto/reference.py " + saltHex + " '" +
                                                      Hex(reinterpret_cast<const uint8_t*>(password.data()), password.size()) + "' 1100", &exitCode));
        ASSERT_EQ(exitCode, 0) << "python3 reference did not run";
        std::string permutation, keystream;
        std::getline(expected, permutation), std::getline(expected, keystream);
        Rc4State state;
        std::memset(&state, 0xee, sizeof state);
        DeriveStoreKey(salt.data(), salt.size(), password, state);
        EXPECT_EQ(Hex(state.S, 256), permutation) << trace;
        EXPECT_TRUE(state.i == 0 && state.j == 0) << trace;
        Bytes bytes(1100, 0);
        Rc4Crypt(bytes.data(), 100, state), Rc4Crypt(bytes.data() + 100, 1000, state);
        EXPECT_EQ(Hex(bytes.data(), bytes.size()), keystream) << trace;
    }
}

}  // namespace
