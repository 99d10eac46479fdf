// A terminal that does not echo, for as long as a password is typed. While it lives,
// the signals that end a program from the keyboard or from outside (SIGINT, SIGQUIT,
// SIGTERM, SIGHUP) are held back, except while the reader waits under WaitMask(); when
// it goes, the terminal gets its settings back first and only then does a signal that
// came meanwhile take its usual course, so a Ctrl-C never leaves the terminal mute.
// One at a time per process.
#pragma once

#include <signal.h>
#include <termios.h>

namespace platform {

class QuietTerminal {
public:
    // settings: what tty has now, put back at the end.
    QuietTerminal(int tty, const termios& settings);
    ~QuietTerminal();
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;

    // False when the terminal refused to stop echoing: nothing secret may be read then.
    bool Quiet() const { return quiet_; }
    // The signal mask to wait under: the held signals get through and end the wait.
    const sigset_t* WaitMask() const { return &outerMask_; }
    // True once a held signal has arrived.
    static bool Interrupted();

private:
    static constexpr int kSignalCount = 4;

    int tty_;
    termios settings_;
    bool quiet_ = false;
    sigset_t outerMask_;
    struct sigaction outerActions_[kSignalCount];
    bool caught_[kSignalCount] = {};
};

}  // namespace platform
