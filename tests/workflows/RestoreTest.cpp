// Restores that must not complete, wrong passwords, and containers that lie: nothing is
// written unless everything checks out, and the container stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "base/OperationResult.h"
#include "crypto/Rc4.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryBackup.h"
#include "platform/AsciiCase.h"
#include "platform/CompoundFile.h"
#include "platform/File.h"
#include "store/Container.h"
#include "store/ContainerSeal.h"
#include "store/HeaderFields.h"
#include "store/IndexHeader.h"
#include "store/KeyCheck.h"
#include "store/StoreKey.h"
#include "store/StreamHeader.h"
#include "support/SystemFaults.h"
#include "support/World.h"

namespace fs = std::filesystem;

namespace {


// A restore that stops keeps the container and the registry as the hide left them;
// once the cause is gone the restore completes.
TEST(RestoreFailureTest, KeepsTheContainerAndCompletesOnceTheCauseIsGone) {
    struct Case {
        const char* what;
        int level;
        const char* passwordAtHide;
        std::vector<int> answers;           // to the question, then to what follows
        int result;                         // -1: not looked at
        bool storeAsHidden;                 // else: every file complete or absent
        std::function<void(World&)> make;   // after the hide
        std::function<void(World&)> fix;    // before the restore that completes
        bool (*possible)() = nullptr;       // whether this system can be made to fail this way
    };
    const auto nothing = [](World&) {};
    const Case cases[] = {
        {"declined question", SecurityHigh, "", {MessageAnswer::No}, ResultCanceled, true, nothing, nothing},
        {"the store folder missing",
         SecurityHigh,
         "",
         {MessageAnswer::Yes, MessageAnswer::Ok},
         ResultUnspecified,
         true,
         [](World& w) { fs::remove_all(w.StoreFolder()); },
         [](World& w) {
             EXPECT_FALSE(fs::exists(w.StoreFolder()));
             EXPECT_NE(w.ui->messages.back().text.find(w.RecordedFolder()), std::string::npos);  // the cause, named
             fs::create_directories(w.StoreFolder());
         }},
        // The third chunk belongs to Folders.DBX, after the first two files are complete.
        {"cancel confirmed while deciphering",
         SecurityMedium,
         "",
         {MessageAnswer::Yes, MessageAnswer::Yes},
         -1,
         false,
         [](World& w) { w.ui->CancelAtRequest(w.ui->cancelRequestsTaken + 3); },
         [](World& w) { EXPECT_EQ(w.MessageFiles().count("Folders.DBX"), 0u); }},
        {"every registry value write failing",
         SecurityHigh,
         "",
         {MessageAnswer::Yes, MessageAnswer::Ok},
         ResultRegistryError,
         false,
         [](World& w) { w.RefuseRegistryValueWrites(true); },
         [](World& w) { w.RefuseRegistryValueWrites(false); },
         &World::CanRefuseRegistryValueWrites},
        {"three wrong passwords",
         SecurityHigh,
         "old password",
         {MessageAnswer::Yes, MessageAnswer::Ok},
         ResultUnspecified,
         true,
         [](World& w) {
             for (const char* guess : {"one", "two", "three"}) w.ui->QueuePassword(guess);
         },
         [](World& w) {
             ASSERT_EQ(w.ui->passwordPrompts.size(), 3u);
             EXPECT_NE(w.ui->passwordPrompts[0].find("different password"), std::string::npos);
             EXPECT_NE(w.ui->messages.back().text.find("password does not match"), std::string::npos);
             w.ui->QueuePassword("old password");  // asked again, the right one completes
         }},
        {"the password prompt declined",
         SecurityHigh,
         "old password",
         {MessageAnswer::Yes, MessageAnswer::Ok},
         ResultUnspecified,
         true,
         [](World& w) { w.ui->QueuePasswordDecline(); },
         [](World& w) { w.ui->QueuePassword("old password"); }},
    };
    for (const Case& c : cases) {
        if (c.possible && !c.possible()) continue;
        SCOPED_TRACE(c.what);
        World world;
        world.SetLevel(c.level);
        world.SetPassword(c.passwordAtHide);
        const WorldState before = world.Now();
        ASSERT_TRUE(world.Hide().ok);
        const WorldState hidden = world.Now();
        const std::string container = ReadWholeFile(world.ContainerPath());
        world.SetPassword("");  // a password changed since the hide, or none in force
        c.make(world);
        const Outcome outcome = world.Restore({c.answers.begin() + 1, c.answers.end()}, c.answers[0]);
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

// Newer data in place is never overwritten, and a container that cannot be deleted
// after a restore is not left behind: either way the container is kept aside under a
// name the user is told, and the identity no longer counts as hidden.
TEST(RestoreFailureTest, ContainersAreKeptAsideInsteadOfOverwritingOrStaying) {
    std::optional<platform::InStorage> held;  // another reader holds the container
    const std::tuple<const char*, bool, const char*, std::function<void(World&)>> cases[] = {
        {"a store file with other content", false, "been kept as",
         [](World& w) { WriteWholeFile(w.StorePath("Inbox.dbx"), "newer mail"); }},
        {"a longer store file", false, "been kept as",
         [](World& w) { WriteWholeFile(w.StorePath("Inbox.dbx"), w.original().at("Inbox.dbx") + "!"); }},
        {"the identity listed with other settings", false, "been kept as",
         [](World& w) { SetText(IdentityPath(World::kGuard), "Username", "someone newer"); }},
        {"the container held after a restore", true, "could not be deleted",
         [&](World& w) { ASSERT_EQ(platform::kStorageOk, held.emplace().Open(w.ContainerPath())); }},
    };
    for (const auto& [what, restores, said, make] : cases) {
        SCOPED_TRACE(what);
        World world;
        const WorldState before = world.Now();
        ASSERT_TRUE(world.Hide().ok);
        make(world);
        WorldState expected = restores ? before : world.Now();
        expected.documents.clear();
        EXPECT_EQ(world.Restore({MessageAnswer::Ok}).ok, restores);
        held.reset();
        const std::string told = world.ui->messages.back().text;
        EXPECT_NE(told.find(said), std::string::npos) << told;
        if (restores && !HeldFilesCanBeRenamed()) {
            // Windows moves no file another program holds: the container stays, and a
            // restore once it is free only deletes it.
            EXPECT_NE(told.find("It is still at:\r\n" + world.ContainerPath()), std::string::npos) << told;
            EXPECT_TRUE(IsIdentityHidden());
            EXPECT_TRUE(world.Restore().ok);
            EXPECT_EQ(world.Now(), before);
            continue;
        }
        EXPECT_FALSE(IsIdentityHidden());
        WorldState now = world.Now();
        ASSERT_EQ(now.documents.size(), 1u);
        EXPECT_NE(now.documents[0].find(".kept-"), std::string::npos);
        EXPECT_NE(told.find(world.Documents() + platform::kPathSeparator + now.documents[0]), std::string::npos) << told;
        now.documents.clear();
        EXPECT_EQ(now, expected);
    }
}

TEST_F(WorldTest, LeftoversOfADeadRunAreErasedAsTheContainerErases) {
    ASSERT_TRUE(world.Hide().ok);
    const std::string container = ReadWholeFile(world.ContainerPath());
    // What a killed restore leaves in the store, and a killed hide in the documents.
    const std::string part = world.StorePath("Inbox.dbx.0123abcd.part");
    WriteWholeFile(part, world.original().at("Inbox.dbx"));
    WriteWholeFile(world.Documents() + "/" + World::kGuard + ".89abcdef.tmp", "half a container");
    const std::string users = std::string(World::kOther) + ".tmp";  // another identity's
    WriteWholeFile(world.Documents() + "/" + users, "the user's own");
    // Names that only look like ours are the user's.
    const std::map<std::string, std::string> usersInStore = {{"notes.part", "mine"}, {"Inbox.dbx.notours.part", "mine"}};
    for (const auto& [name, bytes] : usersInStore) WriteWholeFile(world.StorePath(name), bytes);
    size_t shredded = 0;
    const std::string partAsErased = world.RecordedPath("Inbox.dbx.0123abcd.part");
    world.OnShred([&](const std::string& path, const uint8_t*, size_t n) { shredded += path == partAsErased ? n : 0; });
    world.CleanLeftovers();
    EXPECT_EQ(shredded, world.original().at("Inbox.dbx").size());  // the high level shreds plain copies
    auto files = world.StoreFiles();
    for (const auto& [name, bytes] : usersInStore) EXPECT_EQ(files[name], bytes);
    EXPECT_FALSE(fs::exists(part));
    EXPECT_EQ(world.DocumentEntries(), (std::vector<std::string>{users, std::string(World::kGuard) + ".dat"}));
    EXPECT_EQ(ReadWholeFile(world.ContainerPath()), container);
}

TEST_F(WorldTest, LowLevelContainerRestoresTheRegistryOnly) {
    world.SetLevel(SecurityLow);
    ASSERT_TRUE(world.Hide().ok);
    fs::remove(world.StorePath("Inbox.dbx"));  // proves no file is written
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_FALSE(fs::exists(world.StorePath("Inbox.dbx")));
    EXPECT_EQ(world.Now().identities, before.identities);
}

// Containers written by hand, the way a damaged disk, an older writer or a hostile
// sender might: every field and stream can be set to anything before the file is written.
struct BuiltFileStream {
    StreamHeader header;
    std::string plain;     // enciphered under the header's salt when written
    bool present = true;   // false: the stream is left out
    std::string raw;       // when set, written instead of header and data
};

template <class Header>
std::string Serialized(const Header& h) {
    uint8_t b[Header::kSize];
    h.Serialize(b);
    return std::string(reinterpret_cast<char*>(b), sizeof b);
}

Rc4State KeyFor(const uint8_t (&salt)[16], const std::string& password) {
    Rc4State state;
    DeriveStoreKey(salt, sizeof salt, password, state);
    return state;
}

// The digest of one stream as the program computes it (see ContainerSeal).
void Digest(const Rc4State& freshlyKeyed, DigestRole role, const uint8_t (&containerSalt)[16], uint32_t number,
            const std::string& bytes, uint8_t (&digest)[Poly1305::kTagSize]) {
    uint8_t key[Poly1305::kKeySize];
    DeriveDigestKey(freshlyKeyed, role, key);
    Poly1305 mac(key);
    if (role == DigestRole::FileStream) StartStreamDigest(mac, containerSalt, number);
    mac.Update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    mac.Final(digest);
}

struct ContainerBuilder {
    // A valid container of the identity's current registry key and the world's message
    // files, keyed with the world's password, set here.
    ContainerBuilder(World& world, const std::string& pw) : password(pw) {
        world.SetPassword(pw);
        RegistryBackup backup;
        EXPECT_EQ(BackupIdentityKey(GetGuardId(), backup), KeyWalk::Done);
        structure.assign(reinterpret_cast<const char*>(backup.StructureStream.Data()), backup.StructureStream.Length());
        data.assign(reinterpret_cast<const char*>(backup.DataStream.Data()), backup.DataStream.Length());
        EXPECT_TRUE(PutFieldText(index.defaultUserId, sizeof index.defaultUserId, backup.DefaultUserId));
        EXPECT_TRUE(PutFieldText(index.lastUserId, sizeof index.lastUserId, backup.LastUserId));
        EXPECT_TRUE(PutFieldText(index.lastUsername, sizeof index.lastUsername, backup.LastUsername));
        EXPECT_TRUE(PutFieldText(index.startAs, sizeof index.startAs, backup.StartAs));
        index.securityLevel = 2;
        unsigned seed = 7;
        for (const auto& [name, bytes] : world.original()) {
            BuiltFileStream f;
            for (uint8_t& b : f.header.salt) b = static_cast<uint8_t>(seed = seed * 1103515245u + 12345u);
            EXPECT_TRUE(PutFieldText(f.header.sourcePath, sizeof f.header.sourcePath, world.RecordedPath(name)));
            f.plain = bytes;
            files.push_back(f);
        }
        Seal();
    }

    // Fills the counts and the file streams' check values from the current password and
    // sizes, and with `digests` marks the index as sealed and every stream header as stamped.
    void Seal() {
        index.fileCount = static_cast<uint32_t>(files.size());
        index.structureLength = static_cast<uint32_t>(structure.size());
        index.dataLength = static_cast<uint32_t>(data.size());
        index.totalBytes = 0;
        index.reserved = digests ? ContainerSeal::kSealedMark : 0;
        for (BuiltFileStream& f : files) {
            index.totalBytes += static_cast<uint32_t>(f.plain.size());
            f.header.marked = true;
            f.header.stamped = digests;
            f.header.mode = 0640;
            f.header.modifiedSeconds = 1000000000;
            f.header.modifiedNanoseconds = 5;
            f.header.plainSize = f.plain.size();
            ComputeKeyCheck(KeyFor(f.header.salt, password), f.header.keyCheck);
        }
    }

    void Write(const std::string& path) const {
        if (!rawFile.empty()) return WriteWholeFile(path, rawFile);
        const std::string indexBytes = rawIndex.empty() ? Serialized(index) + structure + data : rawIndex;
        std::vector<std::pair<std::string, std::string>> streams = {{"index", indexBytes}};
        ContainerSeal seal;
        const Rc4State indexKey = KeyFor(index.salt, password);
        ComputeKeyCheck(indexKey, seal.keyCheck);
        Digest(indexKey, DigestRole::Index, {}, 0, indexBytes, seal.indexDigest);
        for (size_t k = 0; k < files.size(); ++k) {
            const BuiltFileStream& f = files[k];
            const Rc4State key = KeyFor(f.header.salt, password);
            std::string bytes = f.raw;
            if (bytes.empty()) {
                std::string body = f.plain;
                Rc4State cipher = key;
                Rc4Crypt(reinterpret_cast<uint8_t*>(&body[0]), body.size(), cipher);
                bytes = Serialized(f.header) + body;
            }
            seal.streamDigests.emplace_back();
            Digest(key, DigestRole::FileStream, index.salt, static_cast<uint32_t>(k), bytes,
                   seal.streamDigests.back().bytes);
            if (f.present) streams.push_back({World::StreamName(k), bytes});
        }
        if (digests) {
            const std::vector<uint8_t> sealBytes = seal.Serialize();
            streams.push_back({ContainerSeal::kStreamName, std::string(sealBytes.begin(), sealBytes.end())});
        }
        streams.insert(streams.end(), extraStreams.begin(), extraStreams.end());
        for (const auto& [name, offset] : flips) {
            for (auto& stream : streams) {
                if (stream.first == name) stream.second.at(offset) ^= 0x01;
            }
        }
        platform::OutStorage storage;
        ASSERT_EQ(platform::kStorageOk, storage.Create(path));
        for (const auto& [name, bytes] : streams) {
            platform::OutStream stream;
            size_t written = 0;
            ASSERT_EQ(platform::kStorageOk, storage.CreateStream(name, stream));
            ASSERT_TRUE(bytes.empty() || stream.Write(bytes.data(), bytes.size(), &written) == platform::kStorageOk);
            ASSERT_EQ(platform::kStorageOk, stream.Commit());
        }
        ASSERT_EQ(platform::kStorageOk, storage.Commit());
    }

    IndexHeader index;
    std::string structure, data;
    std::string rawIndex;  // when set, the whole index stream
    std::string rawFile;   // when set, the whole file: not a compound file at all
    std::vector<BuiltFileStream> files;
    std::string password;
    // Written as this program writes today: a seal stream with every digest. Without
    // it the container is one of an older writer.
    bool digests = true;
    // Bytes flipped after the digests are computed: (stream name, offset in the stream).
    std::vector<std::pair<std::string, size_t>> flips;
    // Streams written besides the ones above: (name, bytes).
    std::vector<std::pair<std::string, std::string>> extraStreams;
};

TEST_F(WorldTest, SoundContainersOfTodayAndOfOlderWritersRestore) {
    ContainerBuilder builder(world, "pw");
    // Today's writer; an older one without digests, modes or times; an older one still,
    // that marked no stream.
    for (int age : {0, 1, 2}) {
        SCOPED_TRACE(age);
        builder.digests = age == 0;
        builder.Seal();
        for (auto& f : builder.files) f.header.marked = age < 2;
        for (const auto& [name, bytes] : world.original()) fs::remove(world.StorePath(name));
        builder.Write(world.ContainerPath());
        ASSERT_TRUE(world.Restore().ok);
        EXPECT_EQ(world.Now(), before);
        for (const auto& [name, bytes] : world.original()) {
            // Without a recorded mode the files are the user's alone.
            if (platform::kFilesCarryPermissionBits) {
                EXPECT_EQ(fs::status(world.StorePath(name)).permissions(), fs::perms(age ? 0600 : 0640)) << name;
            }
        }
    }
}

struct Damage {
    const char* name;
    std::function<void(ContainerBuilder&)> apply;
    bool needsDigests = false;
};

void SetPath(ContainerBuilder& b, const std::string& path, size_t k = 0) {
    std::memset(b.files[k].header.sourcePath, 0, sizeof b.files[k].header.sourcePath);
    std::memcpy(b.files[k].header.sourcePath, path.data(), std::min(path.size(), sizeof b.files[k].header.sourcePath));
}

// The store folder the container's files belong to.
std::string Folder(const ContainerBuilder& b) {
    const std::string first = b.files[0].header.sourcePath;
    return first.substr(0, first.find_last_of("/\\"));
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
     [](ContainerBuilder& b) { b.files[3].raw = Serialized(b.files[3].header) + std::string(100, 'x'); }},
    {"ParentFolderInPath", [](ContainerBuilder& b) { SetPath(b, "/tmp/../etc/evil.dbx"); }},
    {"RelativePath", [](ContainerBuilder& b) { SetPath(b, "evil.dbx"); }},
    {"NotAStoreFile", [](ContainerBuilder& b) { SetPath(b, "/tmp/.bashrc"); }},
    {"UnterminatedPath", [](ContainerBuilder& b) { SetPath(b, std::string(300, 'a') + ".dbx"); }},
    {"UnknownTailInStreamHeader", [](ContainerBuilder& b) {
         b.files[0].raw = Serialized(b.files[0].header) + b.files[0].plain;
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

// A container the Windows build wrote under Wine: its saved store folder and its files
// carry a drive letter and backslashes, and Windows lower-cased the folder when it
// recorded the files. The restore puts them, byte for byte, in the folder Wine names
// (Z: is the root; other drives are the prefix's links, matched without regard to case)
// and saves that folder as the identity's; a drive nothing maps changes nothing.
TEST(OtherSystemContainerTest, RestoresIntoTheFolderWineNames) {
    struct Case {
        const char* name;
        std::function<std::string(const World&)> storeRoot;  // as the Windows build saved it
        bool restores;
    };
    const auto backslashed = [](std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    };
    const Case cases[] = {
        {"drive Z: is the root", [&](const World& w) { return "Z:" + backslashed(w.StoreFolder()); }, true},
        {"drive C: through the prefix", [](const World&) { return std::string("C:\\MAIL\\Store {6a1c}"); }, true},
        {"a drive nothing maps", [](const World&) { return std::string("D:\\Mail\\Store {6A1C}"); }, false},
    };
    // The Windows build's own containers are local there; the crossing is run whole,
    // with both builds, by the Windows tests' scripts.
    if (!platform::IsOtherSystemPath("C:\\Mail")) GTEST_SKIP() << "containers of the Windows build are local here";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        ScopedEnvironment wine;
        const std::string prefix = world.home.path() + "/wineprefix";
        fs::create_directories(prefix + "/dosdevices");
        fs::create_directory_symlink(world.profile.path(), prefix + "/dosdevices/c:");
        wine.Set("WINEPREFIX", prefix);
        const std::string storeRoot = c.storeRoot(world);
        world.AddIdentity(World::kGuard, "Work", "work-user-id", storeRoot);
        ContainerBuilder builder(world, "pw");
        const std::string recordedFolder = platform::LowerAsciiText(storeRoot);  // as Windows records it
        size_t k = 0;
        for (const auto& [name, bytes] : world.original()) SetPath(builder, recordedFolder + "\\" + name, k++);
        builder.Write(world.ContainerPath());
        for (const auto& [name, bytes] : world.original()) fs::remove(world.StorePath(name));
        world.DeleteIdentities();
        const WorldState hidden = world.Now();

        const Outcome outcome = c.restores ? world.Restore() : world.Restore({MessageAnswer::Ok});
        if (!c.restores) {
            EXPECT_FALSE(outcome.ok);
            ASSERT_FALSE(world.ui->messages.empty());
            EXPECT_NE(world.ui->messages.back().text.find("cannot be reached"), std::string::npos);
            EXPECT_EQ(world.Now(), hidden);
            continue;
        }
        ASSERT_TRUE(outcome.ok) << (world.ui->messages.empty() ? "" : world.ui->messages.back().text);
        EXPECT_EQ(world.MessageFiles(), world.original());
        EXPECT_FALSE(fs::exists(world.ContainerPath()));
        const IdentityCatalogue listed = IdentityCatalogue::Read();
        ASSERT_GE(listed.Find(World::kGuard), 0);
        EXPECT_EQ(listed.At(static_cast<size_t>(listed.Find(World::kGuard))).StoreRoot, world.StoreFolder());
    }
}

// Each damage, applied to a container of today's writer and, unless it is about digests,
// to one of an older writer without them.
TEST(HostileContainerTest, FailsCleanlyAndTouchesNothing) {
    for (const Damage& damage : kDamages) {
        for (bool digests : {true, false}) {
            if (damage.needsDigests && !digests) continue;
            SCOPED_TRACE(std::string(damage.name) + (digests ? "" : ", older writer"));
            World world;
            ContainerBuilder builder(world, "pw");
            builder.digests = digests;
            builder.Seal();
            damage.apply(builder);
            for (const auto& [name, bytes] : world.original()) fs::remove(world.StorePath(name));
            builder.Write(world.ContainerPath());
            const WorldState hidden = world.Now();
            const std::string container = ReadWholeFile(world.ContainerPath());
            EXPECT_FALSE(world.Restore({MessageAnswer::Ok}).ok);
            ASSERT_FALSE(world.ui->messages.empty());
            const std::string said = world.ui->messages.back().text;
            EXPECT_EQ(said.rfind("The protected container is damaged", 0), 0u) << said;
            EXPECT_EQ(world.Now(), hidden);
            EXPECT_EQ(ReadWholeFile(world.ContainerPath()), container);
            EXPECT_TRUE(world.ui->passwordPrompts.empty());
            EXPECT_EQ(world.ui->openWindows, 0);
        }
    }
}

}  // namespace
