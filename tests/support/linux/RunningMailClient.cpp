#include "support/RunningMailClient.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Shell.h"

namespace {

const char kClient[] = VEILBOX_BINARY_DIR "/bin/msimn";

}  // namespace

bool RunningMailClient::CanRun() {
    return !platform::EnvironmentValue("DISPLAY").empty() && std::filesystem::exists(kClient);
}

RunningMailClient::RunningMailClient(const std::string& identity) {
    int out[2];
    if (pipe(out) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        execl(kClient, kClient, "run", "--identity", identity.c_str(), nullptr);
        _exit(127);
    }
    process_ = pid;
    close(out[1]);
    // It prints its window's id once the window is mapped.
    char first;
    up_ = pid > 0 && read(out[0], &first, 1) == 1;
    close(out[0]);
}

RunningMailClient::~RunningMailClient() {
    if (process_ > 0 && kill(static_cast<pid_t>(process_), SIGTERM) == 0) waitpid(static_cast<pid_t>(process_), nullptr, 0);
}
