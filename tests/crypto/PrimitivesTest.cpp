// The small building blocks below the ciphers: the growable buffer and the random source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "crypto/CBlob.h"
#include "crypto/RandomGenerator.h"

TEST(CBlob, GrowthKeepsContentsAndImpossibleSizesFailHarmlessly) {
    CBlob blob;
    ASSERT_TRUE(blob.Append("keep", 4));
    ASSERT_TRUE(blob.Append(nullptr, 3000));  // no bytes: only extends
    EXPECT_EQ(blob.Length(), 3004u);
    EXPECT_EQ(std::memcmp(blob.Data(), "keep", 4), 0);
    EXPECT_FALSE(blob.Append("x", SIZE_MAX - 2));
    EXPECT_EQ(blob.Length(), 3004u);
    EXPECT_EQ(std::memcmp(blob.Data(), "keep", 4), 0);
    EXPECT_FALSE(blob.SetSize(SIZE_MAX / 2 + 1));
    EXPECT_TRUE(blob.Append("ok", 2));
}

// Salts come from consecutive calls; the shredder overwrites whole files with them.
TEST(RandomGenerator, FillsDifferAndAnEmptyFillTouchesNothing) {
    RandomGenerator generator;
    uint8_t byte = 0x77;
    generator.Fill(&byte, 0);
    EXPECT_FALSE(generator.IsSeeded());
    EXPECT_EQ(byte, 0x77);

    std::vector<uint8_t> first(65536, 0), second(65536, 0);
    FillRandom(first.data(), first.size());
    FillRandom(second.data(), second.size());
    EXPECT_NE(first, second);
    EXPECT_LT(std::count(first.begin(), first.end(), 0), 400);  // about 256 from a uniform source
}
