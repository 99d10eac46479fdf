#include "TerminationSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "ToolError.h"

namespace msimn {

namespace {
// A handler may only touch an object of this kind; it is the write end of the pipe.
volatile sig_atomic_t gWriteFd = -1;
}  // namespace

void TerminationSignal::Handler(int) {
    int saved = errno;
    if (gWriteFd >= 0) {
        char byte = 1;
        // Non-blocking: once one byte is waiting, more add nothing.
        (void)!write(gWriteFd, &byte, 1);
    }
    errno = saved;
}

TerminationSignal::TerminationSignal() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw ToolError("cannot create a pipe for signals");
    readEnd_ = UniqueFd(fds[0]);
    writeEnd_ = UniqueFd(fds[1]);
    gWriteFd = writeEnd_.Get();
    struct sigaction action {};
    action.sa_handler = &TerminationSignal::Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &oldTerm_);
    sigaction(SIGINT, &action, &oldInt_);
}

TerminationSignal::~TerminationSignal() {
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGINT, &oldInt_, nullptr);
    gWriteFd = -1;
}

bool TerminationSignal::Arrived() const {
    struct pollfd entry {readEnd_.Get(), POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN);
}

}  // namespace msimn
