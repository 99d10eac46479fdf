// No mail is lost when a hide or a restore dies. veilbox-cli is killed at the entry of
// every disk-changing call it makes (and of every registry read of the backup), one
// kill per run, and what it leaves behind must be one of the two safe states:
//   - nothing happened yet: no container, and the identity's registry tree and every
//     store byte are in place; or
//   - a complete container exists, and a restore run afterwards brings every byte
//     and every registry value back and removes the container.
// A killed restore must in addition never leave a torn file under a store file's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "KillPointTracer.h"
#include "platform/File.h"
#include "support/World.h"

namespace {

// Registry writes come in long runs of look-alike transactions (one per key). Under the
// sanitizers, where each run of the program is several times slower, every fourth of
// those kill points is enough; every other kill point is always taken.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kRegistryStride = 4;
#else
constexpr size_t kRegistryStride = 1;
#endif

// Runs the command once whole, then once killed at each of its kill points in turn,
// each time from the same saved world. The first kill point that fails ends the loop:
// one fault would flood the report with the same failure at every later point.
void KillEverywhere(int level, const std::string& command) {
    World world(KillWorld(level));
    const WorldState before = world.Now();
    // The identity is whole in place, or a restore brings it back from the container.
    const auto checkRecoverable = [&](const std::string& where) {
        if (platform::FileExists(world.ContainerPath())) {
            TakeLog(world);
            EXPECT_EQ(RunCli(world, "restore"), 0) << where << ": the restore after the kill failed:\n" << TakeLog(world);
        }
        EXPECT_FALSE(platform::FileExists(world.ContainerPath())) << where << ": the container is still there";
        World::CloseRegistry();
        const WorldState now = world.Now();
        EXPECT_TRUE(now.store == before.store) << where << ": the store folder differs from the original";
        EXPECT_EQ(now.identities, before.identities) << where << ": the Identities key differs";
    };
    if (command == "restore") {
        ASSERT_EQ(RunCli(world, "hide"), 0) << TakeLog(world);
    }
    world.Save();
    const TracedRun full = TraceCli(world, command, 0);
    ASSERT_EQ(full.exitCode, 0) << TakeLog(world);
    ASSERT_FALSE(full.points.empty());
    checkRecoverable("complete " + command);

    for (size_t n = 1; n <= full.points.size() && !::testing::Test::HasFailure(); ++n) {
        if (full.points[n - 1].place == "registry" && n % kRegistryStride != 0 && n != full.points.size()) continue;
        world.Reset();
        const TracedRun run = TraceCli(world, command, n);
        const std::string where = command + " killed at point " + std::to_string(n) + " (" + full.points[n - 1].Label() + ")";
        EXPECT_TRUE(run.killed) << where << ": the run no longer reaches this point";
        if (run.killed) {
            EXPECT_EQ(run.points.back().Label(), full.points[n - 1].Label()) << where << ": the run took another way";
        }
        if (command == "restore") {
            for (const auto& [name, bytes] : world.MessageFiles()) {
                const auto original = world.original().find(name);
                EXPECT_TRUE(original == world.original().end() || bytes == original->second) << where << ": " << name << " is torn";
            }
        }
        checkRecoverable(where);
    }
}

TEST(KillDuringRunTest, MediumLevelHideSurvivesAKillAtEveryPoint) { KillEverywhere(SecurityMedium, "hide"); }

TEST(KillDuringRunTest, HighLevelHideSurvivesAKillAtEveryPoint) { KillEverywhere(SecurityHigh, "hide"); }

TEST(KillDuringRunTest, RestoreSurvivesAKillAtEveryPoint) { KillEverywhere(SecurityHigh, "restore"); }

// What reaches stable storage before what is destroyed, read off the system calls of
// a whole hide and a whole restore: the container and its folder are flushed before
// the first plain file changes, every shredded file is flushed before it goes, every
// restored file is on stable storage before any of them gets its name, and the store
// folder holds those names on disk before the container is deleted.

using Points = std::vector<KillPoint>;

size_t Find(const Points& points, const std::string& operation, const std::string& place, size_t from = 0) {
    for (size_t n = from; n < points.size(); ++n) {
        if (points[n].operation == operation && points[n].place == place) return n;
    }
    return points.size();
}

std::string Listing(const Points& points) {
    std::string text;
    for (size_t n = 0; n < points.size(); ++n) text += std::to_string(n) + " " + points[n].Label() + "\n";
    return text;
}

TEST(FlushOrderTest, NothingIsDestroyedBeforeWhatReplacesItIsOnStableStorage) {
    World world(KillWorld(SecurityHigh));

    const TracedRun hide = TraceCli(world, "hide", 0);
    ASSERT_EQ(hide.exitCode, 0) << TakeLog(world);
    const Points& h = hide.points;
    SCOPED_TRACE("hide:\n" + Listing(h));
    // The first change to a plain file: shredding starts by moving it aside.
    size_t firstErase = h.size();
    for (const char* op : {"rename", "write", "delete", "truncate"}) firstErase = std::min(firstErase, Find(h, op, "store"));
    ASSERT_LT(firstErase, h.size());
    const size_t containerFlush = Find(h, "flush", "container temp");
    const size_t published = Find(h, "rename", "container");
    const size_t folderFlush = Find(h, "flush", "documents folder", published);
    EXPECT_LT(containerFlush, published);
    EXPECT_LT(published, folderFlush);
    EXPECT_LT(folderFlush, firstErase);
    // Every overwrite reaches the disk before its file is deleted.
    for (size_t n = firstErase; n < h.size(); ++n) {
        if (h[n].operation != "delete" || h[n].place != "store") continue;
        size_t lastWrite = n;
        while (lastWrite > firstErase && !(h[lastWrite].operation == "write" && h[lastWrite].place == "store")) --lastWrite;
        ASSERT_EQ(h[lastWrite].operation, "write") << n;
        const size_t flush = Find(h, "flush", "store", lastWrite);
        EXPECT_LT(flush, n) << "shredded file deleted at point " << n << " before its flush";
    }

    const TracedRun restore = TraceCli(world, "restore", 0);
    ASSERT_EQ(restore.exitCode, 0) << TakeLog(world);
    const Points& r = restore.points;
    SCOPED_TRACE("restore:\n" + Listing(r));
    const size_t files = world.original().size();
    const size_t firstRename = Find(r, "rename", "store");
    ASSERT_LT(firstRename, r.size());
    // Every restored file is proved and on stable storage before any of them gets its
    // name: each one flushed, or their whole file system at once after the last of them.
    size_t flushedParts = 0, lastPartChange = 0;
    for (size_t n = 0; n < firstRename; ++n) {
        if (r[n].place != "store temp") continue;
        if (r[n].operation == "flush") ++flushedParts;
        else lastPartChange = n;
    }
    const size_t wholeFlush = Find(r, "flush", "store folder", lastPartChange);
    EXPECT_TRUE(flushedParts == files || wholeFlush < firstRename);
    size_t renamed = 0, lastRename = 0;
    for (size_t n = 0; n < r.size(); ++n) {
        if (r[n].operation == "rename" && r[n].place == "store") {
            ++renamed;
            lastRename = n;
        }
    }
    EXPECT_EQ(renamed, files);
    const size_t storeFlush = Find(r, "flush", "store folder", lastRename);
    const size_t deleted = Find(r, "delete", "container");
    ASSERT_LT(deleted, r.size());
    EXPECT_LT(lastRename, storeFlush);
    EXPECT_LT(storeFlush, deleted);
}

}  // namespace
