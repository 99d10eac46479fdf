#include "platform/Shell.h"

#include <cstdlib>

namespace platform {

std::string GetEnvironmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

}  // namespace platform
