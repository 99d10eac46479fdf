#include "IdentityPointers.h"

#include "ClientIdentity.h"
#include "ClientLayout.h"
#include "RegKey.h"

namespace msimn {

namespace {

std::optional<std::string> ReadValue(const RegKey& key, const char* name) {
    std::string text;
    if (!key.IsOpen() || !key.QueryString(name, text)) return std::nullopt;
    return text;
}

}  // namespace

IdentityPointers IdentityPointers::Read() {
    IdentityPointers pointers;
    RegKey identities;
    RegKey::TryOpen(platform::RegKey::CurrentUser, layout::kIdentities, identities);
    pointers.defaultUserId = ReadValue(identities, layout::kDefaultUserId);
    pointers.lastUserId = ReadValue(identities, layout::kLastUserId);
    pointers.lastUsername = ReadValue(identities, layout::kLastUsername);
    pointers.startAs = ReadValue(identities, layout::kStartAs);
    return pointers;
}

IdentityPointers IdentityPointers::PointingAt(const ClientIdentity& identity) {
    IdentityPointers pointers;
    pointers.defaultUserId = identity.userId;
    pointers.lastUserId = identity.userId;
    pointers.lastUsername = identity.username;
    pointers.startAs = identity.userId;
    return pointers;
}

void IdentityPointers::Write() const {
    RegKey identities = RegKey::Create(platform::RegKey::CurrentUser, layout::kIdentities);
    if (defaultUserId) identities.SetString(layout::kDefaultUserId, *defaultUserId);
    if (lastUserId) identities.SetString(layout::kLastUserId, *lastUserId);
    if (lastUsername) identities.SetString(layout::kLastUsername, *lastUsername);
    if (startAs) identities.SetString(layout::kStartAs, *startAs);
}

}  // namespace msimn
