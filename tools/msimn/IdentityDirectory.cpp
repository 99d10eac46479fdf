#include "IdentityDirectory.h"

#include "ClientLayout.h"
#include "IdentityPointers.h"
#include "RegKey.h"

namespace msimn {

bool IdentityDirectory::Read(const RegKey& identities, const std::string& keyName, ClientIdentity& out) {
    RegKey key;
    if (!RegKey::TryOpen(identities.Get(), keyName, key)) return false;
    ClientIdentity identity;
    identity.keyName = keyName;
    if (!key.QueryString(layout::kUsername, identity.username)) return false;
    if (!key.QueryString(layout::kUserId, identity.userId)) return false;
    RegKey client;
    std::string version;
    RegKey versionKey;
    if (RegKey::TryOpen(key.Get(), layout::kClientKey, client) && client.SubkeyName(0, version) &&
        RegKey::TryOpen(client.Get(), version, versionKey)) {
        versionKey.QueryString(layout::kStoreRoot, identity.storeRoot);
    }
    out = identity;
    return true;
}

std::vector<ClientIdentity> IdentityDirectory::List() {
    std::vector<ClientIdentity> result;
    RegKey identities;
    if (!RegKey::TryOpen(platform::RegKey::CurrentUser, layout::kIdentities, identities)) return result;
    std::string keyName;
    for (uint32_t index = 0; identities.SubkeyName(index, keyName); ++index) {
        ClientIdentity identity;
        if (Read(identities, keyName, identity)) result.push_back(identity);
    }
    return result;
}

bool IdentityDirectory::Find(const std::string& keyName, ClientIdentity& out) {
    for (const auto& identity : List()) {
        if (identity.keyName == keyName) {
            out = identity;
            return true;
        }
    }
    return false;
}

bool IdentityDirectory::StartIdentity(ClientIdentity& out) {
    std::vector<ClientIdentity> identities = List();
    if (identities.empty()) return false;
    IdentityPointers pointers = IdentityPointers::Read();
    for (const auto* wanted : {&pointers.startAs, &pointers.defaultUserId}) {
        if (!*wanted) continue;
        for (const auto& identity : identities) {
            if (identity.userId == **wanted) {
                out = identity;
                return true;
            }
        }
    }
    out = identities.front();
    return true;
}

}  // namespace msimn
