// Runs a program under ptrace and stops it dead at a chosen kill point.
//
// A kill point is the entry of a system call that changes something on disk (a write,
// a flush, a rename, a delete, a truncation, a file creation, an attribute change) or
// reads the registry database or the container, aimed at one of the places the test
// cares about. The program is SIGKILLed at the entry of the N-th such call, before the kernel runs it,
// so killing at every N in turn leaves the disk in every state the program can ever
// leave behind when it dies, without timing and without hooks in the program.
#pragma once

#include <string>
#include <vector>

struct KillPoint {
    std::string operation;  // "write", "flush", "rename", "delete", "truncate", "create", "attributes", "read"
    std::string place;      // what the call touches, named by the watcher (see Classify)
    std::string Label() const { return operation + " " + place; }
};

struct TracedRun {
    std::vector<KillPoint> points;  // every kill point reached (the last one is the fatal one when killed)
    bool killed = false;
    int exitCode = -1;  // when not killed
};

class World;
struct WorldSetup;

// The world veilbox-cli hides and restores in: in memory where it can (a killed process
// leaves the page cache behind, so what counts is the order of the steps, not what
// reaches the platter), the settings under the program's own name, a password.
WorldSetup KillWorld(int securityLevel);
// Runs veilbox-cli's command in the world under ptrace, the world naming the places
// (World::Classify); kills it at the entry of kill point killAt (1-based), or lets it
// finish when killAt is 0.
TracedRun TraceCli(World& world, const std::string& command, size_t killAt);
// Runs veilbox-cli to its end (untraced); its exit status.
int RunCli(World& world, const std::string& command);
// What the runs printed since the last call, for failure messages.
std::string TakeLog(const World& world);
