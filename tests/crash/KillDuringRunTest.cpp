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

class KillDuringRunTest : public ::testing::Test {
protected:
    // Records a failure; a flood of identical reports is cut short by the loop.
    bool Check(bool condition, const std::string& message) {
        if (!condition) {
            ADD_FAILURE() << message;
            ++failures_;
        }
        return condition;
    }

    // The identity is whole in place, or a restore brings it back from the container.
    void CheckRecoverable(World& world, const std::string& where) {
        if (platform::FileExists(world.ContainerPath())) {
            TakeLog(world);
            Check(RunCli(world, "restore") == 0, where + ": the restore after the kill failed:\n" + TakeLog(world));
        }
        Check(!platform::FileExists(world.ContainerPath()), where + ": the container is still there");
        World::CloseRegistry();
        const WorldState now = world.Now();
        Check(now.store == before_.store, where + ": the store folder differs from the original");
        Check(now.identities == before_.identities, where + ": the Identities key differs; now:" +
                                                         ::testing::PrintToString(now.identities) +
                                                         "before:" + ::testing::PrintToString(before_.identities));
    }

    // Runs the command once whole, then once killed at each of its kill points in turn,
    // each time from the same saved world.
    void KillEverywhere(int level, const std::string& command) {
        World world(KillWorld(level));
        before_ = world.Now();
        if (command == "restore") {
            ASSERT_EQ(RunCli(world, "hide"), 0) << TakeLog(world);
        }
        world.Save();
            const TracedRun full = TraceCli(world, command, 0);
        ASSERT_FALSE(full.killed);
        ASSERT_EQ(full.exitCode, 0) << TakeLog(world);
        ASSERT_FALSE(full.points.empty());
        CheckRecoverable(world, "complete " + command);

        for (size_t n = 1; n <= full.points.size() && failures_ < 5; ++n) {
            if (full.points[n - 1].place == "registry" && n % kRegistryStride != 0 && n != full.points.size()) continue;
            world.Reset();
            const TracedRun run = TraceCli(world, command, n);
            const std::string where = command + " killed at point " + std::to_string(n) + " (" +
                                      full.points[n - 1].Label() + ")";
            if (Check(run.killed, where + ": the run no longer reaches this point")) {
                Check(run.points.back().Label() == full.points[n - 1].Label(),
                      where + ": the run took another way, to " + run.points.back().Label());
            }
            if (command == "restore") {
                for (const auto& [name, bytes] : world.MessageFiles()) {
                    const auto original = world.original().find(name);
                    if (original != world.original().end()) Check(bytes == original->second, where + ": " + name + " is torn");
                }
            }
            CheckRecoverable(world, where);
        }
    }

    WorldState before_;
    int failures_ = 0;
};

TEST_F(KillDuringRunTest, MediumLevelHideSurvivesAKillAtEveryPoint) { KillEverywhere(SecurityMedium, "hide"); }

TEST_F(KillDuringRunTest, HighLevelHideSurvivesAKillAtEveryPoint) { KillEverywhere(SecurityHigh, "hide"); }

TEST_F(KillDuringRunTest, RestoreSurvivesAKillAtEveryPoint) { KillEverywhere(SecurityHigh, "restore"); }

}  // namespace
