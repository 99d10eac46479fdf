#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "crypto/Poly1305.h"
#include "support/CommandOutput.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (size_t k = 0; k + 1 < hex.size(); k += 2) {
        bytes.push_back(uint8_t(std::stoi(hex.substr(k, 2), nullptr, 16)));
    }
    return bytes;
}

Bytes FromText(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }

// The tag of message under key, fed to Update in pieces of the given sizes (cycled).
std::string Tag(const Bytes& key, const Bytes& message, const std::vector<size_t>& pieces = {}) {
    uint8_t k[Poly1305::kKeySize];
    std::copy(key.begin(), key.end(), k);
    Poly1305 poly(k);
    size_t done = 0;
    for (size_t n = 0; done < message.size(); ++n) {
        const size_t size =
            pieces.empty() ? message.size() : std::min(pieces[n % pieces.size()], message.size() - done);
        poly.Update(message.data() + done, size);
        done += size;
    }
    uint8_t tag[Poly1305::kTagSize];
    poly.Final(tag);
    return Hex(tag, sizeof tag);
}

const char kIetfText[] =
    "Any submission to the IETF intended by the Contributor for publication as all or part "
    "of an IETF Internet-Draft or RFC and any statement made within the context of an IETF "
    "activity is considered an \"IETF Contribution\". Such statements include oral statements "
    "in IETF sessions, as well as written and electronic communications made at any time or "
    "place, which are addressed to";

// RFC 8439: the example of section 2.5.2 and the vectors of appendix A.3; the last six
// land h next to p or 2^128 and catch a final reduction or carry that is left out.
TEST(Poly1305, RfcVectors) {
    struct Vector {
        const char* key;
        Bytes message;
        const char* tag;
    };
    const Vector vectors[] = {
        {"85d6be7857556d337f4452fe42d506a80103808afb0db2fd4abff6af4149f51b",
         FromText("Cryptographic Forum Research Group"), "a8061dc1305136c6c22b8baf0c0127a9"},
        {"0000000000000000000000000000000000000000000000000000000000000000", Bytes(64, 0),
         "00000000000000000000000000000000"},
        {"0000000000000000000000000000000036e5f6b5c5e06070f0efca96227a863e", FromText(kIetfText),
         "36e5f6b5c5e06070f0efca96227a863e"},
        {"36e5f6b5c5e06070f0efca96227a863e00000000000000000000000000000000", FromText(kIetfText),
         "f3477e7cd95417af89a6b8794c310cf0"},
        {"1c9240a5eb55d38af333888604f6b5f0473917c1402b80099dca5cbc207075c0",
         FromText("'Twas brillig, and the slithy toves\nDid gyre and gimble in the wabe:\nAll mimsy "
                  "were the borogoves,\nAnd the mome raths outgrabe."),
         "4541669a7eaaee61e708dc7cbcc5eb62"},
        {"0200000000000000000000000000000000000000000000000000000000000000",
         FromHex("ffffffffffffffffffffffffffffffff"), "03000000000000000000000000000000"},
        {"02000000000000000000000000000000ffffffffffffffffffffffffffffffff",
         FromHex("02000000000000000000000000000000"), "03000000000000000000000000000000"},
        {"0100000000000000000000000000000000000000000000000000000000000000",
         FromHex("ffffffffffffffffffffffffffffffff" "f0ffffffffffffffffffffffffffffff"
                 "11000000000000000000000000000000"),
         "05000000000000000000000000000000"},
        {"0100000000000000000000000000000000000000000000000000000000000000",
         FromHex("ffffffffffffffffffffffffffffffff" "fbfefefefefefefefefefefefefefefe"
                 "01010101010101010101010101010101"),
         "00000000000000000000000000000000"},
        {"0200000000000000000000000000000000000000000000000000000000000000",
         FromHex("fdffffffffffffffffffffffffffffff"), "faffffffffffffffffffffffffffffff"},
        {"0100000000000000040000000000000000000000000000000000000000000000",
         FromHex("e33594d7505e43b900000000000000003394d7505e4379cd0100000000000000"
                 "0000000000000000000000000000000001000000000000000000000000000000"),
         "14000000000000005500000000000000"},
        {"0100000000000000040000000000000000000000000000000000000000000000",
         FromHex("e33594d7505e43b900000000000000003394d7505e4379cd0100000000000000"
                 "00000000000000000000000000000000"),
         "13000000000000000000000000000000"},
    };
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.key);
        EXPECT_EQ(Tag(FromHex(v.key), v.message), v.tag);
    }
}

Bytes Random(std::mt19937& random, size_t size) {
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = uint8_t(random());
    return bytes;
}

// Random keys and messages of every length class (around 256 bytes, where long runs
// start to go through the vector lanes, with an even and an odd number of four-block
// groups), and the largest sum per block (r and the message all ones, s all ones),
// against the plain-integer computation beside this file, whole and in pieces.
TEST(Poly1305, MatchesAnIndependentImplementation) {
    std::mt19937 random(8439);
    std::vector<std::pair<Bytes, Bytes>> cases;
    for (size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 127, 255, 256, 335, 1000, 4096, 65536 + 31,
                        100 * 1024}) {
        cases.emplace_back(Random(random, Poly1305::kKeySize), Random(random, size));
    }
    for (size_t size : {16, 64, 100 * 1024}) cases.emplace_back(Bytes(32, 0xff), Bytes(size, 0xff));

    TempDir dir;
    std::ostringstream input;
    for (const auto& c : cases) {
        input << Hex(c.first.data(), c.first.size()) << ' ' << Hex(c.second.data(), c.second.size())
              << '\n';
    }
    WriteWholeFile(dir.file("cases"), input.str());
    int exitCode = -1;
    std::istringstream expected(CommandOutput("/usr/bin/python3 " VEILBOX_SOURCE_DIR
                                              "/tests/crypto/poly1305_reference.py " +
                                                  dir.file("cases"),
                                              &exitCode));
    ASSERT_EQ(exitCode, 0) << "python3 reference did not run";
    for (const auto& c : cases) {
        std::string tag;
        std::getline(expected, tag);
        EXPECT_EQ(Tag(c.first, c.second), tag) << "message of " << c.second.size() << " bytes";
    }
    // Any split of the message gives the same tag.
    const auto& [key, message] = cases[cases.size() - 4];
    const std::vector<size_t> splits[] = {{1}, {15}, {17}, {0, 1, 15, 16, 17, 4099}, {3, 64, 0, 100, 7, 65536}, {63, 1}};
    for (const std::vector<size_t>& pieces : splits)
        EXPECT_EQ(Tag(key, message, pieces), Tag(key, message)) << "first piece " << pieces[0];
}

}  // namespace
