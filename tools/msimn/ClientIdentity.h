// One identity as the client keeps it in the registry.
#pragma once

#include <string>

namespace msimn {

struct ClientIdentity {
    std::string keyName;    // subkey of Identities, a GUID text
    std::string userId;     // "User ID", the name the pointer values use
    std::string username;   // "Username", what the user sees
    std::string storeRoot;  // "Store Root" as stored, %name% references not expanded
};

}  // namespace msimn
