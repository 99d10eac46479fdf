#include "platform/Shell.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace platform {

bool DisableCoreDumps() {
    // Both, because each covers what the other leaves open: a zero core limit is all it
    // takes to stop a core file, but a core_pattern that pipes to a handler may ignore
    // the limit, and only a process that is not dumpable is closed to ptrace and to
    // /proc/<pid>/mem from other processes of the same user. The hard limit stays, so a
    // program started from here (which inherits the soft limit; dumpability comes back
    // at its exec) can still raise its own.
    rlimit limit{};  // stays all zero should the current limits be unknown
    getrlimit(RLIMIT_CORE, &limit);
    limit.rlim_cur = 0;
    const bool limited = setrlimit(RLIMIT_CORE, &limit) == 0;
    const bool undumpable = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return limited && undumpable;
}

}  // namespace platform
