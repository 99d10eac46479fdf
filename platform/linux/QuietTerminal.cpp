#include "platform/linux/QuietTerminal.h"

#include <unistd.h>

namespace platform {

namespace {

constexpr int kHeldSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

volatile sig_atomic_t arrivedSignal = 0;

extern "C" void NoteSignal(int signal) { arrivedSignal = signal; }

}  // namespace

QuietTerminal::QuietTerminal(int tty, const termios& settings) : tty_(tty), settings_(settings) {
    static_assert(sizeof kHeldSignals / sizeof kHeldSignals[0] == kSignalCount, "one saved action per signal");
    arrivedSignal = 0;
    // Held back from here on, so that no signal can slip in between a check of
    // Interrupted() and the wait that follows it.
    sigset_t held;
    sigemptyset(&held);
    sigemptyset(&outerMask_);
    for (int signal : kHeldSignals) sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &outerMask_);

    struct sigaction note {};
    note.sa_handler = NoteSignal;
    sigemptyset(&note.sa_mask);
    for (int n = 0; n < kSignalCount; ++n) {
        // A signal the program ignores (nohup, a shell's background job) stays ignored.
        if (sigaction(kHeldSignals[n], nullptr, &outerActions_[n]) != 0 || outerActions_[n].sa_handler == SIG_IGN)
            continue;
        caught_[n] = sigaction(kHeldSignals[n], &note, nullptr) == 0;
    }

    termios quiet = settings_;
    quiet.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL);
    quiet_ = tcsetattr(tty_, TCSAFLUSH, &quiet) == 0;
}

QuietTerminal::~QuietTerminal() {
    if (quiet_) {
        // Flushing drops whatever was typed and not read, such as the rest of a line
        // that was too long, so it never reaches the shell that reads next.
        tcsetattr(tty_, TCSAFLUSH, &settings_);
        // The Enter that ended the entry was not echoed either.
        const ssize_t written = write(tty_, "\n", 1);
        (void)written;
    }
    const int arrived = arrivedSignal;
    for (int n = 0; n < kSignalCount; ++n) {
        if (caught_[n]) sigaction(kHeldSignals[n], &outerActions_[n], nullptr);
    }
    // Raised while still held, it is delivered under the program's own action the moment
    // the old mask is back.
    if (arrived != 0) raise(arrived);
    sigprocmask(SIG_SETMASK, &outerMask_, nullptr);
}

bool QuietTerminal::Interrupted() { return arrivedSignal != 0; }

}  // namespace platform
