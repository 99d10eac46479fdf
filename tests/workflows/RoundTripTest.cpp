// Hide and restore at every security level through the real registry stand-in,
// compound files and folders: everything comes back exactly.
#include <gtest/gtest.h>

#include <filesystem>

#include "WorkflowFixture.h"
#include "identities/MailClient.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/Container.h"
#include "store/OperationResult.h"

namespace {

class RoundTripTest : public WorkflowTest, public ::testing::WithParamInterface<int> {};

TEST_P(RoundTripTest, HideThenRestoreBringsBackEveryByteAndEveryValue) {
    const int level = GetParam();
    SetLevel(level);
    SetPassword("correct horse");

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
    EXPECT_EQ(ui_.CountProgress("status:Decrypting message store"), 1);
    EXPECT_EQ(ui_.openWindows, 0);
    EXPECT_EQ(ui_.messages.size(), 2u);  // the two questions, nothing else
}

INSTANTIATE_TEST_SUITE_P(Levels, RoundTripTest, ::testing::Values(SecurityLow, SecurityMedium, SecurityHigh));

TEST_F(WorkflowTest, ProgressRunsFromZeroToTheEndOnceForCopyingAndOnceForErasing) {
    ASSERT_TRUE(Hide());
    // 285,536 bytes in 64 KiB chunks, then the erase starts again from zero.
    const std::vector<int>& p = ui_.positions;
    ASSERT_FALSE(p.empty());
    auto restart = std::adjacent_find(p.begin(), p.end(), [](int a, int b) { return b < a; });
    ASSERT_NE(restart, p.end());
    EXPECT_EQ(*restart, 1000);
    EXPECT_EQ(p.back(), 1000);
    EXPECT_TRUE(std::is_sorted(p.begin(), restart + 1));
    EXPECT_TRUE(std::is_sorted(restart + 1, p.end()));
}

TEST_F(WorkflowTest, ContainerWrittenWithoutAnyWindowStillRoundTrips) {
    ui_.FailProgressWindows();
    ASSERT_TRUE(Hide());
    ASSERT_TRUE(Restore());
    EXPECT_EQ(MessageFilesOnDisk(), original_);
}

TEST_F(WorkflowTest, RestoreReplacesAFileThatReappearedAtItsPlace) {
    SetLevel(SecurityMedium);
    ASSERT_TRUE(Hide());
    WriteWholeFile(StorePath("Inbox.dbx"), "the mail client made a new one");
    ASSERT_TRUE(Restore());
    EXPECT_EQ(ReadWholeFile(StorePath("Inbox.dbx")), original_["Inbox.dbx"]);
}

}  // namespace
