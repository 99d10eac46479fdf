// Creates an identity the way the client lays it out: a store folder of *.dbx files,
// then the key Identities\{GUID} with the values and subkeys the client writes.
#pragma once

#include <cstdint>
#include <string>

#include "ClientIdentity.h"

namespace msimn {

class IdentityFactory {
public:
    // storeRoot: the "Store Root" text (may hold %name% references), or empty for a
    // new folder below StorePath::DefaultBase(). The pointer values of Identities are
    // set to the new identity when makeDefault is true or none is set yet.
    // Throws ToolError or ToolError.
    static ClientIdentity Create(const std::string& username, const std::string& storeRoot, unsigned files,
                                 uint64_t seed, bool makeDefault);

private:
    static void WriteKey(const ClientIdentity& identity, uint64_t seed);
};

}  // namespace msimn
