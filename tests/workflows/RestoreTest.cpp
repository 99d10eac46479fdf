// Restores that must not complete, wrong passwords, and containers that lie: nothing is
// written unless everything checks out, and the container stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "ContainerBuilder.h"
#include "base/OperationResult.h"
#include "platform/CompoundFile.h"
#include "store/Container.h"
#include "store/HeaderFields.h"
#include "support/World.h"

namespace fs = std::filesystem;

namespace {

const char kDamaged[] = "The protected container is damaged";

// A restore that stops keeps the container and the registry as the hide left them;
// once the cause is gone the restore completes.
TEST(RestoreFailureTest, KeepsTheContainerAndCompletesOnceTheCauseIsGone) {
    struct Case {
        const char* what;
        int level;
        const char* passwordAtHide;
        std::function<void(World&)> make;  // after the hide
        std::vector<int> later;
        int first;
        int result;                         // -1: not looked at
        bool storeAsHidden;                 // else: every file complete or absent
        std::function<void(World&)> fix;    // before the restore that completes
    };
    const Case cases[] = {
        {"declined question", SecurityHigh, "", [](World&) {}, {}, IDNO, ResultCanceled, true, [](World&) {}},
        {"the store folder missing", SecurityHigh, "", [](World& w) { fs::remove_all(w.StoreFolder()); }, {IDOK},
         IDYES, ResultUnspecified, true, [](World& w) {
             EXPECT_FALSE(fs::exists(w.StoreFolder()));
             EXPECT_NE(w.ui->messages.back().text.find(w.StoreFolder()), std::string::npos);  // the cause, named
             fs::create_directories(w.StoreFolder());
         }},
        // The third chunk belongs to Folders.DBX, after the first two files are complete.
        {"cancel confirmed while deciphering", SecurityMedium, "",
         [](World& w) { w.ui->CancelAtRequest(w.ui->cancelRequestsTaken + 3); }, {IDYES}, IDYES, -1,
         false, [](World& w) { EXPECT_EQ(w.MessageFiles().count("Folders.DBX"), 0u); }},
        {"every registry value write failing", SecurityHigh, "", [](World& w) { w.RefuseRegistryValueWrites(true); },
         {IDOK}, IDYES, ResultRegistryError, false, [](World& w) { w.RefuseRegistryValueWrites(false); }},
        {"three wrong passwords", SecurityHigh, "old password",
         [](World& w) {
             w.SetPassword("");
             for (const char* guess : {"one", "two", "three"}) w.ui->QueuePassword(guess);
         },
         {IDOK}, IDYES, ResultUnspecified, true, [](World& w) {
             EXPECT_EQ(w.ui->passwordPrompts.size(), 3u);
             EXPECT_NE(w.ui->messages.back().text.find("password does not match"), std::string::npos);
             w.SetPassword("old password");
         }},
        {"the password prompt declined", SecurityHigh, "old password",
         [](World& w) {
             w.SetPassword("");
             w.ui->QueuePasswordDecline();
         },
         {IDOK}, IDYES, ResultUnspecified, true, [](World& w) { w.SetPassword("old password"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        world.SetLevel(c.level);
        world.SetPassword(c.passwordAtHide);
        const WorldState before = world.Now();
        ASSERT_TRUE(world.Hide().ok);
        const WorldState hidden = world.Now();
        const std::string container = ReadWholeFile(world.ContainerPath());
        c.make(world);
        const Outcome outcome = world.Restore(c.later, c.first);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(c.result < 0 || outcome.result == c.result) << outcome.result;
        EXPECT_EQ(ReadWholeFile(world.ContainerPath()), container);
        EXPECT_EQ(world.Now().identities, hidden.identities);  // no half-built identity
        EXPECT_TRUE(!c.storeAsHidden || world.MessageFiles() == hidden.store);
        for (const auto& [name, bytes] : world.MessageFiles()) EXPECT_EQ(bytes, world.original().at(name)) << name;
        EXPECT_EQ(world.ui->openWindows, 0);
        c.fix(world);
        ASSERT_TRUE(world.Restore().ok);
        EXPECT_EQ(world.Now(), before);
    }
}

TEST(RestoreFailureTest, NewerDataInPlaceIsNeverOverwritten) {
    const std::pair<const char*, std::function<void(World&)>> cases[] = {
        {"a store file with other content", [](World& w) { WriteWholeFile(w.StorePath("Inbox.dbx"), "newer mail"); }},
        {"a longer store file",
         [](World& w) { WriteWholeFile(w.StorePath("Inbox.dbx"), w.original().at("Inbox.dbx") + "!"); }},
        {"the identity listed with other settings",
         [](World& w) { SetText(IdentityPath(World::kGuard), "Username", "someone newer"); }},
    };
    for (const auto& [what, makeNewer] : cases) {
        SCOPED_TRACE(what);
        World world;
        ASSERT_TRUE(world.Hide().ok);
        makeNewer(world);
        WorldState newer = world.Now();
        newer.documents.clear();
        EXPECT_FALSE(world.Restore({IDOK}).ok);
        // The old container is kept under a name the user is told, and the identity no
        // longer counts as hidden.
        EXPECT_FALSE(IsIdentityHidden());
        WorldState now = world.Now();
        ASSERT_EQ(now.documents.size(), 1u);
        EXPECT_NE(world.ui->messages.back().text.find(world.Documents() + "/" + now.documents[0]), std::string::npos);
        now.documents.clear();
        EXPECT_EQ(now, newer);
    }
}

class RestoreTest : public WorldTest {
protected:
    void HideForReal() {
        ASSERT_TRUE(world.Hide().ok);
        container_ = ReadWholeFile(world.ContainerPath());
        ui.messages.clear();
    }
    std::string container_;
};

TEST_F(RestoreTest, WrongPasswordIsAskedAgainUntilTheRightOne) {
    world.SetPassword("old password");
    HideForReal();
    world.SetPassword("new password");
    ui.QueuePassword("a guess");
    ui.QueuePassword("old password");
    ASSERT_TRUE(world.Restore().ok);
    ASSERT_EQ(ui.passwordPrompts.size(), 2u);
    EXPECT_NE(ui.passwordPrompts[0].find("different password"), std::string::npos);
    EXPECT_EQ(world.Now().store, before.store);
}

TEST_F(RestoreTest, InterruptedRestoreIsCompletedNotKeptAside) {
    HideForReal();
    // Killed after the files and the registry were back, before the container went.
    ASSERT_TRUE(world.Restore().ok);
    WriteWholeFile(world.ContainerPath(), container_);
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_EQ(world.Now(), before);
}

TEST_F(RestoreTest, ContainerThatCannotBeDeletedIsMovedAsideAndTheUserTold) {
    HideForReal();
    platform::InStorage held;  // another reader holds the container
    ASSERT_EQ(platform::kStorageOk, held.Open(world.ContainerPath()));
    ASSERT_TRUE(world.Restore({IDOK}).ok);
    held.Release();
    const auto kept = world.DocumentEntries();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(kept[0].find(".kept-"), std::string::npos);
    EXPECT_NE(ui.messages.back().text.find("could not be deleted"), std::string::npos);
    EXPECT_NE(ui.messages.back().text.find(kept[0]), std::string::npos);
    EXPECT_EQ(world.Now().store, before.store);
}

TEST_F(RestoreTest, LeftoversOfADeadRunAreErasedAsTheContainerErases) {
    HideForReal();
    // What a killed restore leaves in the store, and a killed hide in the documents.
    const std::string part = world.StorePath("Inbox.dbx.0123abcd.part");
    WriteWholeFile(part, world.original().at("Inbox.dbx"));
    WriteWholeFile(world.Documents() + "/" + World::kGuard + ".89abcdef.tmp", "half a container");
    WriteWholeFile(world.Documents() + "/mine.tmp", "the user's own");
    // Names that only look like ours are the user's.
    const std::map<std::string, std::string> users = {{"notes.part", "mine"}, {"Inbox.dbx.notours.part", "mine"}};
    for (const auto& [name, bytes] : users) WriteWholeFile(world.StorePath(name), bytes);
    size_t shredded = 0;
    world.OnShred([&](const std::string& path, const uint8_t*, size_t n) {
        if (path == part) shredded += n;
    });
    world.CleanLeftovers();
    EXPECT_EQ(shredded, world.original().at("Inbox.dbx").size());  // the high level shreds plain copies
    auto files = world.StoreFiles();
    for (const auto& [name, bytes] : users) EXPECT_EQ(files[name], bytes);
    EXPECT_FALSE(fs::exists(part));
    EXPECT_EQ(world.DocumentEntries(), (std::vector<std::string>{"mine.tmp", std::string(World::kGuard) + ".dat"}));
    EXPECT_EQ(ReadWholeFile(world.ContainerPath()), container_);
}

TEST_F(RestoreTest, LowLevelContainerRestoresTheRegistryOnly) {
    world.SetLevel(SecurityLow);
    HideForReal();
    fs::remove(world.StorePath("Inbox.dbx"));  // proves no file is written
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_FALSE(fs::exists(world.StorePath("Inbox.dbx")));
    EXPECT_EQ(world.Now().identities, before.identities);
}

// Containers written by hand, as an older writer or an attacker would.
class HandMadeContainerTest : public WorldTest {
protected:
    HandMadeContainerTest() {
        world.SetPassword("pw");
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& [name, bytes] : world.original()) files.push_back({world.StorePath(name), bytes});
        builder_ = std::make_unique<ContainerBuilder>(files, "pw");
        for (const auto& [name, bytes] : world.original()) fs::remove(world.StorePath(name));
        hidden_ = world.Now();
    }
    void WriteContainer() {
        builder_->Write(world.ContainerPath());
        hidden_.documents = world.DocumentEntries();
    }
    std::unique_ptr<ContainerBuilder> builder_;
    WorldState hidden_;
};

TEST_F(HandMadeContainerTest, SoundContainersOfTodayAndOfOlderWritersRestore) {
    WriteContainer();
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_EQ(world.Now().store, before.store);

    builder_->digests = false;
    builder_->Seal();
    for (const auto& [name, bytes] : world.original()) fs::remove(world.StorePath(name));
    WriteContainer();
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_EQ(world.Now().store, before.store);
    for (const auto& [name, bytes] : world.original()) {
        // Without a recorded mode the files are the user's alone.
        EXPECT_EQ(fs::status(world.StorePath(name)).permissions(), fs::perms(0600)) << name;
    }

    for (auto& f : builder_->files) f.header.marked = false;
    for (const auto& [name, bytes] : world.original()) fs::remove(world.StorePath(name));
    WriteContainer();
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_EQ(world.Now(), before);
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
    const std::string container = ReadWholeFile(world.ContainerPath());
    EXPECT_FALSE(world.Restore({IDOK}).ok);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text.rfind(kDamaged, 0), 0u) << ui.messages.back().text;
    EXPECT_EQ(world.Now(), hidden_);
    EXPECT_EQ(ReadWholeFile(world.ContainerPath()), container);
    EXPECT_TRUE(ui.passwordPrompts.empty());
    EXPECT_EQ(ui.openWindows, 0);
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
    // A subkey name no registry could hold.
    {"SubkeyNameTooLong", [](ContainerBuilder& b) {
         b.structure = "\x02" + std::string(300, 'k') + std::string("\0\x03\xff", 3);
         b.data.clear();
         b.Seal();
     }},
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
     [](ContainerBuilder& b) { ASSERT_TRUE(PutFieldText(b.index.identityId, sizeof b.index.identityId, "{someone else}")); }},
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
