// Gives a test its own empty HKEY_CURRENT_USER: a database in a private temporary
// folder, also named in VEILBOX_REGISTRY so that programs the test starts use the same
// one. The previous registry and environment come back when the object dies.
#pragma once

#include <optional>
#include <string>

#include "ScopedEnvironment.h"
#include "TempDir.h"

class TempRegistry {
public:
    TempRegistry();
    ~TempRegistry();
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    // The database file.
    const std::string& path() const { return path_; }

private:
    TempDir dir_;
    std::string path_;
    std::string previousLocation_;
    std::optional<ScopedEnvironment> environment_;
};
