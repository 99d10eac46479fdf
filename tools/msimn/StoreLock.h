// Holds every file of a store open for reading and writing with exclusive sharing,
// as the client does while it runs: nobody else can open them meanwhile.
#pragma once

#include <string>
#include <vector>

#include "platform/File.h"

namespace msimn {

class StoreLock {
public:
    // Throws ToolError when a file is already held elsewhere (sharing
    // violation) or cannot be opened; the files opened before are released.
    explicit StoreLock(const std::string& folder);

    const std::vector<platform::FindEntry>& Files() const { return entries_; }
    void Release();

private:
    std::vector<platform::FindEntry> entries_;
    std::vector<platform::File> files_;
};

}  // namespace msimn
