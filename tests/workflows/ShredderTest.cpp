// The erase phase: what is written over each plain file before it is deleted.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

#include "WorkflowFixture.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "base/OperationResult.h"

namespace {

struct Write {
    std::string name;
    std::string bytes;
};

class ShredderTest : public WorkflowTest {
protected:
    ShredderTest() {
        CStoreOperation::SetShredObserver([this](const std::string& path, const uint8_t* data, size_t n) {
            writes_.push_back({std::filesystem::path(path).filename().string(),
                               std::string(reinterpret_cast<const char*>(data), n)});
            if (onWrite_) onWrite_(path);
        });
    }
    std::vector<Write> writes_;
    std::function<void(const std::string&)> onWrite_;
};

TEST_F(ShredderTest, HighLevelOverwritesEachFileWithItsOwnRandomBlockLastFileFirst) {
    ASSERT_TRUE(Hide());
    // The store in discovery order (case-insensitive name order) is Deleted Items,
    // Empty, Folders, Inbox; erasing runs backwards and an empty file gets no write.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> perFile;
    for (const Write& w : writes_) {
        if (order.empty() || order.back() != w.name) order.push_back(w.name);
        perFile[w.name].push_back(w.bytes);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Inbox.dbx", "Folders.DBX", "Deleted Items.dbx"}));

    const auto& inbox = perFile["Inbox.dbx"];
    ASSERT_EQ(inbox.size(), 3u);
    EXPECT_EQ(inbox[0].size(), 65536u);
    EXPECT_EQ(inbox[1].size(), 65536u);
    EXPECT_EQ(inbox[2].size(), 18928u);
    EXPECT_EQ(inbox[1], inbox[0]);
    EXPECT_EQ(inbox[2], inbox[0].substr(0, 18928));
    EXPECT_NE(inbox[0], original_["Inbox.dbx"].substr(0, 65536));
    EXPECT_NE(inbox[0], std::string(65536, '\0'));

    const auto& folders = perFile["Folders.DBX"];
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].size(), 70000u - 65536u);
    EXPECT_NE(folders[0], inbox[0]);  // a fresh block per file
    EXPECT_EQ(perFile["Deleted Items.dbx"].size(), 1u);
    EXPECT_EQ(StoreFilesOnDisk().size(), 1u);  // notes.txt
}

TEST_F(ShredderTest, MediumLevelDeletesWithoutWriting) {
    SetLevel(SecurityMedium);
    ASSERT_TRUE(Hide());
    EXPECT_TRUE(writes_.empty());
    EXPECT_EQ(StoreFilesOnDisk().size(), 1u);
    EXPECT_EQ(ui_.CountProgress("status:Erasing unprotected copy"), 1);
}

TEST_F(ShredderTest, AFileThatCannotBeDeletedDoesNotStopTheOthersAndTheUserIsTold) {
    // While the first file is overwritten, another one becomes read-only: it is still
    // overwritten through our open handle but refuses to be deleted.
    onWrite_ = [this](const std::string&) {
        chmod(StorePath("Folders.DBX").c_str(), 0444);
        onWrite_ = nullptr;
    };
    ASSERT_TRUE(Hide({IDOK}));
    EXPECT_TRUE(IsIdentityHidden());
    EXPECT_FALSE(IdentityListed());
    // It was moved to a private name before its overwrite, so no half-shredded file is
    // ever found under the store's name.
    const auto left = StoreFilesOnDisk();
    EXPECT_EQ(left.size(), 2u);
    const std::string shredded = left.begin()->first;
    ASSERT_EQ(shredded.rfind("Folders.DBX.", 0), 0u);
    EXPECT_NE(left.at(shredded), original_["Folders.DBX"]);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_NE(ui_.messages[1].text.find(StorePath(shredded)), std::string::npos);
    EXPECT_EQ(ui_.messages[1].text.find("Inbox.dbx"), std::string::npos);

    // The container is complete: a restore brings every file back, and once the
    // leftover can be deleted it goes too.
    chmod(StorePath(shredded).c_str(), 0644);
    ASSERT_TRUE(Restore());
    EXPECT_EQ(MessageFilesOnDisk(), original_);
}

}  // namespace
