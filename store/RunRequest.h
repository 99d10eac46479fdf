// Everything one hide or restore needs from the user's choices, gathered once before
// the run starts, so that what the user confirmed is exactly what the run does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "identities/Settings.h"

struct RunRequest {
    RunRequest() = default;
    RunRequest(RunRequest&&) = default;
    RunRequest& operator=(RunRequest&&) = default;
    RunRequest(const RunRequest&) = delete;
    RunRequest& operator=(const RunRequest&) = delete;
    ~RunRequest();

    std::string identityKeyName;  // the protected identity's key name ("guardid")
    std::string displayName;      // its "Username", for the question; empty when not listed
    std::string storeRoot;        // its "Store Root" as the catalogue has it, not expanded
    int securityLevel = SecurityHigh;
    std::string containerPath;    // empty when the key name cannot name a file
    std::string password;         // the key material; wiped when the request dies
    // Called with every block the shredder writes (path, bytes, count), for tests,
    // which have no other way to see data that is deleted right after.
    std::function<void(const std::string&, const uint8_t*, size_t)> onShredBlock;
};
