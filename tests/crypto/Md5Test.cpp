#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/Md5.h"
#include "support/CommandOutput.h"

namespace {

std::string DigestOf(const uint8_t* bytes, size_t size, size_t piece) {
    Md5 md5;
    for (size_t at = 0; at < size; at += piece) {
        md5.Update(bytes + at, std::min(piece, size - at));
        md5.Update(nullptr, 0);
    }
    uint8_t digest[Md5::kDigestSize];
    md5.Final(digest);
    return Hex(digest, sizeof digest);
}

// RFC 1321, appendix A.5, fed whole and in pieces that straddle the 64-byte block and
// the 56-byte padding boundary.
TEST(Md5, RfcTestSuiteInAnyPieces) {
    const std::string digit10 = "1234567890";
    const std::pair<std::string, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {digit10 + digit10 + digit10 + digit10 + digit10 + digit10 + digit10 + digit10,
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : vectors) {
        for (size_t piece : {size_t(1000), size_t(1), size_t(3), size_t(55), size_t(64)}) {
            EXPECT_EQ(DigestOf(reinterpret_cast<const uint8_t*>(text.data()), text.size(), piece), digest)
                << text.size() << " bytes in pieces of " << piece;
        }
    }
    std::vector<uint8_t> message(300);
    for (size_t k = 0; k < message.size(); ++k) message[k] = uint8_t(k * 7 + 3);
    for (size_t total : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 300u})
        for (size_t piece : {1u, 17u, 55u, 100u})
            EXPECT_EQ(DigestOf(message.data(), total, piece), DigestOf(message.data(), total, total + 1));
}

}  // namespace
