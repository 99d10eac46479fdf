// RC4 against its published keystream and in any pieces, the file streams' key against
// the independent computation in reference.py, and the random source built on RC4.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "crypto/RandomGenerator.h"
#include "crypto/Rc4.h"
#include "store/StoreKey.h"
#include "support/CommandOutput.h"

namespace {

using Bytes = std::vector<uint8_t>;

// data enciphered with one keyed state, fed in pieces whose lengths cycle through `cycle`.
Bytes Crypt(const Bytes& key, Bytes data, const std::vector<size_t>& cycle, Rc4State* end = nullptr) {
    Rc4State state;
    Rc4SetKey(key.data(), key.size(), state);
    for (size_t at = 0, n = 0; at < data.size(); ++n) {
        const size_t piece = std::min(cycle[n % cycle.size()], data.size() - at);
        Rc4Crypt(data.data() + at, piece, state);
        at += piece;
    }
    if (end) *end = state;
    return data;
}

// RFC 6229 keystream samples (key; offset and 16 bytes), in one call over 4112 bytes
// (the fast path for long buffers) and byte by byte (the short one).
TEST(Rc4, PublishedKeystreamInOneCallAndByteByByte) {
    const std::pair<Bytes, std::vector<std::pair<size_t, const char*>>> vectors[] = {
        {{1, 2, 3, 4, 5},
         {{0, "b2396305f03dc027ccc3524a0a1118a8"}, {16, "6982944f18fc82d589c403a47a0d0919"}, {240, "28cb1132c96ce286421dcaadb8b69eae"},
          {1520, "3294f744d8f9790507e70f62e5bbceea"}, {4080, "068326a2118416d21f9d04b2cd1ca050"}, {4096, "ff25b58995996707e51fbdf08b34d875"}}},
        {{1, 2, 3, 4, 5, 6, 7, 8},
         {{0, "97ab8a1bf0afb96132f2f67258da15a8"}, {240, "9636ebc9841926f4f7d1f362bddf6e18"}, {4080, "d5fa5a3469d29aaaf83d23589db8c85b"}}},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         {{0, "9ac7cc9a609d1ef7b2932899cde41b97"}, {16, "5248c4959014126a6e8a84f11d1a9e1c"}, {240, "065902e4b620f6cc36c8589f66432f2b"},
          {1520, "b40110c4190b5622a96116b0017ed297"}, {4080, "ff38265c1642c1abe8d3c2fe5e572bf8"}}},
        {{0x83, 0x32, 0x22, 0x77, 0x2a}, {{0, "80ad97bdc973df8a2e879e92a497efda"}, {1520, "adb89cea9a15fbe617295bd04b8ca05c"}}},
    };
    for (const auto& [key, samples] : vectors) {
        for (size_t piece : {size_t(4112), size_t(1)}) {
            const Bytes stream = Crypt(key, Bytes(4112), {piece});
            for (const auto& [offset, hex] : samples)
                EXPECT_EQ(Hex(stream.data() + offset, 16), hex) << key.size() << "-byte key, piece " << piece;
        }
    }
}

// Files are enciphered in 64 KiB chunks with one state; the keystream must not depend on
// where pieces end. Pieces of 7 take the byte path only; 1041 moves i on by one modulo
// the long path's block of 16, so its calls start and end at every offset in a block.
// With this key and length, j lands on the two entries the long path reads ahead at
// every offset, also where they wrap past S[255] to S[0].
TEST(Rc4, PiecesGiveTheSameBytesAndStateAsOneCall) {
    const Bytes key = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    Bytes plain(240000);
    for (size_t k = 0; k < plain.size(); ++k) plain[k] = uint8_t(k ^ (k >> 8));
    Rc4State one, state;
    const Bytes whole = Crypt(key, plain, {plain.size()}, &one);
    EXPECT_NE(whole, plain);
    for (const std::vector<size_t>& cycle : std::vector<std::vector<size_t>>{
             {65536}, {1024}, {7}, {1041}, {1, 7, 8, 15, 16, 17, 1023, 1024, 1025, 65536}}) {
        EXPECT_EQ(Crypt(key, plain, cycle, &state), whole) << "first piece " << cycle[0];
        EXPECT_EQ(0, std::memcmp(&state, &one, sizeof state)) << "first piece " << cycle[0];
    }
    EXPECT_EQ(Crypt(key, whole, {whole.size()}), plain) << "deciphering is the same operation";
}

// The permutation after the key schedule and 1100 keystream bytes taken in two calls.
TEST(DeriveStoreKey, MatchesAnIndependentImplementation) {
    const auto salt = [](size_t length, uint8_t seed) { Bytes s(length); for (size_t k = 0; k < length; ++k) s[k] = uint8_t(seed + k * 29); return s; };
    const std::pair<Bytes, std::string> cases[] = {
        {salt(16, 0x11), ""},  // no password: the 1364 salt bytes alone, in 99 pieces
        {salt(16, 0x11), "secret"}, {salt(16, 0x11), "Secret"}, {salt(16, 0xf0), "secret"},
        {salt(16, 0x00), std::string("p\0ss\xff\x80 word with spaces", 22)}, {salt(1, 0x42), "x"},
        {salt(150, 0x07), "a longer password of several words"},
    };
    for (const auto& [salt, password] : cases) {
        const std::string saltHex = Hex(salt.data(), salt.size());
        SCOPED_TRACE("salt " + saltHex + ", password length " + std::to_string(password.size()));
        int exitCode = -1;
        std::istringstream expected(CommandOutput("/usr/bin/python3 " VEILBOX_SOURCE_DIR "/tests/crypto/reference.py storekey " + saltHex +
                                                      " '" + Hex(reinterpret_cast<const uint8_t*>(password.data()), password.size()) + "' 1100",
                                                  &exitCode));
        ASSERT_EQ(exitCode, 0) << "python3 reference did not run";
        std::string permutation, keystream;
        std::getline(expected, permutation);
        std::getline(expected, keystream);
        Rc4State state;
        std::memset(&state, 0xee, sizeof state);
        DeriveStoreKey(salt.data(), salt.size(), password, state);
        EXPECT_EQ(Hex(state.S, 256), permutation);
        EXPECT_EQ(std::make_pair(state.i, state.j), std::make_pair(uint8_t(0), uint8_t(0)));
        Bytes bytes(1100, 0);
        Rc4Crypt(bytes.data(), 100, state);
        Rc4Crypt(bytes.data() + 100, 1000, state);
        EXPECT_EQ(Hex(bytes.data(), bytes.size()), keystream);
    }
}

// Salts come from consecutive calls; the shredder overwrites whole files with them.
TEST(RandomGenerator, FillsDifferAndAnEmptyFillTouchesNothing) {
    RandomGenerator generator;
    uint8_t byte = 0x77;
    generator.Fill(&byte, 0);
    EXPECT_FALSE(generator.IsSeeded());
    EXPECT_EQ(byte, 0x77);
    Bytes first(65536, 0), second(65536, 0);
    FillRandom(first.data(), first.size());
    FillRandom(second.data(), second.size());
    EXPECT_NE(first, second);
    EXPECT_LT(std::count(first.begin(), first.end(), 0), 400);  // about 256 from a uniform source
}

}  // namespace
