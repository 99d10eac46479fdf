#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "platform/Shell.h"

namespace {

std::string SourceFile(const std::string& relative) {
    return ReadWholeFile(std::string(VEILBOX_SOURCE_DIR) + "/tests/shell/resources/" + relative);
}

std::string Bytes(const platform::Resource& resource) {
    return std::string(reinterpret_cast<const char*>(resource.data), resource.size);
}

}  // namespace

TEST(Resources, PagesAreFoundByFileNameInAnyCase) {
    platform::Resource page = platform::FindResource("HTML", "index.htm");
    ASSERT_TRUE(page);
    EXPECT_EQ(Bytes(page), SourceFile("html/index.htm"));
    // Texts can be used as C strings.
    EXPECT_EQ(page.data[page.size], 0);

    platform::Resource other = platform::FindResource("html", "INDEX.Htm");
    EXPECT_EQ(other.data, page.data);

    platform::Resource image = platform::FindResource("HTML", "img/dot.gif");
    ASSERT_TRUE(image);
    EXPECT_EQ(Bytes(image), SourceFile("html/img/dot.gif"));
}

TEST(Resources, NumberedItemsAreFoundByNumberAndType) {
    platform::Resource bitmap = platform::FindResource("BITMAP", 141);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Bytes(bitmap), SourceFile("bitmap/141.bin"));
    EXPECT_EQ(platform::FindResource("BITMAP", "141.bin").data, bitmap.data);

    platform::Resource first = platform::FindResource("ICON", 10001);
    platform::Resource last = platform::FindResource("icon", 20007);
    ASSERT_TRUE(first);
    ASSERT_TRUE(last);
    EXPECT_EQ(Bytes(first), SourceFile("icon/10001.txt"));
    EXPECT_EQ(Bytes(last), SourceFile("icon/20007.txt"));
    EXPECT_EQ(Bytes(platform::FindResource("CURSOR", 136)), SourceFile("cursor/136.cur"));
}

TEST(Resources, MissingItemsAreNotFound) {
    EXPECT_FALSE(platform::FindResource("HTML", "missing.htm"));
    EXPECT_FALSE(platform::FindResource("HTML", "index"));
    EXPECT_FALSE(platform::FindResource("HTML", "img"));
    EXPECT_FALSE(platform::FindResource("BITMAP", 142));
    // A number belongs to its type only.
    EXPECT_FALSE(platform::FindResource("ICON", 141));
    EXPECT_FALSE(platform::FindResource("CURSOR", 10001));
    // 141 + 65536: numbers are not cut to 16 bits on the way.
    EXPECT_FALSE(platform::FindResource("BITMAP", 65677));
}

TEST(Resources, EmptyFileIsFoundWithNoBytes) {
    platform::Resource empty = platform::FindResource("HTML", "empty.htm");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.size, 0u);
    EXPECT_EQ(empty.data[0], 0);
}
