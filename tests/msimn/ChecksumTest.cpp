// checksum record / verify: proves a store came back byte for byte, and says what differs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "MsimnFixture.h"

namespace {

class ChecksumTest : public MsimnFixture {
protected:
    void SetUp() override {
        key_ = CreateIdentity({"--name", "Sums", "--store", data_.file("store"), "--seed", "3"});
        list_ = data_.file("sums.txt");
        ChildProcess::Result recorded = Msimn({"checksum", "record", key_, list_});
        ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    }
    ChildProcess::Result Verify() { return Msimn({"checksum", "verify", key_, list_}); }
    std::string Store(const std::string& name) const { return data_.file("store/" + name); }

    std::string key_;
    std::string list_;
};

TEST_F(ChecksumTest, AnUntouchedStoreVerifies) {
    ChildProcess::Result result = Verify();
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "");
    // Files that are not part of the store do not count.
    WriteWholeFile(Store("notes.txt"), "not mail");
    EXPECT_EQ(Verify().exitCode, 0);
}

TEST_F(ChecksumTest, OneChangedByteAnywhereIsFound) {
    const std::string inbox = ReadWholeFile(Store("Inbox.dbx"));
    ASSERT_GT(inbox.size(), 100000u);
    for (size_t offset : {size_t(0), inbox.size() / 2, inbox.size() - 1}) {
        std::string changed = inbox;
        changed[offset] = static_cast<char>(changed[offset] ^ 0x01);
        WriteWholeFile(Store("Inbox.dbx"), changed);
        ChildProcess::Result result = Verify();
        EXPECT_EQ(result.exitCode, 1) << "byte " << offset;
        EXPECT_EQ(result.out, "changed Inbox.dbx\n");
    }
    WriteWholeFile(Store("Inbox.dbx"), inbox.substr(0, inbox.size() - 1));
    EXPECT_EQ(Verify().out, "changed Inbox.dbx\n");
    WriteWholeFile(Store("Inbox.dbx"), inbox);
    EXPECT_EQ(Verify().exitCode, 0);
}

TEST_F(ChecksumTest, MissingAndExtraFilesAreNamed) {
    ASSERT_EQ(std::remove(Store("Drafts.dbx").c_str()), 0);
    WriteWholeFile(Store("Stray.dbx"), "x");
    ChildProcess::Result result = Verify();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "missing Drafts.dbx\nextra Stray.dbx\n");

    // An empty file that disappears counts as much as a full one.
    ASSERT_EQ(std::remove(Store("Deleted Items.dbx").c_str()), 0);
    EXPECT_NE(Verify().out.find("missing Deleted Items.dbx\n"), std::string::npos);
}

TEST_F(ChecksumTest, AStoreThatIsGoneIsReportedFileByFile) {
    const std::string moved = data_.file("elsewhere");
    ASSERT_EQ(std::rename(data_.file("store").c_str(), moved.c_str()), 0);
    ChildProcess::Result result = Verify();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 7);
    EXPECT_EQ(result.out.find("changed"), std::string::npos);
    // Recording needs a store.
    EXPECT_EQ(Msimn({"checksum", "record", key_, data_.file("other.txt")}).exitCode, 1);
}

TEST_F(ChecksumTest, BadListsAndUnknownIdentitiesFail) {
    WriteWholeFile(list_, "hello\n");
    ChildProcess::Result garbage = Verify();
    EXPECT_EQ(garbage.exitCode, 1);
    EXPECT_NE(garbage.err.find("not a store checksum list"), std::string::npos) << garbage.err;

    ChildProcess::Result unknown = Msimn({"checksum", "verify", "{NOT-THERE}", list_});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("{NOT-THERE}"), std::string::npos) << unknown.err;
}

}  // namespace
