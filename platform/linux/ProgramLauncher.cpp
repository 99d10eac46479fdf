// Starting other programs: the desktop's URL handler and programs found on PATH. They
// are started directly (never through a shell, so no text is ever interpreted) and
// detached: a short-lived middle process forks the program and exits at once, so the
// program is adopted by init and never lingers as our zombie.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/Shell.h"
#include "platform/linux/UniqueFd.h"

namespace platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The path of the program named name, searched like execvp does; empty when none.
std::string FindOnPath(const std::string& name) {
    if (name.empty()) return std::string();
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    std::string path = EnvironmentValue("PATH");
    if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string folder = path.substr(start, end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return std::string();
}

// Descriptors this process holds must not live on in the started program: an inherited
// descriptor of a locked store file would keep the file locked after we close it.
// The error pipe (keep) is close-on-exec already and must stay usable until the exec.
void CloseInheritedDescriptors(int keep) {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    rlimit limit{};
    int last = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                   ? static_cast<int>(limit.rlim_cur)
                   : 65536;
    for (int fd = 3; fd < last; ++fd) {
        if (fd != keep) close(fd);
    }
}

void WriteErrorAndExit(int fd, int code) {
    int error = errno;
    ssize_t ignored = write(fd, &error, sizeof error);
    (void)ignored;
    _exit(code);
}

// Runs program with args (args[0] is the name it sees) in its own session, with our
// environment and `variable` (NAME=value, when not empty) set. True once the program
// has really been executed; a failed exec is reported back through a pipe that closes
// on exec, so "started" never means "tried".
bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& variable = std::string()) {
    // Everything the children use is prepared first: after fork only async-signal-safe
    // calls are allowed.
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    const std::string name = variable.substr(0, variable.find('=') + 1);
    for (char** entry = environ; *entry; ++entry) {
        if (name.empty() || std::strncmp(*entry, name.c_str(), name.size()) != 0) envp.push_back(*entry);
    }
    if (!name.empty()) envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    UniqueFd readEnd(ends[0]), writeEnd(ends[1]);

    pid_t middle = fork();
    if (middle < 0) return false;
    if (middle == 0) {
        setsid();
        pid_t grandchild = fork();
        if (grandchild < 0) WriteErrorAndExit(writeEnd.Get(), 1);
        if (grandchild > 0) _exit(0);
        int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null >= 0) dup2(null, STDIN_FILENO);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        CloseInheritedDescriptors(writeEnd.Get());
        execve(program.c_str(), argv.data(), envp.data());
        WriteErrorAndExit(writeEnd.Get(), 127);
    }
    writeEnd.Reset();
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = read(readEnd.Get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    return n == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool EndsWithExe(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0;
}

}  // namespace

bool OpenUrl(const std::string& url) {
    // A text starting with '-' would reach the handler as an option, not an address.
    if (url.empty() || url[0] == '-') return false;
    std::string handler = FindOnPath("xdg-open");
    return !handler.empty() && SpawnDetached(handler, {"xdg-open", url});
}

bool StartProgram(const std::string& name, WindowShow show) {
    std::string path = FindOnPath(name);
    // Programs named for another system keep their ".exe"; installed here they have none.
    std::string shownName = name;
    if (path.empty() && EndsWithExe(name)) {
        shownName = name.substr(0, name.size() - 4);
        path = FindOnPath(shownName);
    }
    const std::string request = show == WindowShow::Maximized ? std::string(kWindowShowVariable) + "=maximized" : "";
    return !path.empty() && SpawnDetached(path, {shownName}, request);
}

}  // namespace platform
