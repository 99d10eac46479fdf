// Turns SIGTERM and SIGINT into a readable file descriptor (the self-pipe trick), so
// the window loop can wait on the X connection and the signals in one poll() and
// still shut down in order: release the store, then remove the window.
// One instance at a time; the previous handlers come back when it dies.
#pragma once

#include <csignal>

#include "UniqueFd.h"

namespace msimn {

class TerminationSignal {
public:
    TerminationSignal();  // throws ToolError when the pipe cannot be made
    ~TerminationSignal();
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

    // Readable once a signal has arrived.
    int Fd() const { return readEnd_.Get(); }
    bool Arrived() const;

private:
    static void Handler(int signal);

    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    struct sigaction oldTerm_ {};
    struct sigaction oldInt_ {};
};

}  // namespace msimn
