#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "base/FileLocations.h"
#include "app/VersionString.h"

TEST(VersionString, FormsOfOneVersion) {
    EXPECT_EQ(FormatVersionString(FIXTURE_2_0_0_384, 0), "v2.0 (build 384)");
    EXPECT_EQ(FormatVersionString(FIXTURE_2_0_0_384, 1), "v2.0.384");
    EXPECT_EQ(FormatVersionString(FIXTURE_2_0_0_384, 2), "v2.0");
    EXPECT_EQ(FormatVersionString(FIXTURE_2_0_0_384, 3), "v2.0");
}

TEST(VersionString, PatchIsAppendedWithoutSeparator) {
    EXPECT_EQ(FormatVersionString(FIXTURE_2_0_3_384, 0), "v2.03 (build 384)");
    EXPECT_EQ(FormatVersionString(FIXTURE_2_0_3_384, 1), "v2.03.384");
}

TEST(VersionString, BuildsUpToTenAreNotShown) {
    EXPECT_EQ(FormatVersionString(FIXTURE_1_5_0_10, 0), "v1.5");
    EXPECT_EQ(FormatVersionString(FIXTURE_1_5_0_10, 1), "v1.5");
    EXPECT_EQ(FormatVersionString(FIXTURE_1_5_0_11, 0), "v1.5 (build 11)");
    EXPECT_EQ(FormatVersionString(FIXTURE_1_5_0_11, 1), "v1.5.11");
    // The build number itself is always reported.
    EXPECT_EQ(GetBuildNumber(FIXTURE_1_5_0_10), 10);
    EXPECT_EQ(GetBuildNumber(FIXTURE_2_0_3_384), 384);
}

TEST(VersionString, FilesWithoutRecord) {
    TempDir dir;
    WriteWholeFile(dir.file("notes.txt"), "not a program");
    for (const std::string& path :
         {std::string(FIXTURE_PLAIN), dir.file("notes.txt"), dir.file("missing"), dir.path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(FormatVersionString(path, 0), "v?.?");
        EXPECT_EQ(FormatVersionString(path, 1), "v?.?");
        EXPECT_EQ(GetBuildNumber(path), 0);
    }
}

TEST(VersionString, EmptyPathMeansRunningProgram) {
    EXPECT_EQ(GetBuildNumber(""), PROJECT_BUILD_NUMBER);
    EXPECT_EQ(FormatVersionString("", 0), FormatVersionString(GetModulePath(), 0));
    EXPECT_NE(FormatVersionString("", 0), "v?.?");
}
