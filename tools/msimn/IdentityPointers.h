// The four pointer values of the Identities key. A field left empty (nullopt) is
// missing in the registry when read, and left alone when written.
#pragma once

#include <optional>
#include <string>

namespace msimn {

struct ClientIdentity;

class IdentityPointers {
public:
    std::optional<std::string> defaultUserId;
    std::optional<std::string> lastUserId;
    std::optional<std::string> lastUsername;
    std::optional<std::string> startAs;

    static IdentityPointers Read();
    // All four pointing at one identity, as after the user picked it at start.
    static IdentityPointers PointingAt(const ClientIdentity& identity);
    // Writes the fields that are set, creating the Identities key when missing.
    void Write() const;
};

}  // namespace msimn
