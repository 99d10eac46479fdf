#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "crypto/Rc4.h"
#include "support/CommandOutput.h"

namespace {

// Keystream samples of RFC 6229 (keystream = encryption of zero bytes): key, then
// offset and 16 bytes in hex.
const struct {
    std::vector<uint8_t> key;
    std::vector<std::pair<size_t, const char*>> samples;
} kVectors[] = {
    {{1, 2, 3, 4, 5},
     {{0, "b2396305f03dc027ccc3524a0a1118a8"}, {16, "6982944f18fc82d589c403a47a0d0919"},
      {240, "28cb1132c96ce286421dcaadb8b69eae"}, {1520, "3294f744d8f9790507e70f62e5bbceea"},
      {4080, "068326a2118416d21f9d04b2cd1ca050"}, {4096, "ff25b58995996707e51fbdf08b34d875"}}},
    {{1, 2, 3, 4, 5, 6, 7, 8},
     {{0, "97ab8a1bf0afb96132f2f67258da15a8"}, {240, "9636ebc9841926f4f7d1f362bddf6e18"},
      {4080, "d5fa5a3469d29aaaf83d23589db8c85b"}}},
    {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
     {{0, "9ac7cc9a609d1ef7b2932899cde41b97"}, {16, "5248c4959014126a6e8a84f11d1a9e1c"},
      {240, "065902e4b620f6cc36c8589f66432f2b"}, {1520, "b40110c4190b5622a96116b0017ed297"},
      {4080, "ff38265c1642c1abe8d3c2fe5e572bf8"}}},
    {{0x83, 0x32, 0x22, 0x77, 0x2a},
     {{0, "80ad97bdc973df8a2e879e92a497efda"}, {1520, "adb89cea9a15fbe617295bd04b8ca05c"}}},
};

// data enciphered in one state, fed in pieces whose lengths cycle through `cycle`.
std::vector<uint8_t> Crypt(const uint8_t* key, size_t keySize, std::vector<uint8_t> data,
                           const std::vector<size_t>& cycle, Rc4State* end = nullptr) {
    Rc4State state;
    Rc4SetKey(key, keySize, state);
    for (size_t at = 0, n = 0; at < data.size(); ++n) {
        const size_t piece = std::min(cycle[n % cycle.size()], data.size() - at);
        Rc4Crypt(data.data() + at, piece, state);
        at += piece;
    }
    if (end) *end = state;
    return data;
}

// One call over 4112 bytes goes through the fast path for long buffers; byte by byte
// goes through the short one. Both must produce the published keystream.
TEST(Rc4, PublishedKeystreamInOneCallAndByteByByte) {
    for (const auto& v : kVectors) {
        for (size_t piece : {size_t(4112), size_t(1)}) {
            const std::vector<uint8_t> stream = Crypt(v.key.data(), v.key.size(), std::vector<uint8_t>(4112), {piece});
            for (const auto& [offset, hex] : v.samples)
                EXPECT_EQ(Hex(stream.data() + offset, 16), hex) << v.key.size() << "-byte key, piece " << piece;
        }
    }
}

// The workflows encipher a file in 64 KiB chunks with one state; the keystream must not
// depend on where the pieces end. Pieces of 7 take the byte path only; 1041 bytes move i
// on by one modulo the long path's block of 16, so its calls start and end at every
// offset in a block. The length of the whole is chosen so that, with this key, j lands
// on the two entries the long path reads ahead at every offset, also where they wrap
// past S[255] to S[0].
TEST(Rc4, PiecesGiveTheSameBytesAndStateAsOneCall) {
    const uint8_t key[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe,
                             0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    std::vector<uint8_t> plain(240000);
    for (size_t k = 0; k < plain.size(); ++k) plain[k] = uint8_t(k ^ (k >> 8));
    Rc4State one, state;
    const std::vector<uint8_t> whole = Crypt(key, 16, plain, {plain.size()}, &one);
    EXPECT_NE(whole, plain);
    for (const std::vector<size_t>& cycle : std::vector<std::vector<size_t>>{
             {65536}, {1024}, {7}, {1041}, {1, 7, 8, 15, 16, 17, 1023, 1024, 1025, 65536}}) {
        EXPECT_EQ(Crypt(key, 16, plain, cycle, &state), whole) << "first piece " << cycle[0];
        EXPECT_EQ(0, std::memcmp(&state, &one, sizeof state)) << "first piece " << cycle[0];
    }
    EXPECT_EQ(Crypt(key, 16, whole, {whole.size()}), plain) << "deciphering is the same operation";
}

}  // namespace
