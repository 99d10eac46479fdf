// The list of the mail client's identities, in the registry's enumeration
// order (list positions double as list-box positions, so it is never re-sorted).
// Identities the client could not show (no "Username", "User ID" or store folder) are
// left out. All comparisons of key names and ids are exact and case-sensitive.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "identities/IdentityRecord.h"
#include "platform/Registry.h"

class IdentityCatalogue {
public:
    IdentityCatalogue() = default;
    explicit IdentityCatalogue(std::vector<IdentityRecord> records) : records_(std::move(records)) {}

    // What the registry holds now. Each reader takes its own list, so nothing goes
    // stale; a window that shows the list keeps the one it showed.
    static IdentityCatalogue Read();

    size_t Count() const { return records_.size(); }
    const IdentityRecord& At(size_t position) const { return records_.at(position); }

    // Position of the last record with this key name, or -1.
    int Find(const std::string& keyName) const;
    // The first record's key name, from position 0 up, that differs from keyName;
    // keyName itself when there is none.
    std::string FirstOtherThan(const std::string& keyName) const;
    // UserId of the identity with this key name; the key name itself when it is not listed.
    std::string UserIdOf(const std::string& keyName) const;
    // Username of the identity with this key name; empty when it is not listed.
    std::string UsernameOf(const std::string& keyName) const;

private:
    std::vector<IdentityRecord> records_;
};

// The "Store Root" value of the identity's first version key below the client's
// software key, exactly as stored; empty text when any step is missing.
std::string ReadStoreRoot(platform::RegKey identityKey);
