// The stand-in mail client: the checksums that prove a store came back byte for byte, and
// its window, which exists exactly while it holds its store.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include "platform/File.h"
#include "platform/Shell.h"
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

// Whether someone else holds the file: our own exclusive open fails with a sharing violation.
bool Held(const std::string& path) {
    platform::File file;
    const platform::FileStatus status = platform::File::Open(path, platform::File::Mode::Read, file);
    EXPECT_TRUE(status.ok() || status.cause() == platform::FileStatus::SharingViolation) << status.text();
    return !status.ok();
}

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

// The product's window search finds the client exactly while it holds its store; a store
// held elsewhere keeps it from starting, and what it took before is let go.
TEST_F(MsimnTest, RunHoldsTheStoreWhileItsWindowIsUp) {
    if (platform::GetEnvironmentVariable("DISPLAY").empty()) GTEST_SKIP() << "no X display";
    const char* const kClass = "Outlook Express Browser Class";
    const std::string ann = CreateIdentity("Ann", "ann");
    // The shell prints its id and becomes msimn, which prints its window once it is up.
    FILE* out = ::popen(("echo $$; exec " + Command({"run", "--identity", ann, "--for", "120"})).c_str(), "r");
    int pid = 0;
    unsigned long window = 0;
    ASSERT_EQ(std::fscanf(out, "%d %lu", &pid, &window), 2);
    EXPECT_TRUE(platform::FindTopLevelWindow(kClass));
    for (const auto& file : platform::FindFiles(data_.file("ann"), "*.dbx")) EXPECT_TRUE(Held(data_.file("ann/" + file.name))) << file.name;
    ::kill(pid, SIGTERM);
    EXPECT_EQ(::pclose(out), 0);
    EXPECT_FALSE(platform::FindTopLevelWindow(kClass) || Held(data_.file("ann/Inbox.dbx")));
    platform::File holder;
    ASSERT_TRUE(platform::File::Open(data_.file("ann/Sent Items.dbx"), platform::File::Mode::Read, holder).ok());
    EXPECT_EQ(Msimn({"run", "--identity", ann, "--for", "30"}), 1);
    EXPECT_FALSE(platform::FindTopLevelWindow(kClass) || Held(data_.file("ann/Inbox.dbx")));
}

}  // namespace
