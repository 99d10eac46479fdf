// Rebuilding the protected identity's key from a RegistryBackup, and what a restore
// must know of a backup before it writes anything.
#pragma once

#include <string>

#include "identities/RegistryBackup.h"
#include "identities/RegistryBackupReader.h"

// Checks the whole structure/data pair in one pass, touching nothing: every tag known,
// every name terminated inside StructureStream, every value record inside DataStream,
// subkeys balanced and never closing the identity's own key, 0xFF last, no bytes left
// over. The hide checks its own backup with it too, so it never saves what a restore
// would refuse. `defect` (optional) receives the first fault found.
[[nodiscard]] bool ValidateRegistryBackup(const RegistryBackup& backup, BackupDefect* defect = nullptr);

// The "Store Root" text the backup saved, found as the catalogue finds it in the
// registry (the first version key below the client's software key). False when the
// backup holds none. The backup must be valid.
[[nodiscard]] bool FindStoreRootInBackup(const RegistryBackup& backup, std::string& storeRoot);
// Gives that value the text storeRoot (its type kept), for a container whose folder this
// system names differently. False, with the backup unchanged, when it holds no such
// value or memory runs out.
[[nodiscard]] bool ReplaceStoreRootInBackup(RegistryBackup& backup, const std::string& storeRoot);

// How the key of the identity keyName, if it exists now, stands against a backup.
enum class [[nodiscard]] KeyInPlace {
    Missing,        // no key: the identity is not listed
    PartOfBackup,   // every key and value in place is the backup's own (an interrupted restore)
    Differs,        // something in place is not in the backup: it is newer than the container
    Unreadable,     // the key exists but cannot be read whole
    Broken,         // a listed subkey of it cannot be opened: nothing can be judged
};
[[nodiscard]] KeyInPlace CompareIdentityKeyWithBackup(const std::string& keyName, const RegistryBackup& backup);

// Recreates (or opens, when it exists) the key of the identity keyName and everything the backup
// saved below it, then writes the four pointer values of Identities back (a missing
// one comes back as an empty text value). Values the backup does not name are kept.
// Every write is checked: on the first failure the pointer values get back what they
// held, a key this call created is deleted again, and the result is false. False with
// nothing written when keyName is not a plain key name, the backup is malformed or the
// key cannot be created.
[[nodiscard]] bool RestoreIdentityKey(const std::string& keyName, const RegistryBackup& backup);
