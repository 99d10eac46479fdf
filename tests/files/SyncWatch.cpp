// fsync and syncfs are wrapped for the whole test program: each call is counted under
// the path of its descriptor, then passed on, so a test can tell that a flush reached
// the system and not only that it returned.
#include "SyncWatch.h"

#include <dlfcn.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace {

std::mutex mutex;
std::map<std::string, int>& Calls() {
    static std::map<std::string, int> calls;
    return calls;
}

void Count(const char* call, int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    std::lock_guard<std::mutex> lock(mutex);
    ++Calls()[std::string(call) + " " + std::string(path, n > 0 ? size_t(n) : 0)];
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    Count("fsync", fd);
    static const auto next = Next<int (*)(int)>("fsync");
    return next(fd);
}

extern "C" int syncfs(int fd) {
    Count("syncfs", fd);
    static const auto next = Next<int (*)(int)>("syncfs");
    return next(fd);
}

int Syncs(const std::string& call, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = Calls().find(call + " " + path);
    return found == Calls().end() ? 0 : found->second;
}
