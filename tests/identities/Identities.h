// What the identity tests share: the world's protected identity and the backup streams
// as byte strings.
#pragma once

#include <string>

#include "identities/RegistryBackup.h"
#include "identities/RegistryKey.h"
#include "support/World.h"

inline const std::string kGuardPath = IdentityPath(World::kGuard);

inline std::string Bytes(const CBlob& blob) { return std::string(reinterpret_cast<const char*>(blob.Data()), blob.Length()); }

inline void SetBytes(CBlob& blob, const std::string& bytes) {
    blob.Free();
    ASSERT_TRUE(blob.Append(bytes.data(), bytes.size()));
}

// Replaces the protected identity's key with exactly `tree`.
inline void ReplaceGuard(const TreeKey& tree) {
    RegistryKey identities;
    ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(World::kGuard));
    WriteTree(kGuardPath, tree);
}
