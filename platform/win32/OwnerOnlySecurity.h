// The access list of a file that holds secrets: one entry that lets the current user
// do everything, and nothing inherited from the folder, so no other account may open
// it. Windows' counterpart of mode 0600.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/NonCopyable.h"
#include "platform/win32/Win32.h"

namespace platform {

class OwnerOnlySecurity : NonCopyable {
public:
    OwnerOnlySecurity();
    // False when the user's account could not be read: nothing secret may be written then.
    bool Valid() const { return valid_; }
    // For CreateFileA: the descriptor given to a file that the call creates.
    SECURITY_ATTRIBUTES* Attributes() { return valid_ ? &attributes_ : nullptr; }
    // Gives the file at path the descriptor; false when the system refuses.
    bool ApplyTo(const std::string& path);

private:
    std::vector<uint8_t> user_;  // the TOKEN_USER record with the user's SID
    std::vector<uint8_t> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool valid_ = false;
};

}  // namespace platform
