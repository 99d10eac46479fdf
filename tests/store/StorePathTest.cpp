// Store folder expansion and the trust placed in paths read back from a container.
#include <gtest/gtest.h>

#include <string>

#include "store/ExpandStorePath.h"
#include "support/ScopedEnvironment.h"
#include "store/SourcePath.h"

namespace {

TEST(ExpandStorePathTest, ReferencesMatchAnyCaseValuesKeepTheirsTheRestIsLoweredWhereCaseIsIgnored) {
    ScopedEnvironment environment;
    environment.Set("USERPROFILE", "/Home/Ann");
    EXPECT_EQ(ExpandStorePath("%UserProfile%/Mail/Store {X}", true), "/Home/Ann/mail/store {x}");
    EXPECT_EQ(ExpandStorePath("%Foo%/Store", true), "%foo%/store");
}

TEST(ExpandStorePathTest, OnCaseSensitiveFileSystemsTheTextKeepsItsCase) {
    // Lower-casing "/Home/Ann/Mail" would name a folder that does not exist here.
    ScopedEnvironment environment;
    environment.Set("USERPROFILE", "/Home/Ann");
    EXPECT_EQ(ExpandStorePath("%UserProfile%/Mail/Store {X}", false), "/Home/Ann/Mail/Store {X}");
    EXPECT_EQ(ExpandStorePath("%Foo%/Store", false), "%Foo%/Store");
    if (!platform::kFileNamesIgnoreCase) {
        EXPECT_EQ(ExpandStorePath("/Home/Ann/Mail"), "/Home/Ann/Mail");
    }
}

TEST(ExpandStorePathTest, EachReferenceFromItsOwnVariableUnknownOnesStayUndefinedOnesVanish) {
    ScopedEnvironment environment;
    environment.Set("TEMP", "/T1");
    environment.Set("TMP", "/T2");
    environment.Unset("APPDATA");
    for (bool lowerCase : {true, false}) {
        EXPECT_EQ(ExpandStorePath("%TEMP%:%tmp%", lowerCase), "/T1:/T2");
        EXPECT_EQ(ExpandStorePath("%appdata%/x", lowerCase), "/x");
        EXPECT_EQ(ExpandStorePath("%TeMp%%TEMP%", lowerCase), "/T1/T1");
    }
}

TEST(ExpandStorePathTest, AValueIsSearchedByLaterReferencesOnly) {
    // APPDATA is expanded before TEMP, so a %temp% inside its value is expanded too,
    // while a %appdata% inside TEMP's value stays.
    ScopedEnvironment environment;
    environment.Set("APPDATA", "%temp%/A");
    environment.Set("TEMP", "%appdata%/T");
    EXPECT_EQ(ExpandStorePath("%appdata%"), "%appdata%/T/A");
}

TEST(SourcePathTest, OnlyAbsoluteStoreFilesWithoutParentPartsAreTrusted) {
    EXPECT_TRUE(IsSafeSourcePath("/home/ann/mail/Inbox.dbx"));
    EXPECT_TRUE(IsSafeSourcePath("/home/ann/mail/OUTBOX.DBX"));
    EXPECT_TRUE(IsSafeSourcePath("/home/ann/mail//two..dots.dbx"));

    EXPECT_FALSE(IsSafeSourcePath(""));
    EXPECT_FALSE(IsSafeSourcePath("mail/Inbox.dbx"));
    EXPECT_FALSE(IsSafeSourcePath("C:\\mail\\Inbox.dbx"));  // relative here
    EXPECT_FALSE(IsSafeSourcePath("/home/ann/../bob/Inbox.dbx"));
    EXPECT_FALSE(IsSafeSourcePath("/home/ann/mail/..\\..\\Inbox.dbx"));
    EXPECT_FALSE(IsSafeSourcePath("/home/ann/.."));
    EXPECT_FALSE(IsSafeSourcePath("/home/ann/.bashrc"));
    EXPECT_FALSE(IsSafeSourcePath("/home/ann/Inbox.dbx.sh"));
    EXPECT_FALSE(IsSafeSourcePath("/home/ann/mail.dbx/"));
}

}  // namespace
