// The stand-in mail client's checksums, which prove that a store came back byte for byte
// (its window is found by the page commands' tests).
#include <gtest/gtest.h>

#include <cstdio>

#include "support/CommandOutput.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

// Runs the built msimn through the shell against the test's own registry and data folder.
class MsimnTest : public ::testing::Test {
protected:
    MsimnTest() { environment_.Set("XDG_DATA_HOME", data_.path()); }
    std::string Command(const std::vector<std::string>& args) const {
        std::string command = MSIMN_PATH;
        for (const std::string& arg : args) command += " '" + arg + "'";
        return command + " 2>" + data_.file("err");
    }
    // The exit code; stdout goes to *out.
    int Msimn(const std::vector<std::string>& args, std::string* out = nullptr) const {
        int exitCode = -1;
        const std::string text = CommandOutput(Command(args), &exitCode);
        return out ? (*out = text, exitCode) : exitCode;
    }
    // A new identity with its store in the data folder; its key name.
    std::string CreateIdentity(const std::string& name, const std::string& store) const {
        std::string out;
        EXPECT_EQ(Msimn({"create-identity", "--name", name, "--store", data_.file(store)}, &out), 0);
        return out.substr(0, out.find('\n'));
    }
    TempRegistry registry_;
    TempDir data_;
    ScopedEnvironment environment_;
};

TEST_F(MsimnTest, ChecksumsFindEveryChangeToAStore) {
    using Verdict = std::pair<int, std::string>;  // exit code and output
    const std::string key = CreateIdentity("Sums", "store"), list = data_.file("sums.txt"), inboxPath = data_.file("store/Inbox.dbx");
    ASSERT_EQ(Msimn({"checksum", "record", key, list}), 0);
    const auto verify = [&] { Verdict v; v.first = Msimn({"checksum", "verify", key, list}, &v.second); return v; };
    WriteWholeFile(data_.file("store/notes.txt"), "not mail");  // not part of the store
    EXPECT_EQ(verify(), Verdict(0, ""));
    const std::string inbox = ReadWholeFile(inboxPath);
    for (size_t offset : {size_t(0), inbox.size() / 2, inbox.size() - 1, inbox.size()}) {
        std::string changed = inbox.substr(0, offset == inbox.size() ? offset - 1 : inbox.size());  // or one byte short
        if (offset < inbox.size()) changed[offset] ^= 1;
        WriteWholeFile(inboxPath, changed);
        EXPECT_EQ(verify(), Verdict(1, "changed Inbox.dbx\n")) << offset;
    }
    WriteWholeFile(inboxPath, inbox);
    ASSERT_EQ(std::remove(data_.file("store/Deleted Items.dbx").c_str()), 0);  // an empty file counts too
    WriteWholeFile(data_.file("store/Stray.dbx"), "x");
    EXPECT_EQ(verify(), Verdict(1, "missing Deleted Items.dbx\nextra Stray.dbx\n"));
}

}  // namespace
