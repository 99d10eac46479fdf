// Sets or removes environment variables for one test and puts the old values back
// when it goes out of scope.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Shell.h"

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment() {
        // Newest first, so a variable changed twice ends with its original value.
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                platform::SetEnvironmentValue(it->first, *it->second);
            else
                platform::RemoveEnvironmentValue(it->first);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value) {
        Remember(name);
        platform::SetEnvironmentValue(name, value);
    }
    void Unset(const std::string& name) {
        Remember(name);
        platform::RemoveEnvironmentValue(name);
    }

private:
    void Remember(const std::string& name) {
        const char* value = getenv(name.c_str());
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
