// One identity of the mail client as the catalogue lists it.
#pragma once

#include <string>

struct IdentityRecord {
    std::string KeyName;    // name of the identity's subkey of Identities
    std::string Username;   // what the user sees
    std::string UserId;     // what the pointer values of Identities name it by
    std::string StoreRoot;  // message-store folder, unexpanded (%name% tokens kept)
};
