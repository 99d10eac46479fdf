// No mail is lost when a hide or a restore dies. veilbox-cli is killed at the entry of
// every disk-changing call it makes (and of every registry read of the backup), one
// kill per run, and what it leaves behind must be one of the two safe states:
//   - nothing happened yet: no container, and the identity's registry tree and every
//     store byte are in place; or
//   - a complete container exists, and a restore run afterwards brings every byte
//     and every registry value back and removes the container.
// A killed restore must in addition never leave a torn file under a store file's name.
#include <gtest/gtest.h>

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
        if (run.killed) EXPECT_EQ(run.points.back().Label(), full.points[n - 1].Label()) << where << ": the run took another way";
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

}  // namespace
