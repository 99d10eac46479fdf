// The commands wait for the mail client to close: its main window is looked for
// among the display's top-level windows, here made by the mail-client stand-in.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "WorkflowFixture.h"
#include "app/PageCommands.h"
#include "platform/Shell.h"

namespace {

class RecordingHost : public CommandHost {
public:
    void NavigateToPage(const std::string& page) override { pages.push_back(page); }
    void RunSetup() override {}
    std::vector<std::string> pages;
};

// The stand-in running with its window up; stopped when the holder goes.
class RunningMailClient {
public:
    explicit RunningMailClient(const std::string& identity) {
        const std::string program = VEILBOX_BINARY_DIR "/bin/msimn";
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execl(program.c_str(), program.c_str(), "run", "--identity", identity.c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        // The stand-in prints its window's id once the window is mapped.
        FILE* in = fdopen(out[0], "r");
        char line[64];
        up_ = in && std::fgets(line, sizeof line, in) != nullptr;
        if (in) std::fclose(in);
    }
    ~RunningMailClient() { Stop(); }
    bool IsUp() const { return up_; }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    bool up_ = false;
};

const char kRunning[] = "Outlook Express is currently running. Please close Outlook Express and retry.";

TEST_F(WorkflowTest, CommandsWaitWhileTheMailClientWindowExists) {
    if (platform::GetEnvironmentVariable("DISPLAY").empty() ||
        !std::filesystem::exists(VEILBOX_BINARY_DIR "/bin/msimn")) {
        GTEST_SKIP() << "needs a display and the mail-client stand-in";
    }
    RecordingHost host;
    {
        RunningMailClient client(kOther);
        ASSERT_TRUE(client.IsUp());
        // Retry finds the window again; Cancel gives up and leaves everything as it is.
        ui_.QueueAnswer(IDRETRY);
        ui_.QueueAnswer(IDCANCEL);
        HideCommand(host);
        EXPECT_EQ(ui_.MessageTexts(), (std::vector<std::string>{kRunning, kRunning}));
        EXPECT_EQ(ui_.messages[0].style, MB_RETRYCANCEL | MB_ICONSTOP);
        EXPECT_TRUE(host.pages.empty());
        EXPECT_EQ(Snapshot(), registryBefore_);
        ui_.messages.clear();
    }
    // Once the window is gone the hide goes ahead at once.
    ui_.QueueAnswer(IDYES);
    HideCommand(host);
    EXPECT_EQ(host.pages, std::vector<std::string>{"done.htm"});
    EXPECT_EQ(ui_.messages.size(), 1u);
}

}  // namespace
