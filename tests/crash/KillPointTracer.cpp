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
#include <stdexcept>

#include "support/World.h"

namespace {

// The call's operation, or nullptr when it is never a kill point. Reads are kill
// points only where they touch the registry (that is all a registry backup does) or
// the container (a hide's read-back check, a restore's checks).
enum class Target { Fd, Path, AtPath, None };
struct CallKind {
    const char* operation = nullptr;
    Target target = Target::None;
    int argument = 0;  // index of the fd, the path, or the dirfd of an *at path
    int flagsArgument = -1;  // open calls: only creating or truncating ones count
    bool readOnly = false;
};

CallKind KindOf(uint64_t nr) {
    switch (nr) {
        case SYS_write:
        case SYS_pwrite64:
        case SYS_writev:
        case SYS_pwritev:
        case SYS_pwritev2:
        case SYS_fallocate:
            return {"write", Target::Fd, 0};
        case SYS_fsync:
        case SYS_fdatasync:
        case SYS_sync_file_range:
        case SYS_syncfs:
            return {"flush", Target::Fd, 0};
        case SYS_ftruncate:
            return {"truncate", Target::Fd, 0};
        case SYS_fchmod:
            return {"attributes", Target::Fd, 0};
        case SYS_renameat:
        case SYS_renameat2:
            return {"rename", Target::AtPath, 2};  // the name it gets
        case SYS_unlinkat:
            return {"delete", Target::AtPath, 0};
        case SYS_fchmodat:
            return {"attributes", Target::AtPath, 0};
        case SYS_openat:
            return {"create", Target::AtPath, 0, 2};
#ifdef SYS_rename
        case SYS_rename:
            return {"rename", Target::Path, 1};
        case SYS_unlink:
            return {"delete", Target::Path, 0};
        case SYS_chmod:
            return {"attributes", Target::Path, 0};
        case SYS_open:
            return {"create", Target::Path, 0, 1};
        case SYS_creat:
            return {"create", Target::Path, 0};
        case SYS_truncate:
            return {"truncate", Target::Path, 0};
#endif
        case SYS_read:
        case SYS_pread64:
        case SYS_readv:
        case SYS_preadv:
            return {"read", Target::Fd, 0, -1, true};
        default:
            return {};
    }
}

std::string ReadLink(const std::string& link) {
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

std::string ReadChildString(pid_t pid, uint64_t address) {
    std::string text;
    while (text.size() < 4096) {
        errno = 0;
        const long word = ::ptrace(PTRACE_PEEKDATA, pid, reinterpret_cast<void*>(address + text.size()), nullptr);
        if (errno != 0) break;
        const char* bytes = reinterpret_cast<const char*>(&word);
        for (size_t i = 0; i < sizeof word; ++i) {
            if (bytes[i] == '\0') return text;
            text.push_back(bytes[i]);
        }
    }
    return text;
}

// The absolute path a call is about, as the child sees it.
std::string TargetPath(pid_t pid, const CallKind& kind, const uint64_t* args) {
    const std::string proc = "/proc/" + std::to_string(pid);
    if (kind.target == Target::Fd) return ReadLink(proc + "/fd/" + std::to_string(static_cast<int>(args[kind.argument])));
    if (kind.target == Target::Path) {
        const std::string path = ReadChildString(pid, args[kind.argument]);
        return path.empty() || path[0] == '/' ? path : ReadLink(proc + "/cwd") + "/" + path;
    }
    const int dirfd = static_cast<int>(args[kind.argument]);
    const std::string path = ReadChildString(pid, args[kind.argument + 1]);
    if (path.empty() || path[0] == '/') return path;
    const std::string base = dirfd == AT_FDCWD ? ReadLink(proc + "/cwd") : ReadLink(proc + "/fd/" + std::to_string(dirfd));
    return base + "/" + path;
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

}  // namespace

TracedRun KillPointTracer::Run(const std::vector<std::string>& argv, const std::string& logPath,
                               size_t killAt) const {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) ExecChild(argv, logPath, true);

    TracedRun run;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) throw std::runtime_error("child did not stop");
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACECLONE | PTRACE_O_TRACEEXEC);
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);

    for (;;) {
        const pid_t tid = ::waitpid(-1, &status, __WALL);
        if (tid < 0) {
            if (errno == EINTR) continue;
            break;
        }
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
                const CallKind kind = KindOf(info.entry.nr);
                const bool counts = kind.operation &&
                                    (kind.flagsArgument < 0 ||
                                     (info.entry.args[kind.flagsArgument] & (O_CREAT | O_TRUNC)) != 0);
                if (counts) {
                    const std::string place = classify_(TargetPath(pid, kind, info.entry.args), context_);
                    if (!place.empty() && (!kind.readOnly || place == "registry" || place == "container")) {
                        run.points.push_back({kind.operation, place});
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

int RunToEnd(const std::vector<std::string>& argv, const std::string& logPath) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) ExecChild(argv, logPath, false);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return ExitCodeOf(status);
}

WorldSetup KillWorld(int securityLevel) {
    WorldSetup setup;
    setup.inMemory = true;
    setup.applicationName = std::filesystem::path(VEILBOX_CLI_PATH).filename().string();
    setup.level = securityLevel;
    setup.password = "kill-me-softly";  // given to the program through a pipe only
    return setup;
}

std::vector<std::string> Cli(World& world, const std::string& command) {
    return world.CliCommand(VEILBOX_CLI_PATH, command);
}

std::string CliLog(const World& world) { return world.home.file("cli.log"); }

int RunCli(World& world, const std::string& command) {
    World::CloseRegistry();
    return RunToEnd(Cli(world, command), CliLog(world));
}

std::string TakeLog(const World& world) {
    std::error_code ec;
    const std::string text = std::filesystem::exists(CliLog(world)) ? ReadWholeFile(CliLog(world)) : "";
    std::filesystem::remove(CliLog(world), ec);
    return text;
}
