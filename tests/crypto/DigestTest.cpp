// Known answers for both digests, fed whole and in pieces that straddle their block and
// padding boundaries, and Poly1305 against the plain-integer computation in reference.py.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "crypto/Md5.h"
#include "crypto/Poly1305.h"
#include "support/CommandOutput.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (size_t k = 0; k + 1 < hex.size(); k += 2) bytes.push_back(uint8_t(std::stoi(hex.substr(k, 2), nullptr, 16)));
    return bytes;
}
Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Feeds message to a fresh digest in pieces whose sizes cycle through `pieces` (empty:
// in one call), with an empty update between pieces; the result in hex.
template <typename Digest>
std::string Feed(Digest&& digest, const Bytes& message, const std::vector<size_t>& pieces) {
    for (size_t at = 0, n = 0; at < message.size(); ++n) {
        const size_t size = pieces.empty() ? message.size() : std::min(pieces[n % pieces.size()], message.size() - at);
        digest.Update(message.data() + at, size);
        digest.Update(message.data(), 0);
        at += size;
    }
    uint8_t out[16];
    digest.Final(out);
    return Hex(out, sizeof out);
}
std::string Tag(const Bytes& key, const Bytes& message, const std::vector<size_t>& pieces = {}) {
    uint8_t k[Poly1305::kKeySize];
    std::copy(key.begin(), key.end(), k);
    return Feed(Poly1305(k), message, pieces);
}

// RFC 1321 appendix A.5, and lengths next to the 56-byte padding and 64-byte block edges.
TEST(Md5, KnownAnswersInAnyPieces) {
    const std::string digits = "1234567890";
    const std::pair<std::string, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"}, {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"}, {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {digits + digits + digits + digits + digits + digits + digits + digits, "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"}, {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"}, {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(119, 'a'), "8a7bd0732ed6a28ce75f6dabc90e1613"}, {std::string(120, 'a'), "5f61c0ccad4cac44c75ff505e1f1e537"},
    };
    for (const auto& [text, digest] : vectors)
        for (const std::vector<size_t>& pieces : std::vector<std::vector<size_t>>{{}, {1}, {3}, {55}, {64}, {17, 100}})
            EXPECT_EQ(Feed(Md5(), FromText(text), pieces), digest) << text.size() << " bytes, first piece " << (pieces.empty() ? 0 : pieces[0]);
}

const char kIetfText[] =
    "Any submission to the IETF intended by the Contributor for publication as all or part of an IETF Internet-Draft or "
    "RFC and any statement made within the context of an IETF activity is considered an \"IETF Contribution\". Such "
    "statements include oral statements in IETF sessions, as well as written and electronic communications made at any "
    "time or place, which are addressed to";

// RFC 8439: the example of section 2.5.2 and the vectors of appendix A.3; the last six
// land h next to p or 2^128 and catch a final reduction or carry that is left out.
TEST(Poly1305, KnownAnswers) {
    const std::tuple<const char*, Bytes, const char*> vectors[] = {
        {"85d6be7857556d337f4452fe42d506a80103808afb0db2fd4abff6af4149f51b", FromText("Cryptographic Forum Research Group"), "a8061dc1305136c6c22b8baf0c0127a9"},
        {"0000000000000000000000000000000000000000000000000000000000000000", Bytes(64, 0), "00000000000000000000000000000000"},
        {"0000000000000000000000000000000036e5f6b5c5e06070f0efca96227a863e", FromText(kIetfText), "36e5f6b5c5e06070f0efca96227a863e"},
        {"36e5f6b5c5e06070f0efca96227a863e00000000000000000000000000000000", FromText(kIetfText), "f3477e7cd95417af89a6b8794c310cf0"},
        {"1c9240a5eb55d38af333888604f6b5f0473917c1402b80099dca5cbc207075c0",
         FromText("'Twas brillig, and the slithy toves\nDid gyre and gimble in the wabe:\nAll mimsy were the borogoves,\nAnd the mome raths outgrabe."),
         "4541669a7eaaee61e708dc7cbcc5eb62"},
        {"0200000000000000000000000000000000000000000000000000000000000000", FromHex("ffffffffffffffffffffffffffffffff"), "03000000000000000000000000000000"},
        {"02000000000000000000000000000000ffffffffffffffffffffffffffffffff", FromHex("02000000000000000000000000000000"), "03000000000000000000000000000000"},
        {"0100000000000000000000000000000000000000000000000000000000000000",
         FromHex("fffffffffffffffffffffffffffffffff0ffffffffffffffffffffffffffffff11000000000000000000000000000000"), "05000000000000000000000000000000"},
        {"0100000000000000000000000000000000000000000000000000000000000000",
         FromHex("fffffffffffffffffffffffffffffffffbfefefefefefefefefefefefefefefe01010101010101010101010101010101"), "00000000000000000000000000000000"},
        {"0200000000000000000000000000000000000000000000000000000000000000", FromHex("fdffffffffffffffffffffffffffffff"), "faffffffffffffffffffffffffffffff"},
        {"0100000000000000040000000000000000000000000000000000000000000000",
         FromHex("e33594d7505e43b900000000000000003394d7505e4379cd010000000000000000000000000000000000000000000000"
                 "01000000000000000000000000000000"), "14000000000000005500000000000000"},
        {"0100000000000000040000000000000000000000000000000000000000000000",
         FromHex("e33594d7505e43b900000000000000003394d7505e4379cd010000000000000000000000000000000000000000000000"),
         "13000000000000000000000000000000"},
    };
    for (const auto& [key, message, tag] : vectors) EXPECT_EQ(Tag(FromHex(key), message), tag) << key;
}

// Random keys and messages of every length class (around 256 bytes, where long runs go
// through the vector lanes, with an even and an odd number of four-block groups), and
// the largest sum per block (everything all ones), whole and in any split.
TEST(Poly1305, MatchesAnIndependentImplementationInAnyPieces) {
    std::mt19937 random(8439);
    const auto randomBytes = [&](size_t size) { Bytes b(size); for (uint8_t& x : b) x = uint8_t(random()); return b; };
    std::vector<std::pair<Bytes, Bytes>> cases;
    for (size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 127, 255, 256, 335, 1000, 4096, 65536 + 31, 100 * 1024})
        cases.emplace_back(randomBytes(Poly1305::kKeySize), randomBytes(size));
    for (size_t size : {16, 64, 100 * 1024}) cases.emplace_back(Bytes(32, 0xff), Bytes(size, 0xff));
    TempDir dir;
    std::ostringstream input;
    for (const auto& [key, message] : cases) input << Hex(key.data(), key.size()) << ' ' << Hex(message.data(), message.size()) << '\n';
    WriteWholeFile(dir.file("cases"), input.str());
    int exitCode = -1;
    std::istringstream expected(CommandOutput("/usr/bin/python3 " VEILBOX_SOURCE_DIR "/tests/crypto/reference.py poly1305 " + dir.file("cases"), &exitCode));
    ASSERT_EQ(exitCode, 0) << "python3 reference did not run";
    const std::vector<std::vector<size_t>> splits = {{}, {1}, {15}, {17}, {0, 1, 15, 16, 17, 4099}, {3, 64, 0, 100, 7, 65536}, {63, 1}};
    for (const auto& [key, message] : cases) {
        std::string tag;
        std::getline(expected, tag);
        for (const auto& pieces : message.size() == 100 * 1024 ? splits : std::vector<std::vector<size_t>>{{}})
            EXPECT_EQ(Tag(key, message, pieces), tag) << message.size() << " bytes in " << pieces.size() << " piece sizes";
    }
}

}  // namespace
