// Reads the client's identities from the registry the way the client itself does:
// every subkey of Identities that has a "Username" and a "User ID"; the store root
// comes from the first version key below the client's key and may be empty (an
// identity that was never opened).
#pragma once

#include <string>
#include <vector>

#include "ClientIdentity.h"

namespace msimn {

class RegKey;

class IdentityDirectory {
public:
    // In the registry's enumeration order.
    static std::vector<ClientIdentity> List();
    // The identity with exactly this key name; false when there is none.
    static bool Find(const std::string& keyName, ClientIdentity& out);
    // The identity the client starts with: the one "Start As" names, else the one
    // "Default User ID" names, else the first listed; false when none is listed.
    static bool StartIdentity(ClientIdentity& out);

private:
    static bool Read(const RegKey& identities, const std::string& keyName, ClientIdentity& out);
};

}  // namespace msimn
