#include "platform/Shell.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

std::string EnvironmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

bool SetEnvironmentValue(const std::string& name, const std::string& value) {
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool RemoveEnvironmentValue(const std::string& name) { return ::unsetenv(name.c_str()) == 0; }

bool RunsUnderWine() { return false; }

std::string ProgramFilePath() {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(n));
}

}  // namespace platform
