#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "crypto/RandomGenerator.h"

namespace {

TEST(RandomGenerator, ZeroLengthReturnsWithoutSeeding) {
    RandomGenerator generator;
    uint8_t byte = 0x77;
    generator.Fill(&byte, 0);
    EXPECT_FALSE(generator.IsSeeded());
    EXPECT_EQ(byte, 0x77);
    generator.Fill(&byte, 1);
    EXPECT_TRUE(generator.IsSeeded());
}

// Salts come from consecutive calls; the shredder overwrites whole files with it.
TEST(RandomGenerator, ConsecutiveFillsDiffer) {
    uint8_t first[16] = {};
    uint8_t second[16] = {};
    FillRandom(first, sizeof(first));
    FillRandom(second, sizeof(second));
    EXPECT_NE(0, std::memcmp(first, second, sizeof(first)));
    const uint8_t zero[16] = {};
    EXPECT_NE(0, std::memcmp(first, zero, sizeof(zero)));

    // The bytes are XORed into the buffer: filling it again keeps it moving.
    std::vector<uint8_t> buffer(65536, 0);
    FillRandom(buffer.data(), buffer.size());
    size_t zeros = size_t(std::count(buffer.begin(), buffer.end(), 0));
    EXPECT_LT(zeros, 400u);  // about 256 expected from a uniform byte source
}

}  // namespace
