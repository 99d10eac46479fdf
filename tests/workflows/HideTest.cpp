// Hides at every level and every way out of a hide that does not complete.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "base/OperationResult.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "platform/File.h"
#include "store/Container.h"
#include "support/FilePrivacy.h"
#include "support/ScopedFileSizeLimit.h"
#include "support/SystemFaults.h"
#include "support/World.h"

namespace fs = std::filesystem;

namespace {

class RoundTripTest : public WorldTest, public ::testing::WithParamInterface<int> {};

TEST_P(RoundTripTest, HideThenRestoreBringsBackEveryByteAndEveryValue) {
    const int level = GetParam();
    world.SetLevel(level);
    world.SetPassword("correct horse");
    SetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, std::string(255, 'n'));  // the longest text
    before = world.Now();
    // Modes and times come back as they were, whatever the umask of the restore.
    fs::permissions(world.StorePath("Inbox.dbx"), fs::perms(0640));
    fs::permissions(world.StorePath("Folders.DBX"), fs::perms(0604));
    fs::last_write_time(world.StorePath("Empty.dbx"), fs::file_time_type(std::chrono::hours(-24 * 365 * 3)));
    std::map<std::string, std::pair<fs::perms, fs::file_time_type>> stamps;
    for (const auto& [name, bytes] : world.original()) {
        stamps[name] = {fs::status(world.StorePath(name)).permissions(), fs::last_write_time(world.StorePath(name))};
    }
    size_t shredWrites = 0;
    world.OnShred([&](const std::string&, const uint8_t*, size_t) { ++shredWrites; });
    // Neither a cancel the user takes back nor progress windows that cannot be made stop it.
    if (level == SecurityMedium) ui.CancelAtRequest(2);
    if (level == SecurityHigh) ui.FailProgressWindows();

    const Outcome hidden = level == SecurityMedium ? world.Hide({MessageAnswer::No}) : world.Hide();
    ASSERT_TRUE(hidden.ok);
    EXPECT_EQ(hidden.result, ResultUnspecified);
    // The question names the identity and lists what the level does.
    EXPECT_EQ(ui.messages[0].style, MessageStyle::YesNo | MessageStyle::IconQuestion);
    if (level == SecurityLow) {  // the high level's text is the declined hide's in the failure table
        EXPECT_NE(ui.messages[0].text.find("Security mode is LOW."), std::string::npos);
        EXPECT_NE(ui.messages[0].text.find("- message store will be left UNENCRYPTED\r\n\r\n\r\nAre you"),
                  std::string::npos);
    }
    EXPECT_TRUE(IsIdentityHidden());
    EXPECT_FALSE(world.Listed());
    EXPECT_FALSE(KeyExists(IdentityPath(World::kGuard)));
    // Every pointer now names the other identity.
    EXPECT_EQ(GetText(MailClient::kIdentitiesKey, MailClient::kDefaultUserIdValue), "home-user-id");
    EXPECT_EQ(GetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue), "Home");
    // The container is private, and read-only until the restore.
    EXPECT_TRUE(OnlyTheUserMayOpen(world.ContainerPath()));
    EXPECT_EQ(platform::ReadFileAttributes(world.ContainerPath()) & platform::AttributeReadOnly,
              platform::AttributeReadOnly);
    EXPECT_EQ(world.DocumentEntries(), std::vector<std::string>{std::string(World::kGuard) + ".dat"});
    if (level == SecurityLow) {
        EXPECT_EQ(world.MessageFiles(), world.original());
    } else {
        // Only what is not part of the store is left.
        EXPECT_EQ(world.StoreFiles(), (std::map<std::string, std::string>{{"notes.txt", "keep me"}}));
        EXPECT_EQ(ReadWholeFile(world.StorePath("old.dbx") + "/Inbox.dbx"), "nested");
    }
    EXPECT_EQ(shredWrites > 0, level == SecurityHigh);  // only the high level overwrites
    EXPECT_EQ(ui.CountProgress("hidecancel"), level == SecurityMedium ? 1 : 0);

    const std::string container = ReadWholeFile(world.ContainerPath());
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_FALSE(platform::FileExists(world.ContainerPath()));
    EXPECT_TRUE(world.Listed());
    EXPECT_EQ(world.Now(), before);
    for (const auto& [name, stamp] : stamps) {
        EXPECT_EQ(fs::status(world.StorePath(name)).permissions(), stamp.first) << name;
        EXPECT_EQ(fs::last_write_time(world.StorePath(name)), stamp.second) << name;
    }
    EXPECT_EQ(ui.openWindows, 0);
    EXPECT_EQ(ui.messages.size(), level == SecurityMedium ? 3u : 2u);  // the questions, nothing else
    // A restore killed after the files and the registry were back, before the container
    // went, is completed, not kept aside.
    WriteWholeFile(world.ContainerPath(), container);
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_EQ(world.Now(), before);
}

INSTANTIATE_TEST_SUITE_P(Levels, RoundTripTest, ::testing::Values(SecurityLow, SecurityMedium, SecurityHigh));

// A hide that stops: nothing changes anywhere, not even outside the world's folders.
TEST(HideFailureTest, StopsBeforeAnythingChangesAndSaysWhy) {
    struct Case {
        const char* what;
        std::vector<int> answers;  // to the question, then to a message that explains it
        int result;
        const char* said;  // part of the last message
        std::function<void(World&)> make;
        bool (*possible)() = nullptr;  // whether this system can be made to fail this way
    };
    const std::vector<int> kTold = {MessageAnswer::Yes, MessageAnswer::Ok};
    const auto kRead = platform::File::Mode::Read;
    std::optional<platform::File> held;
    std::optional<ScopedFileSizeLimit> diskFull;
    const Case cases[] = {
        {"declined question",
         {MessageAnswer::No},
         ResultCanceled,
         "You are about to hide an identity: \"Work\"\r\nSecurity mode is HIGH. Following action(s) will be performed:"
         "\r\n- Identity will be hidden for Outlook Express\r\n- message store will be encrypted and hidden\r\n- "
         "original unencrypted message store files will be SHREDDED\r\n\r\nAre you sure you want to continue?",
         [](World&) {}},
        {"a container already there",
         {MessageAnswer::Yes},
         ResultAlreadyHidden,
         "Are you sure",
         [](World& w) { WriteWholeFile(w.ContainerPath(), "someone else's container"); }},
        {"the key gone after the catalogue was read",
         {MessageAnswer::Yes},
         ResultRegistryError,
         "Are you sure",
         [](World& w) {
             RegistryKey identities;
             ASSERT_EQ(platform::RegStatus::Success,
                       identities.Open(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey,
                                       platform::KeyAccess::AllAccess));
             ASSERT_EQ(platform::RegStatus::Success, identities.DeleteSubtree(World::kGuard));
         }},
        // Taken once the user has said yes: on Windows nobody else, the test included,
        // may read a held file.
        {"a store file held by another program", kTold, ResultCopyError, "Folders.DBX",
         [&](World& w) {
             w.ui->onMessage = [&held, &w](const std::string&) {
                 if (held) return;
                 ASSERT_TRUE(platform::File::Open(w.StorePath("Folders.DBX"), kRead, held.emplace()).ok());
             };
         }},
        {"no message files", kTold, ResultCopyError, "Unable to open the Message Store",
         [](World& w) {
             for (const auto& [name, bytes] : w.original()) fs::remove(w.StorePath(name));
         }},
        {"cancel confirmed while encrypting",
         {MessageAnswer::Yes},
         ResultCopyError,
         "Are you sure you want to cancel?",
         [](World& w) {
             w.ui->CancelAtRequest(3);
             w.ui->QueueAnswer(MessageAnswer::Yes);
         }},
        {"a full disk", kTold, ResultCopyError, "could not be copied", [&](World&) { diskFull.emplace(64 * 1024); },
         &ScopedFileSizeLimit::Available},
        {"a container that does not read back as written", kTold, ResultCopyError, "did not pass its check",
         [](World& w) {
             w.ui->onStatus = [&w](const std::string& status) {
                 if (status != "Checking protected container") return;
                 std::string bytes = ReadWholeFile(w.ContainerPath());
                 bytes[bytes.size() / 2] ^= 1;  // inside the enciphered mail
                 fs::permissions(w.ContainerPath(), fs::perms::owner_write, fs::perm_options::add);
                 WriteWholeFile(w.ContainerPath(), bytes);
             };
         }},
        {"a store file that links outside the store", kTold, ResultCopyError, "Link.dbx",
         [](World& w) { fs::create_symlink(w.home.file("elsewhere.dbx"), w.StorePath("Link.dbx")); }, &CanMakeLinks},
        {"a store file that is a pipe", kTold, ResultCopyError, "Pipe.dbx",
         [](World& w) { ASSERT_TRUE(MakePipe(w.StorePath("Pipe.dbx"))); }, &CanMakePipes},
        {"a store file name with a newline", kTold, ResultCopyError, "control characters",
         [](World& w) { WriteWholeFile(w.StorePath("In\nbox.dbx"), "x"); }, &NamesMayHoldControlCharacters},
        {"a registry key deeper than a restore accepts", kTold, ResultRegistryError, "too deep",
         [](World&) {
             std::string path = IdentityPath(World::kGuard);
             for (int level = 0; level < 600; ++level) path += "\\k";
             CreateKeyPath(path);
         },
         &RegistryNestsDeeperThanWindows},
        {"a key name that is not a plain file name", kTold, ResultRegistryError, "cannot name a file",
         [](World& w) {
             w.AddIdentity("../../escaped", "Escaped", "escaped-id", "%userprofile%/Mail/Store {6A1C}");
             ASSERT_TRUE(SetGuardId("../../escaped"));
         }},
        {"a text too long for the container", kTold, ResultRegistryError, "too long",
         [](World&) { SetText(MailClient::kIdentitiesKey, MailClient::kLastUsernameValue, std::string(256, 'n')); }},
        {"a container path of 260 characters", kTold, ResultCopyError, "too long",
         [](World& w) {
             const std::string base = w.home.path() + "/d";
             const size_t name = std::string(World::kGuard).size() + 5;  // "/" + guard + ".dat"
             const std::string folder = base + std::string(260 - name - base.size(), 'x');
             fs::create_directories(folder);
             fs::create_directories(w.home.path() + "/config");
             WriteWholeFile(w.home.path() + "/config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + folder + "\"\n");
             ASSERT_EQ(GetContainerPath().size(), 260u);
         },
         &CanMoveDocumentsFolder},
        {"a store folder reached through ..", kTold, ResultCopyError, "..",
         [](World& w) {
             SetText(IdentityPath(World::kGuard) + "\\" + MailClient::kClientSoftwareKey + "\\5.0",
                     MailClient::kStoreRootValue, "%userprofile%/Mail/../Mail/Store {6A1C}");
         }},
        {"a store of 2 GiB", kTold, ResultCopyError, "2 GB",
         [](World& w) {  // sparse: the size without the disk space
             platform::File big;
             ASSERT_TRUE(platform::File::Open(w.StorePath("Huge.dbx"), platform::File::Mode::CreateWrite, big).ok());
             ASSERT_TRUE(big.Seek(World::MaxStoreBytes() - 285536 - 1).ok());
             ASSERT_TRUE(big.Write("x", 1).ok());
         }},
    };
    for (const Case& c : cases) {
        if (c.possible && !c.possible()) continue;
        SCOPED_TRACE(c.what);
        World world;
        WriteWholeFile(world.home.file("elsewhere.dbx"), "not ours");
        c.make(world);
        const WorldState before = world.Now();
        const Outcome outcome = world.Hide({c.answers.begin() + 1, c.answers.end()}, c.answers[0]);
        diskFull.reset();
        held.reset();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.result, c.result);
        ASSERT_FALSE(world.ui->messages.empty());
        EXPECT_NE(world.ui->messages.back().text.find(c.said), std::string::npos) << world.ui->messages.back().text;
        EXPECT_EQ(world.Now(), before);
        EXPECT_EQ(world.ui->openWindows, 0);
        EXPECT_EQ(ReadWholeFile(world.home.file("elsewhere.dbx")), "not ours");
        EXPECT_FALSE(fs::exists(world.Documents() + "/../../escaped.dat"));
        EXPECT_FALSE(fs::exists(world.Documents() + "/../../escaped.tmp"));
    }
}

// While the store is being erased the registry loses the Identities key, so the
// identity cannot be removed: the hide is undone. When the store folder moves away
// too, the undo fails, and the container must then stay, complete.
TEST(HideUndoTest, FailedRemovalUndoesTheHideOrKeepsTheContainer) {
    for (bool folderMoves : {false, true}) {
        SCOPED_TRACE(folderMoves);
        World world;
        const TreeKey guardBefore = world.Now().identities.subkeys.at(World::kGuard);
        const std::string moved = world.StoreFolder() + ".moved";
        bool struck = false;
        world.OnShred([&](const std::string&, const uint8_t*, size_t) {
            if (std::exchange(struck, true)) return;
            world.DeleteIdentities();
            if (folderMoves) fs::rename(world.StoreFolder(), moved);
        });
        const Outcome outcome =
            folderMoves ? world.Hide({MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Ok}) : world.Hide();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.result, ResultRegistryError);
        if (folderMoves) {
            EXPECT_NE(world.ui->messages.back().text.find("protected container"), std::string::npos);
            ASSERT_TRUE(IsIdentityHidden());
            fs::remove_all(moved);
            fs::create_directories(world.StoreFolder());
            ASSERT_TRUE(world.Restore().ok);
        } else {
            EXPECT_FALSE(IsIdentityHidden());
            EXPECT_TRUE(world.DocumentEntries().empty());
        }
        EXPECT_EQ(world.MessageFiles(), world.original());
        // The protected identity's key is back; the other one went with the Identities
        // key, which is not ours to bring back.
        TreeKey guard;
        ASSERT_TRUE(ReadTree(IdentityPath(World::kGuard), guard));
        EXPECT_EQ(guard, guardBefore);
    }
}

TEST_F(WorldTest, HighLevelOverwritesEachFileWithItsOwnRandomBlockLastFileFirst) {
    // Discovery order is case-insensitive name order; erasing runs backwards and an
    // empty file gets no write.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> perFile;
    world.OnShred([&](const std::string& path, const uint8_t* data, size_t n) {
        const std::string name = fs::path(path).filename().string();
        if (order.empty() || order.back() != name) order.push_back(name);
        perFile[name].emplace_back(reinterpret_cast<const char*>(data), n);
    });
    ASSERT_TRUE(world.Hide().ok);
    EXPECT_EQ(order, (std::vector<std::string>{"Inbox.dbx", "Folders.DBX", "Deleted Items.dbx"}));
    const auto& inbox = perFile["Inbox.dbx"];
    ASSERT_EQ(inbox.size(), 3u);
    EXPECT_EQ(inbox[0].size(), 65536u);
    EXPECT_EQ(inbox[1], inbox[0]);
    EXPECT_EQ(inbox[2], inbox[0].substr(0, 150000 - 2 * 65536));
    EXPECT_NE(inbox[0], world.original().at("Inbox.dbx").substr(0, 65536));
    EXPECT_NE(inbox[0], std::string(65536, '\0'));
    const auto& folders = perFile["Folders.DBX"];
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].size(), 70000u - 65536u);
    EXPECT_NE(folders[0], inbox[0]);  // a fresh block per file
    EXPECT_EQ(perFile["Deleted Items.dbx"].size(), 1u);
}

TEST_F(WorldTest, AFileThatCannotBeDeletedDoesNotStopTheOthersAndTheUserIsTold) {
    // While the first file is overwritten another becomes read-only: it is still
    // overwritten through the open handle, but refuses to be deleted.
    bool done = false;
    world.OnShred([&](const std::string&, const uint8_t*, size_t) {
        if (!std::exchange(done, true)) platform::ApplyFileAttributes(world.StorePath("Folders.DBX"), platform::AttributeReadOnly);
    });
    ASSERT_TRUE(world.Hide({MessageAnswer::Ok}).ok);
    EXPECT_TRUE(IsIdentityHidden());
    const auto left = world.MessageFiles();
    ASSERT_EQ(left.size(), 1u);
    const std::string shredded = left.begin()->first;
    ASSERT_EQ(shredded.rfind("Folders.DBX.", 0), 0u);  // never half-shredded under the store's name
    EXPECT_NE(left.at(shredded), world.original().at("Folders.DBX"));
    EXPECT_NE(ui.messages.back().text.find(world.RecordedPath(shredded)), std::string::npos);
    EXPECT_EQ(ui.messages.back().text.find("Inbox.dbx"), std::string::npos);
    platform::ApplyFileAttributes(world.StorePath(shredded), platform::AttributeNormal);
    ASSERT_TRUE(world.Restore().ok);
    EXPECT_EQ(world.MessageFiles(), world.original());
}

}  // namespace
