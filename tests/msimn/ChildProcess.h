// A child process with its own environment and its stdout and stderr captured, for
// tests that drive a program from outside. A child still running when the holder
// dies is killed and reaped.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
public:
    // Environment changes over the test's own: a value sets, nullopt removes.
    using Environment = std::map<std::string, std::optional<std::string>>;

    struct Result {
        int exitCode = -1;  // -1 when the child did not exit normally
        std::string out;
        std::string err;
    };

    ChildProcess(const std::vector<std::string>& argv, const Environment& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs to the end (at most timeoutMs, then it is killed and the test fails).
    static Result Run(const std::vector<std::string>& argv, const Environment& environment,
                      int timeoutMs = 60000);

    // The next line of stdout without its newline; nullopt at the end of stdout or
    // after timeoutMs.
    std::optional<std::string> ReadLine(int timeoutMs);
    void Signal(int signal);
    // Waits for the exit and collects what is left of the output; nullopt when the
    // child is still running after timeoutMs.
    std::optional<Result> Wait(int timeoutMs);

private:
    // Reads whatever is ready on the pipes within timeoutMs; false when both are closed.
    bool Pump(int timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    size_t outTaken_ = 0;  // bytes of out_ already handed out by ReadLine
};
