// Store folder expansion and the trust placed in paths read back from a container.
#include <gtest/gtest.h>

#include "store/ExpandStorePath.h"
#include "store/SourcePath.h"
#include "support/ScopedEnvironment.h"

namespace {

TEST(ExpandStorePathTest, ReferencesMatchAnyCaseAndOnlyNamesThatIgnoreCaseAreLowered) {
    ScopedEnvironment environment;
    environment.Set("USERPROFILE", "/Home/Ann");
    environment.Set("TEMP", "/T1"), environment.Set("TMP", "/T2"), environment.Unset("APPDATA");
    // Values keep their case; the rest is lowered where file names ignore case. Each
    // reference comes from its own variable, unknown ones stay, undefined ones vanish.
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"%UserProfile%/Mail/Store {X}", true, "/Home/Ann/mail/store {x}"},
        {"%UserProfile%/Mail/Store {X}", false, "/Home/Ann/Mail/Store {X}"},
        {"%Foo%/Store", true, "%foo%/store"},  {"%Foo%/Store", false, "%Foo%/Store"},
        {"%TEMP%:%tmp%", true, "/T1:/T2"},     {"%TeMp%%TEMP%", false, "/T1/T1"},
        {"%appdata%/x", true, "/x"},           {"%appdata%/x", false, "/x"},
    };
    for (const auto& [text, lowerCase, expanded] : cases) EXPECT_EQ(ExpandStorePath(text, lowerCase), expanded) << text;
    // APPDATA is expanded before TEMP, so a %temp% inside its value is expanded too,
    // while a %appdata% inside TEMP's value stays.
    environment.Set("APPDATA", "%temp%/A"), environment.Set("TEMP", "%appdata%/T");
    EXPECT_EQ(ExpandStorePath("%appdata%", false), "%appdata%/T/A");
}

TEST(SourcePathTest, OnlyAbsoluteStoreFilesWithoutParentPartsAreTrusted) {
    for (const char* safe : {"/home/ann/mail/Inbox.dbx", "/home/ann/mail/OUTBOX.DBX", "/home/ann/mail//two..dots.dbx"})
        EXPECT_TRUE(IsSafeSourcePath(safe)) << safe;
    // "C:\\..." is relative here.
    for (const char* unsafe : {"", "mail/Inbox.dbx", "C:\\mail\\Inbox.dbx", "/home/ann/../bob/Inbox.dbx",
                               "/home/ann/mail/..\\..\\Inbox.dbx", "/home/ann/..", "/home/ann/.bashrc",
                               "/home/ann/Inbox.dbx.sh", "/home/ann/mail.dbx/"})
        EXPECT_FALSE(IsSafeSourcePath(unsafe)) << unsafe;
}

}  // namespace
