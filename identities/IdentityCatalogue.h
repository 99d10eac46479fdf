// The program-wide list of the mail client's identities, in the registry's enumeration
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

    // Replaces the whole list with what the registry holds now.
    void Load();

    size_t Count() const { return records_.size(); }
    const IdentityRecord& At(size_t position) const { return records_.at(position); }

    // Position of the last record with this key name, or -1.
    int Find(const std::string& keyName) const;
    // The first record's key name, from position 0 up, that differs from keyName;
    // keyName itself when there is none.
    std::string FirstOtherThan(const std::string& keyName) const;

private:
    std::vector<IdentityRecord> records_;
};

// The one catalogue of the program; empty until LoadIdentities.
IdentityCatalogue& GetIdentityCatalogue();

void LoadIdentities();
size_t GetIdentityCount();
const IdentityRecord& GetIdentity(size_t position);
int FindIdentity(const std::string& keyName);
// UserId of the identity with this key name; the key name itself when it is not listed.
std::string GetIdentityUserId(const std::string& keyName);
// Username of the identity with this key name; empty when it is not listed.
std::string GetIdentityUsername(const std::string& keyName);
// Key name of the first listed identity that is not the protected one (guardid); guardid
// itself when there is no other.
std::string GetOtherIdentity();

// The "Store Root" value of the identity's first version key below the client's
// software key, exactly as stored; empty text when any step is missing.
std::string ReadStoreRoot(HKEY identityKey);
