#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/StoreKey.h"
#include "support/CommandOutput.h"

namespace {

struct Reference {
    std::string permutation;
    std::string keystream;
};

// Runs the independent implementation (python3 hashlib and a plain RC4) kept beside
// this file.
Reference ComputeWithPython(const std::vector<uint8_t>& salt, const std::string& password,
                            size_t keystreamLength) {
    std::string command = "/usr/bin/python3 " VEILBOX_SOURCE_DIR
                          "/tests/crypto/store_key_reference.py '" +
                          Hex(salt.data(), salt.size()) + "' '" +
                          Hex(reinterpret_cast<const uint8_t*>(password.data()), password.size()) +
                          "' " + std::to_string(keystreamLength);
    int exitCode = -1;
    const std::string output = CommandOutput(command, &exitCode);
    if (exitCode != 0) return {};
    Reference r;
    size_t first = output.find('\n');
    size_t second = output.find('\n', first + 1);
    if (second == std::string::npos) return {};
    r.permutation = output.substr(0, first);
    r.keystream = output.substr(first + 1, second - first - 1);
    return r;
}

std::vector<uint8_t> Salt(size_t length, uint8_t seed) {
    std::vector<uint8_t> salt(length);
    for (size_t k = 0; k < length; ++k) salt[k] = uint8_t(seed + k * 29);
    return salt;
}

TEST(DeriveStoreKey, MatchesAnIndependentImplementation) {
    struct Case {
        std::vector<uint8_t> salt;
        std::string password;
    };
    const Case cases[] = {
        {Salt(16, 0x11), ""},  // no password: the 1364 salt bytes alone, in 99 pieces
        {Salt(16, 0x11), "secret"},
        {Salt(16, 0x11), "Secret"},
        {Salt(16, 0xf0), "secret"},
        {Salt(16, 0x00), std::string("p\0ss\xff\x80 word with spaces", 22)},
        {Salt(1, 0x42), "x"},
        {Salt(150, 0x07), "a longer password of several words"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("salt " + Hex(c.salt.data(), c.salt.size()) + ", password length " +
                     std::to_string(c.password.size()));
        Reference expected = ComputeWithPython(c.salt, c.password, 1100);
        ASSERT_EQ(expected.keystream.size(), 2200u) << "python3 reference did not run";

        Rc4State state;
        std::memset(&state, 0xee, sizeof(state));
        DeriveStoreKey(c.salt.data(), c.salt.size(), c.password, state);
        EXPECT_EQ(Hex(state.S, 256), expected.permutation);
        EXPECT_EQ(state.i, 0);
        EXPECT_EQ(state.j, 0);

        std::vector<uint8_t> keystream(1100, 0);
        Rc4Crypt(keystream.data(), 100, state);
        Rc4Crypt(keystream.data() + 100, 1000, state);
        EXPECT_EQ(Hex(keystream.data(), keystream.size()), expected.keystream);
    }
}

}  // namespace
