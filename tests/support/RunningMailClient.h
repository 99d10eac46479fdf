// The mail client's stand-in at work on an identity: its window up and its store held,
// until the holder goes.
#pragma once

#include <cstdint>
#include <string>

class RunningMailClient {
public:
    // Whether the stand-in was built and can open its window here (on Linux it needs
    // a display).
    static bool CanRun();
    // Starts it and waits until it says its window is up.
    explicit RunningMailClient(const std::string& identity);
    ~RunningMailClient();
    RunningMailClient(const RunningMailClient&) = delete;
    RunningMailClient& operator=(const RunningMailClient&) = delete;

    bool up() const { return up_; }

private:
    intptr_t process_ = -1;  // the process id on Linux, its handle on Windows
    bool up_ = false;
};
