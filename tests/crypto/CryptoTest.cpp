// Known answers for the digests and the cipher, whole and in pieces across block and
// padding edges. The file streams' key is checked against reference.py beside it in
// ReferenceTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "crypto/Md5.h"
#include "crypto/Poly1305.h"
#include "crypto/Rc4.h"
#include "store/StoreKey.h"
#include "support/Hex.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Pieces = std::vector<size_t>;  // piece sizes, cycled; empty: one call

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (size_t k = 0; k + 1 < hex.size(); k += 2) bytes.push_back(uint8_t(std::stoi(hex.substr(k, 2), nullptr, 16)));
    return bytes;
}
Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Calls step(at, size) over message split into pieces.
template <typename Step>
void Split(size_t size, const Pieces& pieces, Step step) {
    for (size_t at = 0, n = 0; at < size; ++n) {
        const size_t piece = pieces.empty() ? size : std::min(pieces[n % pieces.size()], size - at);
        step(at, piece);
        at += piece;
    }
}
// A digest of message fed in pieces, with an empty update between them, in hex.
template <typename Digest>
std::string Feed(Digest&& digest, const Bytes& message, const Pieces& pieces) {
    Split(message.size(), pieces, [&](size_t at, size_t size) { digest.Update(message.data() + at, size), digest.Update(message.data(), 0); });
    uint8_t out[16];
    digest.Final(out);
    return Hex(out, sizeof out);
}
std::string Tag(const Bytes& key, const Bytes& message, const Pieces& pieces = {}) {
    uint8_t k[Poly1305::kKeySize];
    std::copy(key.begin(), key.end(), k);
    return Feed(Poly1305(k), message, pieces);
}
Bytes Crypt(const Bytes& key, Bytes data, const Pieces& pieces, Rc4State* end = nullptr) {
    Rc4State state;
    Rc4SetKey(key.data(), key.size(), state);
    Split(data.size(), pieces, [&](size_t at, size_t size) { Rc4Crypt(data.data() + at, size, state); });
    if (end) *end = state;
    return data;
}

// RFC 1321 appendix A.5, and lengths next to the 56-byte padding and 64-byte block edges.
TEST(Md5, KnownAnswersInAnyPieces) {
    const std::string digits = "1234567890";
    const std::pair<std::string, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"}, {"a", "0cc175b9c0f1b6a831c399e269772661"}, {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"}, {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {digits + digits + digits + digits + digits + digits + digits + digits, "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"}, {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"}, {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(119, 'a'), "8a7bd0732ed6a28ce75f6dabc90e1613"}, {std::string(120, 'a'), "5f61c0ccad4cac44c75ff505e1f1e537"}};
    for (const auto& [text, digest] : vectors)
        for (const Pieces& pieces : {Pieces{}, Pieces{1}, Pieces{3}, Pieces{55}, Pieces{64}, Pieces{17, 100}})
            EXPECT_EQ(Feed(Md5(), FromText(text), pieces), digest) << text.size() << " bytes in pieces of " << (pieces.empty() ? 0 : pieces[0]);
}

// RFC 8439: the example of section 2.5.2 and the vectors of appendix A.3; the last six
// land h next to p or 2^128 and catch a final reduction or carry that is left out.
TEST(Poly1305, KnownAnswers) {
    const Bytes ietf = FromText(
        "Any submission to the IETF intended by the Contributor for publication as all or part of an IETF Internet-Draft or RFC and any "
        "statement made within the context of an IETF activity is considered an \"IETF Contribution\". Such statements include oral "
        "statements in IETF sessions, as well as written and electronic communications made at any time or place, which are addressed to");
    const std::string zero(64, '0'), ones(32, 'f');
    const std::tuple<std::string, Bytes, const char*> vectors[] = {
        {"85d6be7857556d337f4452fe42d506a80103808afb0db2fd4abff6af4149f51b", FromText("Cryptographic Forum Research Group"), "a8061dc1305136c6c22b8baf0c0127a9"},
        {zero, Bytes(64, 0), "00000000000000000000000000000000"},
        {zero.substr(32) + "36e5f6b5c5e06070f0efca96227a863e", ietf, "36e5f6b5c5e06070f0efca96227a863e"},
        {"36e5f6b5c5e06070f0efca96227a863e" + zero.substr(32), ietf, "f3477e7cd95417af89a6b8794c310cf0"},
        {"1c9240a5eb55d38af333888604f6b5f0473917c1402b80099dca5cbc207075c0",
         FromText("'Twas brillig, and the slithy toves\nDid gyre and gimble in the wabe:\nAll mimsy were the borogoves,\nAnd the mome raths outgrabe."),
         "4541669a7eaaee61e708dc7cbcc5eb62"},
        {"02" + zero.substr(2), FromHex(ones), "03000000000000000000000000000000"},
        {"02" + zero.substr(34) + ones, FromHex("02000000000000000000000000000000"), "03000000000000000000000000000000"},
        {"01" + zero.substr(2), FromHex(ones + "f0ffffffffffffffffffffffffffffff11000000000000000000000000000000"), "05000000000000000000000000000000"},
        {"01" + zero.substr(2), FromHex(ones + "fbfefefefefefefefefefefefefefefe01010101010101010101010101010101"), "00000000000000000000000000000000"},
        {"02" + zero.substr(2), FromHex("fdffffffffffffffffffffffffffffff"), "faffffffffffffffffffffffffffffff"},
        {"0100000000000000040000000000000000000000000000000000000000000000",
         FromHex("e33594d7505e43b900000000000000003394d7505e4379cd0100000000000000000000000000000000000000000000000100000000000000"
                 "0000000000000000"), "14000000000000005500000000000000"},
        {"0100000000000000040000000000000000000000000000000000000000000000",
         FromHex("e33594d7505e43b900000000000000003394d7505e4379cd010000000000000000000000000000000000000000000000"),
         "13000000000000000000000000000000"}};
    for (const auto& [key, message, tag] : vectors) EXPECT_EQ(Tag(FromHex(key), message), tag) << key;
}

// Long runs go through vector lanes, one-block pieces never do: lengths around 256 bytes,
// even and odd numbers of four-block groups and the largest sums agree either way.
TEST(Poly1305, LongRunsAgreeWithBlockByBlockInAnyPieces) {
    std::mt19937 random(8439);
    Bytes key(Poly1305::kKeySize), message(100 * 1024);
    for (uint8_t& b : key) b = uint8_t(random());
    for (uint8_t& b : message) b = uint8_t(random());
    for (size_t size : {64, 255, 256, 335, 1000, 4096, 65536 + 31, 100 * 1024}) {
        const Bytes part(message.begin(), message.begin() + size);
        EXPECT_EQ(Tag(key, part), Tag(key, part, {16})) << size;
        EXPECT_EQ(Tag(Bytes(32, 0xff), Bytes(size, 0xff)), Tag(Bytes(32, 0xff), Bytes(size, 0xff), {16})) << size;
    }
    for (const Pieces& pieces : {Pieces{1}, Pieces{15}, Pieces{17}, Pieces{0, 1, 15, 16, 17, 4099}, Pieces{3, 64, 0, 100, 7, 65536}})
        EXPECT_EQ(Tag(key, message, pieces), Tag(key, message)) << "first piece " << pieces[0];
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
        {{0x83, 0x32, 0x22, 0x77, 0x2a}, {{0, "80ad97bdc973df8a2e879e92a497efda"}, {1520, "adb89cea9a15fbe617295bd04b8ca05c"}}}};
    for (const auto& [key, samples] : vectors)
        for (size_t piece : {4112, 1})
            for (const auto& [offset, hex] : samples)
                EXPECT_EQ(Hex(Crypt(key, Bytes(4112), {piece}).data() + offset, 16), hex) << key.size() << "-byte key, piece " << piece;
}

// Files are enciphered in 64 KiB chunks with one state. Pieces of 7 take the byte path
// only; 1041 starts and ends the long path's calls at every offset in its 16-byte block;
// with this key and length j lands on the entries it reads ahead, also past S[255].
TEST(Rc4, PiecesGiveTheSameBytesAndStateAsOneCall) {
    const Bytes key = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    Bytes plain(240000);
    for (size_t k = 0; k < plain.size(); ++k) plain[k] = uint8_t(k ^ (k >> 8));
    Rc4State one, state;
    const Bytes whole = Crypt(key, plain, {}, &one);
    for (const Pieces& pieces : {Pieces{65536}, Pieces{1024}, Pieces{7}, Pieces{1041}, Pieces{1, 7, 8, 15, 16, 17, 1023, 1024, 1025, 65536}}) {
        EXPECT_EQ(Crypt(key, plain, pieces, &state), whole) << "first piece " << pieces[0];
        EXPECT_EQ(0, std::memcmp(&state, &one, sizeof state)) << "first piece " << pieces[0];
    }
    EXPECT_EQ(Crypt(key, whole, {}), plain) << "deciphering is the same operation";
}

}  // namespace
