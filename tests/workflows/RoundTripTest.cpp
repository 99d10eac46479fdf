// Hide and restore at every security level through the real registry stand-in,
// compound files and folders: everything comes back exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "WorkflowFixture.h"
#include "identities/MailClient.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/Container.h"
#include "base/OperationResult.h"

namespace {

class RoundTripTest : public WorkflowTest, public ::testing::WithParamInterface<int> {};

TEST_P(RoundTripTest, HideThenRestoreBringsBackEveryByteAndEveryValue) {
    const int level = GetParam();
    SetLevel(level);
    SetPassword("correct horse");
    // Modes and times come back as they were, whatever the umask of the restore.
    namespace fs = std::filesystem;
    fs::permissions(StorePath("Inbox.dbx"), fs::perms(0640));
    fs::permissions(StorePath("Folders.DBX"), fs::perms(0604));
    fs::last_write_time(StorePath("Empty.dbx"), fs::file_time_type(std::chrono::hours(-24 * 365 * 3)));
    std::map<std::string, std::pair<fs::perms, fs::file_time_type>> stamps;
    for (const auto& [name, bytes] : original_) {
        stamps[name] = {fs::status(StorePath(name)).permissions(), fs::last_write_time(StorePath(name))};
    }

    ASSERT_TRUE(Hide());
    EXPECT_EQ(OperationResult, ResultUnspecified);
    EXPECT_TRUE(IsIdentityHidden());
    EXPECT_FALSE(IdentityListed());
    EXPECT_FALSE(KeyExists(IdentityPath(kGuard)));
    // Every pointer now names the other identity.
    DWORD type;
    std::string bytes;
    ASSERT_TRUE(GetValue(MailClient::kIdentitiesKey, MailClient::kDefaultUserIdValue, type, bytes));
    EXPECT_EQ(bytes, std::string("home-user-id", 13));
    ASSERT_TRUE(GetValue(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, type, bytes));
    EXPECT_EQ(bytes, std::string("Home", 5));
    // The container is private, and marked read-only until the restore.
    EXPECT_EQ(std::filesystem::status(ContainerPath()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read);
    EXPECT_EQ(DocumentsEntries(), std::vector<std::string>{std::string(kGuard) + ".dat"});

    auto afterHide = StoreFilesOnDisk();
    if (level == SecurityLow) {
        EXPECT_EQ(afterHide.size(), original_.size() + 1);
        for (const auto& [name, content] : original_) EXPECT_EQ(afterHide[name], content) << name;
    } else {
        // Only what is not part of the store is left.
        EXPECT_EQ(afterHide, (std::map<std::string, std::string>{{"notes.txt", "keep me"}}));
        EXPECT_EQ(ReadWholeFile(StorePath("old.dbx") + "/Inbox.dbx"), "nested");
    }
    EXPECT_EQ(ui_.CountProgress("status:Encrypting message store"), 1);
    EXPECT_EQ(ui_.CountProgress("hidecancel"), level == SecurityLow ? 0 : 1);
    EXPECT_EQ(ui_.openWindows, 0);

    ASSERT_TRUE(Restore());
    EXPECT_FALSE(IsIdentityHidden());
    EXPECT_FALSE(platform::FileExists(ContainerPath()));
    EXPECT_TRUE(IdentityListed());
    EXPECT_EQ(Snapshot(), registryBefore_);
    EXPECT_EQ(MessageFilesOnDisk(), original_);
    for (const auto& [name, stamp] : stamps) {
        EXPECT_EQ(fs::status(StorePath(name)).permissions(), stamp.first) << name;
        EXPECT_EQ(fs::last_write_time(StorePath(name)), stamp.second) << name;
    }
    EXPECT_EQ(ui_.CountProgress("status:Decrypting message store"), 1);
    EXPECT_EQ(ui_.openWindows, 0);
    EXPECT_EQ(ui_.messages.size(), 2u);  // the two questions, nothing else
}

INSTANTIATE_TEST_SUITE_P(Levels, RoundTripTest, ::testing::Values(SecurityLow, SecurityMedium, SecurityHigh));

TEST_F(WorkflowTest, ProgressRunsFromZeroToTheEndForCopyingCheckingAndErasing) {
    ASSERT_TRUE(Hide());
    // 285,536 bytes in 64 KiB chunks; the check and the erase each start again from zero.
    const std::vector<int>& p = ui_.positions;
    auto phaseStart = p.begin();
    for (int phase = 0; phase < 3; ++phase) {
        SCOPED_TRACE(phase);
        auto restart = std::adjacent_find(phaseStart, p.end(), [](int a, int b) { return b < a; });
        EXPECT_TRUE(std::is_sorted(phaseStart, restart == p.end() ? p.end() : restart + 1));
        ASSERT_NE(phaseStart, p.end());
        EXPECT_EQ(restart == p.end() ? p.back() : *restart, 1000);
        phaseStart = restart == p.end() ? p.end() : restart + 1;
    }
    EXPECT_EQ(phaseStart, p.end());
}

TEST_F(WorkflowTest, ContainerWrittenWithoutAnyWindowStillRoundTrips) {
    ui_.FailProgressWindows();
    ASSERT_TRUE(Hide());
    ASSERT_TRUE(Restore());
    EXPECT_EQ(MessageFilesOnDisk(), original_);
}

}  // namespace
