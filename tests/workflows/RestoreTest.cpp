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
#include "base/OperationResult.h"
#include "store/StoreWorkflows.h"
#include "store/CStoreOperation.h"
#include "store/HeaderFields.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "platform/CompoundFile.h"

namespace {

const char kDamaged[] = "The protected container is damaged";

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
    EXPECT_FALSE(Restore({IDOK}));
    EXPECT_NE(ui_.messages.back().text.find(StoreFolder()), std::string::npos);  // the cause, named
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

TEST_F(RestoreTest, RegistryWriteFailureTakesBackTheKeyAndKeepsTheContainer) {
    HideForReal();
    // The registry's disk is full for values: every value write fails.
    RefuseRegistryValueWrites(true);
    EXPECT_FALSE(Restore({IDOK}));
    EXPECT_EQ(OperationResult, ResultRegistryError);
    EXPECT_EQ(ReadWholeFile(ContainerPath()), hiddenContainer_);
    EXPECT_EQ(Snapshot(), hiddenRegistry_);       // no half-built identity
    EXPECT_EQ(MessageFilesOnDisk(), original_);   // the proved files are in place
    RefuseRegistryValueWrites(false);
    ASSERT_TRUE(Restore());
    ExpectRestored();
}

TEST_F(RestoreTest, NewerDataInPlaceIsNeverOverwritten) {
    struct Case {
        const char* what;
        std::function<void()> makeNewer;
    };
    const Case cases[] = {
        {"a store file with other content",
         [this] { WriteWholeFile(StorePath("Inbox.dbx"), "newer mail"); }},
        {"a longer store file", [this] { WriteWholeFile(StorePath("Inbox.dbx"), original_["Inbox.dbx"] + "!"); }},
        {"the identity listed with other settings",
         [this] { SetText(IdentityPath(kGuard), "Username", "someone newer"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Hide());
        ui_.messages.clear();
        c.makeNewer();
        const auto filesBefore = StoreFilesOnDisk();
        const auto registryBefore = Snapshot();
        EXPECT_FALSE(Restore({IDOK}));
        EXPECT_EQ(StoreFilesOnDisk(), filesBefore);
        EXPECT_EQ(Snapshot(), registryBefore);
        // The old container is kept under a name the user is told, and the identity no
        // longer counts as hidden.
        EXPECT_FALSE(IsIdentityHidden());
        const auto kept = DocumentsEntries();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_NE(ui_.messages.back().text.find(DocumentsFolder() + "/" + kept[0]), std::string::npos);
        std::filesystem::remove(DocumentsFolder() + "/" + kept[0]);
        // Start the next case from the original world.
        PutRegistryBack();
        for (const auto& [name, bytes] : original_) WriteWholeFile(StorePath(name), bytes);
    }
}

TEST_F(RestoreTest, InterruptedRestoreIsCompletedNotKeptAside) {
    HideForReal();
    // Killed after the files and the registry were back, before the container went.
    const std::string copy = hiddenContainer_;
    ASSERT_TRUE(Restore());
    WriteWholeFile(ContainerPath(), copy);
    ASSERT_TRUE(Restore());
    EXPECT_TRUE(DocumentsEntries().empty());
    ExpectRestored();
}

TEST_F(RestoreTest, ContainerThatCannotBeDeletedIsMovedAsideAndTheUserTold) {
    HideForReal();
    platform::InStorage held;  // another reader holds the container
    ASSERT_EQ(platform::kStorageOk, held.Open(ContainerPath()));
    ASSERT_TRUE(Restore({IDOK}));
    held.Release();
    ExpectRestored();
    const auto kept = DocumentsEntries();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(kept[0].find(".kept-"), std::string::npos);
    EXPECT_NE(ui_.messages.back().text.find("could not be deleted"), std::string::npos);
    EXPECT_NE(ui_.messages.back().text.find(kept[0]), std::string::npos);
}

TEST_F(RestoreTest, LeftoversOfADeadRunAreErasedAsTheContainerErases) {
    HideForReal();
    // What a killed restore leaves in the store, and a killed hide in the documents.
    const std::string part = StorePath("Inbox.dbx.0123abcd.part");
    WriteWholeFile(part, original_["Inbox.dbx"]);
    WriteWholeFile(DocumentsFolder() + "/" + kGuard + ".89abcdef.tmp", "half a container");
    // Names that only look like ours are the user's.
    const std::map<std::string, std::string> users = {{"notes.part", "mine"}, {"Inbox.dbx.notours.part", "mine"}};
    for (const auto& [name, bytes] : users) WriteWholeFile(StorePath(name), bytes);
    size_t shredded = 0;
    CStoreOperation::SetShredObserver([&](const std::string& path, const uint8_t*, size_t n) {
        if (path == part) shredded += n;
    });
    CleanLeftovers();
    EXPECT_EQ(shredded, original_["Inbox.dbx"].size());  // the high level shreds plain copies
    auto files = StoreFilesOnDisk();
    for (const auto& [name, bytes] : users) EXPECT_EQ(files[name], bytes);
    EXPECT_FALSE(std::filesystem::exists(part));
    EXPECT_EQ(DocumentsEntries(), std::vector<std::string>{std::string(kGuard) + ".dat"});
    EXPECT_EQ(ReadWholeFile(ContainerPath()), hiddenContainer_);
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

TEST_F(HandMadeContainerTest, ContainersOfOlderWritersRestoreAsBefore) {
    builder_->digests = false;
    builder_->Seal();
    WriteContainer();
    ASSERT_TRUE(Restore());
    ExpectRestored();
    for (const auto& [name, bytes] : original_) {
        // Without a recorded mode the files are the user's alone.
        EXPECT_EQ(std::filesystem::status(StorePath(name)).permissions(), std::filesystem::perms(0600)) << name;
    }

    for (auto& f : builder_->files) f.header.marked = false;
    for (const auto& [name, bytes] : original_) std::filesystem::remove(StorePath(name));
    WriteContainer();
    ASSERT_TRUE(Restore());
    ExpectRestored();
}

struct Damage {
    const char* name;
    std::function<void(ContainerBuilder&)> apply;
    bool needsDigests = false;
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

// A damage, applied to a container of today's writer and, unless it is about digests,
// to one of an older writer without them.
class HostileContainerTest : public HandMadeContainerTest,
                             public ::testing::WithParamInterface<std::tuple<Damage, bool>> {};

TEST_P(HostileContainerTest, FailsCleanlyAndTouchesNothing) {
    const auto& [damage, digests] = GetParam();
    builder_->digests = digests;
    builder_->Seal();
    damage.apply(*builder_);
    WriteContainer();
    EXPECT_FALSE(Restore({IDOK}));
    ASSERT_FALSE(ui_.messages.empty());
    EXPECT_EQ(ui_.messages.back().text.rfind(kDamaged, 0), 0u) << ui_.messages.back().text;
    ExpectStillHidden();
    EXPECT_TRUE(ui_.passwordPrompts.empty());
}

std::string Header(const StreamHeader& h) {
    uint8_t b[StreamHeader::kSize];
    h.Serialize(b);
    return std::string(reinterpret_cast<char*>(b), sizeof b);
}

void SetPath(ContainerBuilder& b, const std::string& path, size_t k = 0) {
    std::memset(b.files[k].header.sourcePath, 0, sizeof b.files[k].header.sourcePath);
    std::memcpy(b.files[k].header.sourcePath, path.data(), std::min(path.size(), sizeof b.files[k].header.sourcePath));
}

// The store folder the container's files belong to.
std::string Folder(const ContainerBuilder& b) {
    const std::string first = b.files[0].header.sourcePath;
    return first.substr(0, first.rfind('/'));
}

size_t IndexSize(const ContainerBuilder& b) { return IndexHeader::kSize + b.structure.size() + b.data.size(); }

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
    // The plan: exactly the streams the index names, each writing one file of the store.
    {"FewerFilesInIndexThanStreams", [](ContainerBuilder& b) { b.index.fileCount -= 1; }},
    {"StreamTheIndexDoesNotName", [](ContainerBuilder& b) { b.extraStreams.push_back({"stray", "x"}); }},
    {"TotalBytesOff", [](ContainerBuilder& b) { b.index.totalBytes += 1; }},
    {"TwoStreamsForOneFile", [](ContainerBuilder& b) { SetPath(b, b.files[1].header.sourcePath, 0); }},
    {"FileOfAnotherFolder", [](ContainerBuilder& b) { SetPath(b, "/tmp/Inbox.dbx"); }},
    {"FileOfASubfolder", [](ContainerBuilder& b) { SetPath(b, Folder(b) + "/old/Inbox.dbx"); }},
    {"NameWithANewline", [](ContainerBuilder& b) { SetPath(b, Folder(b) + "/In\nbox.dbx"); }},
    {"AnotherIdentitysContainer",
     [](ContainerBuilder& b) { PutFieldText(b.index.identityId, sizeof b.index.identityId, "{someone else}"); }},
    // Digests: one flipped bit anywhere a restore would write from.
    {"FlippedByteInAFile", [](ContainerBuilder& b) { b.flips.push_back({"00000", StreamHeader::kSize + 10}); }, true},
    {"FlippedByteInAStreamHeader", [](ContainerBuilder& b) { b.flips.push_back({"00002", StreamHeader::kModeOffset}); }, true},
    {"FlippedByteInTheRegistryBackup", [](ContainerBuilder& b) { b.flips.push_back({"index", IndexSize(b) - 1}); }, true},
    {"FlippedByteInTheSeal", [](ContainerBuilder& b) { b.flips.push_back({"seal", 30}); }, true},
    {"SealOfAnotherFileCount", [](ContainerBuilder& b) { b.flips.push_back({"seal", 8}); }, true},
};

std::vector<std::tuple<Damage, bool>> DamagedContainers() {
    std::vector<std::tuple<Damage, bool>> all;
    for (const Damage& damage : kDamages) {
        all.emplace_back(damage, true);
        if (!damage.needsDigests) all.emplace_back(damage, false);  // an older writer kept no digests
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Damages, HostileContainerTest, ::testing::ValuesIn(DamagedContainers()),
                         [](const ::testing::TestParamInfo<std::tuple<Damage, bool>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "" : "_OlderWriter");
                         });

}  // namespace
