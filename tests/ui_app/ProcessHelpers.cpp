#include "ProcessHelpers.h"

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

int RunCommand(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int StartInBackground(const std::string& commandLine, const std::string& pidFile) {
    if (RunCommand("(" + commandLine + ") >/dev/null 2>&1 & echo $! > '" + pidFile + "'") != 0) return 0;
    std::ifstream in(pidFile);
    int pid = 0;
    in >> pid;
    return pid;
}

void StopProcess(int pid) {
    if (pid > 0) RunCommand("kill " + std::to_string(pid) + " 2>/dev/null; while kill -0 " + std::to_string(pid) +
                            " 2>/dev/null; do sleep 0.05; done");
}

std::string BuiltProgram(const std::string& name) { return std::string(VEILBOX_BINARY_DIR) + "/bin/" + name; }
