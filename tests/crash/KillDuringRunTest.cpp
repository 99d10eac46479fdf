// No mail is lost when a hide or a restore dies. veilbox-cli is killed at the entry of
// every disk-changing call it makes (and of every registry read of the backup), one
// kill per run, and what it leaves behind must be one of the two safe states:
//   - nothing happened yet: no container, and the identity's registry tree and every
//     store byte are in place; or
//   - a complete container exists, and a restore run afterwards brings every byte
//     and every registry value back and removes the container.
// A killed restore must in addition never leave a torn file under a store file's name.
#include <gtest/gtest.h>

#include <iomanip>
#include <iostream>
#include <map>
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

bool Selected(const std::vector<KillPoint>& points, size_t n) {
    return points[n - 1].place != "registry" || n % kRegistryStride == 0 || n == points.size();
}

// The phase of a hide a kill point belongs to, given the points before it.
class HidePhases {
public:
    std::string Next(const KillPoint& p) {
        if (p.operation == "rename" && p.place == "container") {
            published_ = true;
            return "container publication (rename)";
        }
        if (!published_) {
            if (p.place == "container temp" || p.place == "documents folder") {
                writing_ = true;
                return p.operation == "flush" ? "container flush" : "container write (encryption chunks)";
            }
            return writing_ ? "other, while writing" : "registry backup";
        }
        if (p.place == "container" && p.operation == "read") return erasing_ ? "other, after the check" : "container check (read back)";
        if (p.place == "store" || p.place == "store folder") {
            erasing_ = true;
            return "erase";
        }
        if (p.place == "registry") return "registry removal";
        if (p.place == "container") return "container attributes";
        if (p.place == "documents folder") return "container publication (folder flush)";
        return "other, after publication";
    }

private:
    bool writing_ = false;
    bool published_ = false;
    bool erasing_ = false;
};

class RestorePhases {
public:
    std::string Next(const KillPoint& p) {
        if (p.place == "store temp" || p.place == "store folder" || p.place == "store") {
            writing_ = true;
            if (p.operation == "rename") return "file rename";
            if (p.operation == "flush") return "file flush";
            return "decryption (file chunks)";
        }
        if (p.place == "registry") return writing_ ? "registry replay" : "container check";
        if (p.place == "container" && p.operation == "read") return writing_ ? "decryption (container reads)" : "container check";
        if (p.place == "container" || p.place == "documents folder") return "container deletion";
        return "other";
    }

private:
    bool writing_ = false;
};

class KillDuringRunTest : public ::testing::Test {
protected:
    template <typename Phases>
    static std::vector<std::string> PhasesOf(const std::vector<KillPoint>& points) {
        Phases phases;
        std::vector<std::string> out;
        for (const KillPoint& p : points) out.push_back(phases.Next(p));
        return out;
    }

    // How many kill points each phase has, and how many of them this build kills at.
    static void Report(const char* title, const std::vector<KillPoint>& points, const std::vector<std::string>& phases) {
        std::map<std::string, std::pair<int, int>> counts;  // phase -> (points, taken)
        std::vector<std::string> order;
        for (size_t n = 1; n <= phases.size(); ++n) {
            auto& [all, taken] = counts[phases[n - 1]];
            if (all++ == 0) order.push_back(phases[n - 1]);
            if (Selected(points, n)) ++taken;
        }
        std::cout << title << ": " << phases.size() << " kill points (points, killed at, phase)\n";
        for (const std::string& phase : order) {
            std::cout << "  " << std::setw(5) << counts[phase].first << std::setw(5) << counts[phase].second << "  "
                      << phase << "\n";
        }
    }

    // Records a failure; a flood of identical reports is cut short by the loops.
    bool Check(bool condition, const std::string& message) {
        if (!condition) {
            ADD_FAILURE() << message;
            ++failures_;
        }
        return condition;
    }
    bool TooManyFailures() const { return failures_ >= 5; }

    // Every store file that exists under its own name is whole.
    void CheckNoTornFile(World& world, const std::string& where) {
        for (const auto& [name, bytes] : world.MessageFiles()) {
            const auto original = world.original().find(name);
            if (original == world.original().end()) continue;  // a temporary file
            Check(bytes == original->second, where + ": " + name + " is torn");
        }
    }

    void CheckEverythingBack(World& world, const std::string& where) {
        Check(!platform::FileExists(world.ContainerPath()), where + ": the container is still there");
        World::CloseRegistry();
        const WorldState now = world.Now();
        Check(now.store == before_.store, where + ": the store folder differs from the original");
        Check(now.identities == before_.identities,
              where + ": the Identities key differs; now:" + ::testing::PrintToString(now.identities) +
                  "before:" + ::testing::PrintToString(before_.identities));
    }

    // The identity is whole in place, or a restore brings it back from the container.
    void CheckRecoverable(World& world, const std::string& where) {
        if (!platform::FileExists(world.ContainerPath())) {
            CheckEverythingBack(world, where + " (no container)");
            return;
        }
        TakeLog(world);
        const int status = RunCli(world, "restore");
        Check(status == 0, where + ": the restore after the kill failed:\n" + TakeLog(world));
        CheckEverythingBack(world, where + " (restored from the container)");
    }

    WorldState before_;

private:
    int failures_ = 0;
};

}  // namespace

class HideKillTest : public KillDuringRunTest {
public:
    void KillEverywhere(int level, const char* title) {
        World world(KillWorld(level));
        before_ = world.Now();
        world.Save();
        const KillPointTracer tracer(&World::Classify, &world);

        const TracedRun full = tracer.Run(Cli(world, "hide"), CliLog(world), 0);
        ASSERT_FALSE(full.killed);
        ASSERT_EQ(full.exitCode, 0) << TakeLog(world);
        ASSERT_FALSE(full.points.empty());
        CheckRecoverable(world, "complete hide");
        const std::vector<std::string> phases = PhasesOf<HidePhases>(full.points);
        Report(title, full.points, phases);

        for (size_t n = 1; n <= full.points.size() && !TooManyFailures(); ++n) {
            if (!Selected(full.points, n)) continue;
            world.Reset();
            const TracedRun run = tracer.Run(Cli(world, "hide"), CliLog(world), n);
            const std::string where = "hide killed at point " + std::to_string(n) + " (" +
                                      full.points[n - 1].Label() + ", " + phases[n - 1] + ")";
            if (Check(run.killed, where + ": the run no longer reaches this point")) {
                Check(run.points.back().Label() == full.points[n - 1].Label(),
                      where + ": the run took another way, to " + run.points.back().Label());
            }
            CheckRecoverable(world, where);
        }
    }
};

TEST_F(HideKillTest, MediumLevelSurvivesAKillAtEveryPoint) {
    KillEverywhere(SecurityMedium, "hide, medium level");
}

TEST_F(HideKillTest, HighLevelSurvivesAKillAtEveryPoint) {
    KillEverywhere(SecurityHigh, "hide, high level");
}

TEST_F(KillDuringRunTest, RestoreSurvivesAKillAtEveryPoint) {
    World world(KillWorld(SecurityHigh));
    before_ = world.Now();
    ASSERT_EQ(RunCli(world, "hide"), 0) << TakeLog(world);
    ASSERT_TRUE(platform::FileExists(world.ContainerPath()));
    world.Save();
    const KillPointTracer tracer(&World::Classify, &world);

    const TracedRun full = tracer.Run(Cli(world, "restore"), CliLog(world), 0);
    ASSERT_FALSE(full.killed);
    ASSERT_EQ(full.exitCode, 0) << TakeLog(world);
    ASSERT_FALSE(full.points.empty());
    CheckEverythingBack(world, "complete restore");
    const std::vector<std::string> phases = PhasesOf<RestorePhases>(full.points);
    Report("restore", full.points, phases);

    for (size_t n = 1; n <= full.points.size() && !TooManyFailures(); ++n) {
        if (!Selected(full.points, n)) continue;
        world.Reset();
        const TracedRun run = tracer.Run(Cli(world, "restore"), CliLog(world), n);
        const std::string where = "restore killed at point " + std::to_string(n) + " (" +
                                  full.points[n - 1].Label() + ", " + phases[n - 1] + ")";
        Check(run.killed, where + ": the run no longer reaches this point");
        CheckNoTornFile(world, where);
        CheckRecoverable(world, where);
    }
}
