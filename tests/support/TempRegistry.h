// Gives a test its own empty platform::RegKey::CurrentUser: a database in a private temporary
// folder, also named in VEILBOX_REGISTRY so that programs the test starts use the same
// one. The previous registry and environment come back when the object dies.
#pragma once

#include <stdexcept>
#include <string>

#include "ScopedEnvironment.h"
#include "TempDir.h"
#include "platform/Registry.h"

class TempRegistry {
public:
    TempRegistry() : path_(dir_.file("registry.db")), previousLocation_(platform::RegistryLocation()) {
        if (!platform::RedirectRegistry(path_)) throw std::runtime_error("cannot open a test registry at " + path_);
        environment_.Set("VEILBOX_REGISTRY", path_);
    }
    ~TempRegistry() {
        // Going back to the default first means the default place is not opened (and so
        // not created) unless a test had explicitly redirected somewhere before.
        platform::RedirectRegistry("");
        if (platform::RegistryLocation() != previousLocation_) platform::RedirectRegistry(previousLocation_);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    // The database file.
    const std::string& path() const { return path_; }

private:
    TempDir dir_;
    std::string path_;
    std::string previousLocation_;
    ScopedEnvironment environment_;
};
