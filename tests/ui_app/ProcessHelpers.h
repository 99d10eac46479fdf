// Running the program's real executables from a test: the mail-client stand-in and
// the program itself, in the test's private registry, home and display.
#pragma once

#include <string>

// Runs a shell command line; its exit status (0..255), or -1 when it did not exit.
int RunCommand(const std::string& commandLine);
// Starts a command line in the background; returns its process id, or 0.
int StartInBackground(const std::string& commandLine, const std::string& pidFile);
void StopProcess(int pid);
// The path of an executable of the build's bin folder.
std::string BuiltProgram(const std::string& name);
