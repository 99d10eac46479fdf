#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/Md5.h"
#include "support/CommandOutput.h"

namespace {

std::string DigestOf(const std::string& text) {
    Md5 md5;
    md5.Update(text.data(), text.size());
    uint8_t digest[Md5::kDigestSize];
    md5.Final(digest);
    return Hex(digest, sizeof(digest));
}

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, RfcTestSuite) {
    EXPECT_EQ(DigestOf(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestOf("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(DigestOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(DigestOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(DigestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(DigestOf("1234567890123456789012345678901234567890"
                       "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

// Ranges that straddle the 64-byte block and the 56-byte padding boundary, and empty
// ranges anywhere, give the digest of the whole message at once.
TEST(Md5, PiecesGiveTheSameDigestAsOneRange) {
    std::vector<uint8_t> message(300);
    for (size_t k = 0; k < message.size(); ++k) message[k] = uint8_t(k * 7 + 3);

    for (size_t total : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
        Md5 whole;
        whole.Update(message.data(), total);
        uint8_t expected[Md5::kDigestSize];
        whole.Final(expected);

        for (size_t piece : {1u, 3u, 17u, 55u, 64u, 100u}) {
            Md5 pieces;
            pieces.Update(message.data(), 0);
            for (size_t at = 0; at < total; at += piece) {
                pieces.Update(message.data() + at, std::min(piece, total - at));
                pieces.Update(nullptr, 0);
            }
            uint8_t digest[Md5::kDigestSize];
            pieces.Final(digest);
            EXPECT_EQ(Hex(digest, 16), Hex(expected, 16)) << "total " << total << " piece " << piece;
        }
    }
}

}  // namespace
