// Store folder expansion and the trust placed in paths read back from a container.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "store/ExpandStorePath.h"
#include "store/SourcePath.h"

namespace {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedVariable() {
        if (had_) setenv(name_.c_str(), old_.c_str(), 1);
        else unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

TEST(ExpandStorePathTest, ReferencesMatchAnyCaseValuesKeepTheirsTheRestIsLowered) {
    ScopedVariable profile("USERPROFILE", "/Home/Ann");
    EXPECT_EQ(ExpandStorePath("%UserProfile%/Mail/Store {X}"), "/Home/Ann/mail/store {x}");
}

TEST(ExpandStorePathTest, EachReferenceFromItsOwnVariableUnknownOnesStayUndefinedOnesVanish) {
    ScopedVariable temp("TEMP", "/T1");
    ScopedVariable tmp("TMP", "/T2");
    ScopedVariable appdata("APPDATA", nullptr);
    EXPECT_EQ(ExpandStorePath("%TEMP%:%tmp%"), "/T1:/T2");
    EXPECT_EQ(ExpandStorePath("%Foo%/Store"), "%foo%/store");
    EXPECT_EQ(ExpandStorePath("%appdata%/x"), "/x");
}

TEST(ExpandStorePathTest, AValueIsSearchedByLaterReferencesOnly) {
    // APPDATA is expanded before TEMP, so a %temp% inside its value is expanded too,
    // while a %appdata% inside TEMP's value stays.
    ScopedVariable appdata("APPDATA", "%temp%/A");
    ScopedVariable temp("TEMP", "%appdata%/T");
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
