// Reads one key of the test's registry directly, to check what msimn wrote without
// trusting msimn's own reading of it. Closes its key when it dies.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"

class RegistryProbe {
public:
    explicit RegistryProbe(const std::string& path);
    ~RegistryProbe();
    RegistryProbe(const RegistryProbe&) = delete;
    RegistryProbe& operator=(const RegistryProbe&) = delete;

    bool IsOpen() const { return key_ != nullptr; }

    struct Value {
        DWORD type = REG_NONE;
        std::string bytes;  // exactly as stored
    };
    std::optional<Value> Get(const std::string& name) const;
    // The value as text up to its first zero byte; nullopt when missing.
    std::optional<std::string> Text(const std::string& name) const;
    std::vector<std::string> Subkeys() const;
    // Types and sizes of every value in this key and all keys below it, and the depth.
    struct TreeSummary {
        std::set<DWORD> types;
        bool hasEmptyValue = false;
        int depth = 0;
        int values = 0;
    };
    TreeSummary Summarize() const;

private:
    std::string path_;
    HKEY key_ = nullptr;
};
