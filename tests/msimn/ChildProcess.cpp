#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildProcess::Environment& environment) {
    // Everything the child needs is built before fork: after it only exec is safe.
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        size_t equals = text.find('=');
        if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& change : environment) {
        if (change.second) {
            variables[change.first] = *change.second;
        } else {
            variables.erase(change.first);
        }
    }
    std::vector<std::string> envTexts;
    for (const auto& variable : variables) envTexts.push_back(variable.first + "=" + variable.second);
    std::vector<char*> envp;
    for (auto& text : envTexts) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& arg : args) argp.push_back(arg.data());
    argp.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
    if (pid_ < 0) {
        close(outFd_);
        close(errFd_);
        throw std::runtime_error("fork failed");
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
}

bool ChildProcess::Pump(int timeoutMs) {
    struct pollfd fds[2];
    int* owners[2];
    std::string* sinks[2];
    nfds_t count = 0;
    if (outFd_ >= 0) {
        fds[count] = {outFd_, POLLIN, 0};
        owners[count] = &outFd_;
        sinks[count++] = &out_;
    }
    if (errFd_ >= 0) {
        fds[count] = {errFd_, POLLIN, 0};
        owners[count] = &errFd_;
        sinks[count++] = &err_;
    }
    if (count == 0) return false;
    if (poll(fds, count, timeoutMs) <= 0) return true;
    for (nfds_t i = 0; i < count; ++i) {
        if (!fds[i].revents) continue;
        char buffer[4096];
        ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
            sinks[i]->append(buffer, static_cast<size_t>(n));
        } else {
            close(*owners[i]);
            *owners[i] = -1;
        }
    }
    return true;
}

std::optional<std::string> ChildProcess::ReadLine(int timeoutMs) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t newline = out_.find('\n', outTaken_);
        if (newline != std::string::npos) {
            std::string line = out_.substr(outTaken_, newline - outTaken_);
            outTaken_ = newline + 1;
            return line;
        }
        if (outFd_ < 0 || MsLeft(deadline) == 0) return std::nullopt;
        Pump(MsLeft(deadline));
    }
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

std::optional<ChildProcess::Result> ChildProcess::Wait(int timeoutMs) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Drain the pipes first: a child blocked on a full pipe would never exit.
    while (Pump(MsLeft(deadline)) && MsLeft(deadline) > 0) {
    }
    int status = 0;
    while (pid_ > 0) {
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (MsLeft(deadline) == 0) return std::nullopt;
        usleep(10000);
    }
    pid_ = -1;
    Result result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = out_.substr(outTaken_);
    result.err = err_;
    return result;
}

ChildProcess::Result ChildProcess::Run(const std::vector<std::string>& argv, const ChildProcess::Environment& environment,
                                       int timeoutMs) {
    ChildProcess child(argv, environment);
    std::optional<Result> result = child.Wait(timeoutMs);
    if (!result) throw std::runtime_error(argv[0] + " did not finish in time");
    return *result;
}
