#include "KillPointTracer.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "support/PasswordPipe.h"
#include "support/World.h"

namespace {

// Reads are kill points only where they touch the registry (that is all a registry
// backup does) or the container (a hide's read-back check, a restore's checks).
enum class Target { Fd, Path, AtPath };
struct CallKind {
    const char* operation;
    Target target;
    int argument;            // index of the fd, the path, or the dirfd of an *at path
    int flagsArgument = -1;  // open calls: only creating or truncating ones count
};

// The calls that are kill points; any other call never is one.
const std::map<uint64_t, CallKind> kKillCalls = {
    {SYS_write, {"write", Target::Fd, 0}},          {SYS_pwrite64, {"write", Target::Fd, 0}},
    {SYS_writev, {"write", Target::Fd, 0}},         {SYS_pwritev, {"write", Target::Fd, 0}},
    {SYS_pwritev2, {"write", Target::Fd, 0}},       {SYS_fallocate, {"write", Target::Fd, 0}},
    {SYS_fsync, {"flush", Target::Fd, 0}},          {SYS_fdatasync, {"flush", Target::Fd, 0}},
    {SYS_sync_file_range, {"flush", Target::Fd, 0}}, {SYS_syncfs, {"flush", Target::Fd, 0}},
    {SYS_ftruncate, {"truncate", Target::Fd, 0}},   {SYS_fchmod, {"attributes", Target::Fd, 0}},
    {SYS_renameat, {"rename", Target::AtPath, 2}},  {SYS_renameat2, {"rename", Target::AtPath, 2}},  // the name it gets
    {SYS_unlinkat, {"delete", Target::AtPath, 0}},  {SYS_fchmodat, {"attributes", Target::AtPath, 0}},
    {SYS_openat, {"create", Target::AtPath, 0, 2}},
#ifdef SYS_rename
    {SYS_rename, {"rename", Target::Path, 1}},      {SYS_unlink, {"delete", Target::Path, 0}},
    {SYS_chmod, {"attributes", Target::Path, 0}},   {SYS_open, {"create", Target::Path, 0, 1}},
    {SYS_creat, {"create", Target::Path, 0}},       {SYS_truncate, {"truncate", Target::Path, 0}},
#endif
    {SYS_read, {"read", Target::Fd, 0}},            {SYS_pread64, {"read", Target::Fd, 0}},
    {SYS_readv, {"read", Target::Fd, 0}},           {SYS_preadv, {"read", Target::Fd, 0}},
};

std::string ReadLink(const std::string& link) {
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

// A zero-terminated text in the child's memory (read up to the first page it cannot).
std::string ReadChildString(pid_t pid, uint64_t address) {
    char buffer[4096];
    const int memory = ::open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = memory < 0 ? -1 : ::pread(memory, buffer, sizeof buffer, static_cast<off_t>(address));
    if (memory >= 0) ::close(memory);
    return n <= 0 ? std::string() : std::string(buffer, ::strnlen(buffer, static_cast<size_t>(n)));
}

// The absolute path a call is about, as the child sees it.
std::string TargetPath(pid_t pid, const CallKind& kind, const uint64_t* args) {
    const std::string proc = "/proc/" + std::to_string(pid);
    if (kind.target == Target::Fd) return ReadLink(proc + "/fd/" + std::to_string(static_cast<int>(args[kind.argument])));
    // An *at call names the folder of a relative path by a descriptor; a plain one means the working folder.
    const bool at = kind.target == Target::AtPath;
    const int dirfd = at ? static_cast<int>(args[kind.argument]) : AT_FDCWD;
    const std::string path = ReadChildString(pid, args[kind.argument + (at ? 1 : 0)]);
    if (path.empty() || path[0] == '/') return path;
    return ReadLink(dirfd == AT_FDCWD ? proc + "/cwd" : proc + "/fd/" + std::to_string(dirfd)) + "/" + path;
}

// The program makes itself not dumpable, and a process that is not dumpable keeps its
// memory and its descriptors from a tracer without the right to trace anyone (any
// tracer but root's): the paths of its calls could not be read. For the traced run the
// request is answered "done" and not carried out; nothing else about the run changes.
void KeepDumpable() {
    // The first argument's low word; the upper one is not looked at.
    constexpr uint32_t kFirstArgument =
        offsetof(seccomp_data, args) + (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? sizeof(uint32_t) : 0);
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_prctl, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgument),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, PR_SET_DUMPABLE, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog filter = {static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter);
}

[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const std::string& logPath, bool traced) {
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (log >= 0) {
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        ::close(log);
    }
    if (traced) {
        // LeakSanitizer needs ptrace for itself at exit, which a traced process
        // cannot have; leaks are looked for in the untraced runs.
        const char* asan = ::getenv("ASAN_OPTIONS");
        const std::string options = std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "detect_leaks=0";
        ::setenv("ASAN_OPTIONS", options.c_str(), 1);
        KeepDumpable();
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

std::string CliLog(const World& world) { return world.home.file("cli.log"); }

// veilbox-cli started on the command, its output going to the world's log.
pid_t StartCli(World& world, const std::string& command, bool traced) {
    // The child inherits the pipe's reading end with the world's password already in it.
    const PasswordPipe pipe(world.Password() + "\n");
    std::vector<std::string> argv = {VEILBOX_CLI_PATH};
    for (const std::string& option : pipe.Option()) argv.push_back(option);
    argv.push_back(command);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) ExecChild(argv, CliLog(world), traced);
    return pid;
}

}  // namespace

TracedRun TraceCli(World& world, const std::string& command, size_t killAt) {
    const pid_t pid = StartCli(world, command, true);
    TracedRun run;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) throw std::runtime_error("child did not stop");
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACECLONE | PTRACE_O_TRACEEXEC);
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);

    for (;;) {
        const pid_t tid = ::waitpid(-1, &status, __WALL);
        if (tid < 0 && errno == EINTR) continue;
        if (tid < 0) break;
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (tid != pid) continue;  // a thread ended; the process goes on
            if (!run.killed) run.exitCode = ExitCodeOf(status);
            break;
        }
        if (!WIFSTOPPED(status)) continue;
        int deliver = 0;
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info info{};
            if (::ptrace(PTRACE_GET_SYSCALL_INFO, tid, sizeof info, &info) > 0 &&
                info.op == PTRACE_SYSCALL_INFO_ENTRY) {
                const auto call = kKillCalls.find(info.entry.nr);
                const CallKind* kind = call == kKillCalls.end() ? nullptr : &call->second;
                if (kind && (kind->flagsArgument < 0 || (info.entry.args[kind->flagsArgument] & (O_CREAT | O_TRUNC)) != 0)) {
                    const std::string place = world.Classify(TargetPath(pid, *kind, info.entry.args));
                    const bool read = std::string(kind->operation) == "read";
                    if (!place.empty() && (!read || place == "registry" || place == "container")) {
                        run.points.push_back({kind->operation, place});
                        if (run.points.size() == killAt) {
                            run.killed = true;
                            ::kill(pid, SIGKILL);
                        }
                    }
                }
            }
        } else if ((status >> 16) == 0 && signal != SIGSTOP && signal != SIGTRAP) {
            deliver = signal;  // an ordinary signal of the program: pass it on
        }
        ::ptrace(PTRACE_SYSCALL, tid, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(deliver)));
    }
    // Reap whatever is left of the process after a kill.
    while (::waitpid(pid, &status, __WALL) > 0) {
    }
    return run;
}

WorldSetup KillWorld(int securityLevel) {
    WorldSetup setup;
    setup.inMemory = true;
    setup.applicationName = std::filesystem::path(VEILBOX_CLI_PATH).filename().string();
    setup.level = securityLevel;
    setup.password = "kill-me-softly";  // given to the program through a pipe only
    return setup;
}

int RunCli(World& world, const std::string& command) {
    World::CloseRegistry();
    const pid_t pid = StartCli(world, command, false);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return ExitCodeOf(status);
}

std::string TakeLog(const World& world) {
    const std::string text = std::filesystem::exists(CliLog(world)) ? ReadWholeFile(CliLog(world)) : "";
    std::filesystem::remove(CliLog(world));
    return text;
}
