// Restores that must not complete, wrong passwords, and containers that lie: in every
// case nothing is written unless everything checks out, and the container stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "ContainerBuilder.h"
#include "WorkflowFixture.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/Container.h"
#include "store/OperationResult.h"
#include "store/StoreWorkflows.h"

namespace {

const char kDamaged[] = "The protected container is damaged and cannot be restored.\r\n\r\nNothing has been changed.";

class RestoreTest : public WorkflowTest {
protected:
    // Hides the identity for real and remembers the state to compare against.
    void HideForReal() {
        ASSERT_TRUE(Hide());
        hiddenContainer_ = ReadWholeFile(ContainerPath());
        hiddenRegistry_ = Snapshot();
        hiddenFiles_ = StoreFilesOnDisk();
        ui_.messages.clear();
    }
    void ExpectStillHidden() {
        EXPECT_EQ(ReadWholeFile(ContainerPath()), hiddenContainer_);
        EXPECT_EQ(Snapshot(), hiddenRegistry_);
        EXPECT_EQ(StoreFilesOnDisk(), hiddenFiles_);
        EXPECT_EQ(ui_.openWindows, 0);
    }
    void ExpectRestored() {
        EXPECT_FALSE(IsIdentityHidden());
        EXPECT_EQ(Snapshot(), registryBefore_);
        EXPECT_EQ(MessageFilesOnDisk(), original_);
    }
    std::string hiddenContainer_;
    RegistrySnapshot hiddenRegistry_;
    std::map<std::string, std::string> hiddenFiles_;
};

TEST_F(RestoreTest, DeclinedQuestionKeepsEverythingHidden) {
    HideForReal();
    ui_.QueueAnswer(IDNO);
    EXPECT_FALSE(RestoreIdentity());
    EXPECT_EQ(OperationResult, ResultCanceled);
    ExpectStillHidden();
}

TEST_F(RestoreTest, MissingStoreFolderFailsAndKeepsTheContainer) {
    HideForReal();
    std::filesystem::remove_all(StoreFolder());
    EXPECT_FALSE(Restore());
    EXPECT_EQ(OperationResult, ResultUnspecified);
    EXPECT_EQ(ReadWholeFile(ContainerPath()), hiddenContainer_);
    EXPECT_EQ(Snapshot(), hiddenRegistry_);
    EXPECT_FALSE(std::filesystem::exists(StoreFolder()));
    // Put the folder back and the restore completes.
    std::filesystem::create_directories(StoreFolder());
    WriteWholeFile(StorePath("notes.txt"), "keep me");
    ASSERT_TRUE(Restore());
    ExpectRestored();
}

TEST_F(RestoreTest, CancelConfirmedWhileDecipheringLeavesNoPartialFile) {
    SetLevel(SecurityMedium);
    HideForReal();
    // The third chunk belongs to Folders.DBX, after the first two files are complete.
    ui_.CancelAtRequest(ui_.cancelRequestsTaken + 3);
    EXPECT_FALSE(Restore({IDYES}));
    EXPECT_EQ(ReadWholeFile(ContainerPath()), hiddenContainer_);
    EXPECT_EQ(Snapshot(), hiddenRegistry_);
    auto files = StoreFilesOnDisk();
    EXPECT_EQ(files.count("Folders.DBX"), 0u);
    for (const auto& [name, bytes] : files) {
        if (name != "notes.txt") {
            EXPECT_EQ(bytes, original_[name]) << name;  // complete or absent
        }
    }
    ASSERT_TRUE(Restore());
    ExpectRestored();
}

TEST_F(RestoreTest, RegistryThatCannotBeRebuiltKeepsTheContainer) {
    HideForReal();
    // A protected identity name that cannot address a key (edited by hand meanwhile):
    // the files come back, the registry is not touched, and the container stays.
    const std::string badGuard = "bad\\name";
    SetGuardId(badGuard);
    std::filesystem::rename(ContainerPath(), DocumentsFolder() + "/" + badGuard + ".dat");
    EXPECT_FALSE(Restore());
    EXPECT_EQ(OperationResult, ResultUnspecified);
    EXPECT_TRUE(IsIdentityHidden());
    EXPECT_EQ(ReadWholeFile(GetContainerPath()), hiddenContainer_);
    EXPECT_EQ(Snapshot(), hiddenRegistry_);
    EXPECT_EQ(MessageFilesOnDisk(), original_);
}

TEST_F(RestoreTest, LowLevelContainerRestoresTheRegistryOnly) {
    SetLevel(SecurityLow);
    HideForReal();
    std::filesystem::remove(StorePath("Inbox.dbx"));  // proves no file is written
    ASSERT_TRUE(Restore());
    EXPECT_FALSE(std::filesystem::exists(StorePath("Inbox.dbx")));
    EXPECT_EQ(Snapshot(), registryBefore_);
    EXPECT_TRUE(IdentityListed());
}

TEST_F(RestoreTest, WrongPasswordTouchesNothingUntilTheRightOneIsGiven) {
    SetPassword("old password");
    HideForReal();
    SetPassword("new password");
    ui_.QueuePassword("a guess");
    ui_.QueuePassword("old password");
    ASSERT_TRUE(Restore());
    ASSERT_EQ(ui_.passwordPrompts.size(), 2u);
    EXPECT_NE(ui_.passwordPrompts[0].find("different password"), std::string::npos);
    ExpectRestored();
}

TEST_F(RestoreTest, WrongPasswordGivenUpChangesNothingAndSaysSo) {
    SetPassword("old password");
    HideForReal();
    SetPassword("");
    ui_.QueuePassword("one");
    ui_.QueuePassword("two");
    ui_.QueuePassword("three");
    EXPECT_FALSE(Restore({IDOK}));
    EXPECT_EQ(ui_.passwordPrompts.size(), 3u);
    EXPECT_NE(ui_.messages.back().text.find("password does not match"), std::string::npos);
    ExpectStillHidden();

    ui_.QueuePasswordDecline();
    EXPECT_FALSE(Restore({IDOK}));
    ExpectStillHidden();
}

// Containers written by hand, as an older writer or an attacker would.
class HandMadeContainerTest : public RestoreTest {
protected:
    HandMadeContainerTest() {
        SetPassword("pw");
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& [name, bytes] : original_) files.push_back({StorePath(name), bytes});
        builder_ = std::make_unique<ContainerBuilder>(files, "pw");
        for (const auto& [name, bytes] : original_) std::filesystem::remove(StorePath(name));
        hiddenRegistry_ = Snapshot();
        hiddenFiles_ = StoreFilesOnDisk();
    }
    void WriteContainer() {
        builder_->Write(ContainerPath());
        hiddenContainer_ = ReadWholeFile(ContainerPath());
    }
    std::unique_ptr<ContainerBuilder> builder_;
};

TEST_F(HandMadeContainerTest, SoundContainerRestores) {
    WriteContainer();
    ASSERT_TRUE(Restore());
    ExpectRestored();
}

TEST_F(HandMadeContainerTest, ContainerWithoutCheckValuesRestoresAsBefore) {
    for (auto& f : builder_->files) f.header.marked = false;
    WriteContainer();
    ASSERT_TRUE(Restore());
    ExpectRestored();
}

struct Damage {
    const char* name;
    std::function<void(ContainerBuilder&)> apply;
};

class HostileContainerTest : public HandMadeContainerTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(HostileContainerTest, FailsCleanlyAndTouchesNothing) {
    GetParam().apply(*builder_);
    WriteContainer();
    EXPECT_FALSE(Restore({IDOK}));
    EXPECT_EQ(ui_.messages.back().text, kDamaged);
    ExpectStillHidden();
    EXPECT_TRUE(ui_.passwordPrompts.empty());
}

std::string Header(const StreamHeader& h) {
    uint8_t b[StreamHeader::kSize];
    h.Serialize(b);
    return std::string(reinterpret_cast<char*>(b), sizeof b);
}

void SetPath(ContainerBuilder& b, const std::string& path) {
    std::memset(b.files[0].header.sourcePath, 0, sizeof b.files[0].header.sourcePath);
    std::memcpy(b.files[0].header.sourcePath, path.data(), std::min(path.size(), sizeof b.files[0].header.sourcePath));
}

const Damage kDamages[] = {
    {"IndexShorterThanItsHeader", [](ContainerBuilder& b) { b.rawIndex = std::string(559, '\1'); }},
    {"StructureLongerThanTheStream", [](ContainerBuilder& b) { b.index.structureLength += 1; }},
    {"HugeDataLength", [](ContainerBuilder& b) { b.index.dataLength = 0xFFFFFFF0u; }},
    {"TrailingBytesInIndex", [](ContainerBuilder& b) { b.index.dataLength -= 1; }},
    {"MoreFilesThanStreams", [](ContainerBuilder& b) { b.index.fileCount += 1; }},
    {"HugeFileCount", [](ContainerBuilder& b) { b.index.fileCount = 0xFFFFFFFFu; }},
    {"MissingMiddleStream", [](ContainerBuilder& b) { b.files[1].present = false; }},
    {"FileStreamShorterThanItsHeader", [](ContainerBuilder& b) { b.files[2].raw = std::string(539, 'x'); }},
    {"PlainSizeLargerThanTheStream", [](ContainerBuilder& b) { b.files[0].header.plainSize += 1; }},
    {"TruncatedFileStream",
     [](ContainerBuilder& b) { b.files[3].raw = Header(b.files[3].header) + std::string(100, 'x'); }},
    {"ParentFolderInPath", [](ContainerBuilder& b) { SetPath(b, "/tmp/../etc/evil.dbx"); }},
    {"RelativePath", [](ContainerBuilder& b) { SetPath(b, "evil.dbx"); }},
    {"NotAStoreFile", [](ContainerBuilder& b) { SetPath(b, "/tmp/.bashrc"); }},
    {"UnterminatedPath", [](ContainerBuilder& b) { SetPath(b, std::string(300, 'a') + ".dbx"); }},
    {"UnknownTailInStreamHeader", [](ContainerBuilder& b) {
         b.files[0].raw = Header(b.files[0].header) + b.files[0].plain;
         b.files[0].raw[500] = 9;
     }},
    {"UnterminatedIndexText",
     [](ContainerBuilder& b) { std::memset(b.index.lastUsername, 'x', sizeof b.index.lastUsername); }},
    // The backup's own lengths agree with the index stream in these: only its content lies.
    {"UnknownBackupTag", [](ContainerBuilder& b) { b.structure = std::string("\x07\xff", 2); b.data.clear(); b.Seal(); }},
    {"KeyEndWithoutKeyBegin", [](ContainerBuilder& b) { b.structure = std::string("\x03\xff", 2); b.data.clear(); b.Seal(); }},
    {"BackupWithoutEnd", [](ContainerBuilder& b) { b.structure.pop_back(); b.Seal(); }},
    {"ValueRecordPastTheData", [](ContainerBuilder& b) { b.data.resize(b.data.size() - 3); b.Seal(); }},
    {"NotACompoundFile", [](ContainerBuilder& b) { b.rawFile = std::string(4096, '\x5a'); }},
};

INSTANTIATE_TEST_SUITE_P(Damages, HostileContainerTest, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

}  // namespace
