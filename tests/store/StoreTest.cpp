// Store folder expansion, and the trust placed in the paths and header records a hostile
// container may fill with anything (the workflow tests' independent reader checks layout).
#include <gtest/gtest.h>

#include <cstring>

#include "store/ExpandStorePath.h"
#include "store/HeaderFields.h"
#include "store/SourcePath.h"
#include "store/StreamHeader.h"
#include "support/ScopedEnvironment.h"

namespace {

TEST(ExpandStorePathTest, ReferencesMatchAnyCaseAndOnlyNamesThatIgnoreCaseAreLowered) {
    ScopedEnvironment environment;
    environment.Set("USERPROFILE", "/Home/Ann"), environment.Set("TEMP", "/T1"), environment.Set("TMP", "/T2");
    environment.Unset("APPDATA");
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

// Written as Linux paths; on Windows "/home" stands for "C:\\home", and the other
// system's full path is the relative one.
std::string OnThisSystem(std::string path) {
    if (platform::kPathSeparator == '/' || path.empty() || path[0] != '/') return path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return "C:" + path;
}

TEST(SourcePathTest, OnlyAbsoluteStoreFilesWithoutParentPartsAreTrusted) {
    for (const char* safe : {"/home/ann/mail/Inbox.dbx", "/home/ann/mail/OUTBOX.DBX", "/home/ann/mail//two..dots.dbx"})
        EXPECT_TRUE(IsSafeSourcePath(OnThisSystem(safe))) << safe;
    const char* otherSystems = platform::kPathSeparator == '/' ? "C:\\mail\\Inbox.dbx" : "/mail/Inbox.dbx";
    for (const char* unsafe :
         {"", "mail/Inbox.dbx", otherSystems, "/home/ann/../bob/Inbox.dbx", "/home/ann/mail/..\\..\\Inbox.dbx",
          "/home/ann/..", "/home/ann/.bashrc", "/home/ann/Inbox.dbx.sh", "/home/ann/mail.dbx/"})
        EXPECT_FALSE(IsSafeSourcePath(unsafe == otherSystems ? unsafe : OnThisSystem(unsafe))) << unsafe;
}

// The tail after the source path is all zeros (an older container, no check) or one of
// our marks with its fields, a mode of permission bits only, a time with fewer than 1e9
// nanoseconds, and zeros after the fields that mark uses.
TEST(ContainerRecords, AStreamHeaderTailIsZerosOrOurMarkWithSaneFields) {
    StreamHeader h, back;
    ASSERT_TRUE(PutFieldText(h.sourcePath, sizeof h.sourcePath, "/home/ann/mail/Inbox.dbx"));
    h.plainSize = 0x1'0000'0002ull, h.mode = 0640, h.modifiedSeconds = -2, h.modifiedNanoseconds = 999999999;
    const struct {
        bool marked, stamped;
        size_t at;  // a byte set to `value` after serialising; 0 for none
        uint8_t value;
        bool accepted;
    } cases[] = {
        {false, false, 0, 0, true},  {false, false, 400, 1, false}, {true, false, 0, 0, true},  {true, false, 304, 1, false},
        {true, true, 0, 0, true},    {true, true, 539, 7, false},   {true, true, 305, 2, false}, {true, true, 319, 0x40, false},
    };
    for (const auto& c : cases) {
        h.marked = c.marked, h.stamped = c.stamped;
        uint8_t b[StreamHeader::kSize], again[StreamHeader::kSize];
        h.Serialize(b);
        if (c.at) b[c.at] = c.value;
        EXPECT_EQ(c.accepted, StreamHeader::Parse(b, back)) << c.marked << c.stamped << " " << c.at;
        if (!c.accepted) continue;
        back.Serialize(again);
        EXPECT_EQ(0, std::memcmp(b, again, sizeof b)) << "parsed back whole";
    }
}

TEST(ContainerRecords, TextsMustFitWithTheirZeroAndBeTerminatedToBeRead) {
    char field[64];
    std::memset(field, 'x', sizeof field);
    EXPECT_FALSE(PutFieldText(field, sizeof field, std::string(64, 'a')));
    EXPECT_EQ(field[0], 'x') << "a refused text leaves the field alone";
    EXPECT_FALSE(PutFieldText(field, sizeof field, std::string("a\0b", 3)));
    std::string text;
    EXPECT_TRUE(PutFieldText(field, sizeof field, std::string(63, 'a')) && GetFieldText(field, sizeof field, text));
    EXPECT_EQ(text, std::string(63, 'a'));
    std::memset(field, 'y', sizeof field);
    EXPECT_FALSE(GetFieldText(field, sizeof field, text));
}

}  // namespace
