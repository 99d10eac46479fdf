#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ToolWindow.h"
#include "platform/linux/TerminationState.h"

namespace platform {

namespace {

// A handler may only touch an object of this kind; it is the write end of the pipe.
volatile sig_atomic_t gWriteFd = -1;

void Handler(int) {
    int saved = errno;
    if (gWriteFd >= 0) {
        char byte = 1;
        // Non-blocking: once one byte is waiting, more add nothing.
        (void)!write(gWriteFd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

TerminationRequests::TerminationRequests() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    state_ = std::make_unique<State>();
    state_->readEnd.Reset(fds[0]);
    state_->writeEnd.Reset(fds[1]);
    gWriteFd = fds[1];
    struct sigaction action {};
    action.sa_handler = &Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &state_->oldTerm);
    sigaction(SIGINT, &action, &state_->oldInt);
}

TerminationRequests::~TerminationRequests() {
    if (!state_) return;
    sigaction(SIGTERM, &state_->oldTerm, nullptr);
    sigaction(SIGINT, &state_->oldInt, nullptr);
    gWriteFd = -1;
}

TerminationRequests::operator bool() const { return state_ != nullptr; }

bool TerminationRequests::Arrived() const {
    if (!state_) return false;
    struct pollfd entry {state_->readEnd.Get(), POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN);
}

}  // namespace platform
