#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crypto/CBlob.h"

namespace {

TEST(CBlob, SetSizeReservesAQuarterMoreAtLeastEight) {
    CBlob blob;
    ASSERT_TRUE(blob.SetSize(0));
    EXPECT_EQ(blob.Length(), 0u);
    EXPECT_EQ(blob.Capacity(), 8u);
    ASSERT_TRUE(blob.SetSize(7));
    EXPECT_EQ(blob.Capacity(), 8u);
    ASSERT_TRUE(blob.SetSize(100));
    EXPECT_EQ(blob.Length(), 100u);
    EXPECT_EQ(blob.Capacity(), 125u);
    ASSERT_TRUE(blob.SetSize(1001));
    EXPECT_EQ(blob.Capacity(), 1251u);
}

TEST(CBlob, AppendGrowsByAThirdAndKeepsContents) {
    CBlob blob;
    ASSERT_TRUE(blob.SetSize(4));  // capacity 8
    std::memcpy(blob.Data(), "abcd", 4);
    ASSERT_TRUE(blob.Append("efgh", 4));  // fits exactly
    EXPECT_EQ(blob.Capacity(), 8u);
    ASSERT_TRUE(blob.Append("ijklmn", 6));  // 14 needed: 14 + 14/3
    EXPECT_EQ(blob.Capacity(), 18u);
    EXPECT_EQ(blob.Length(), 14u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(blob.Data()), blob.Length()), "abcdefghijklmn");

    CBlob empty;
    ASSERT_TRUE(empty.Append("xy", 2));
    EXPECT_EQ(empty.Length(), 2u);
    EXPECT_GE(empty.Capacity(), 2u);
    EXPECT_EQ(std::memcmp(empty.Data(), "xy", 2), 0);
}

TEST(CBlob, AppendWithoutBytesOnlyExtends) {
    CBlob blob;
    ASSERT_TRUE(blob.Append("abc", 3));
    ASSERT_TRUE(blob.Append(nullptr, 30));
    EXPECT_EQ(blob.Length(), 33u);
    EXPECT_EQ(blob.Capacity(), 44u);
    EXPECT_EQ(std::memcmp(blob.Data(), "abc", 3), 0);
}

TEST(CBlob, ImpossibleSizesFailAndLeaveABlobThatStillWorks) {
    CBlob blob;
    ASSERT_TRUE(blob.Append("keep", 4));
    EXPECT_FALSE(blob.Append("x", SIZE_MAX - 2));
    EXPECT_EQ(blob.Length(), 4u);
    EXPECT_EQ(std::memcmp(blob.Data(), "keep", 4), 0);
    EXPECT_FALSE(blob.SetSize(SIZE_MAX / 2 + 1));
    EXPECT_EQ(blob.Length(), 0u);
    EXPECT_TRUE(blob.Append("ok", 2));
}

}  // namespace
