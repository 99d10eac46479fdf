// Rebuilding the protected identity's key from a RegistryBackup.
#pragma once

#include "identities/RegistryBackup.h"
#include "identities/RegistryBackupReader.h"

// Checks the whole structure/data pair in one pass, touching nothing: every tag known,
// every name terminated inside StructureStream, every value record inside DataStream,
// subkeys balanced and never closing the identity's own key, 0xFF last, no bytes left
// over. Call it before anything is written from a container; `defect` (optional)
// receives the first fault found.
bool ValidateRegistryBackup(const RegistryBackup& backup, BackupDefect* defect = nullptr);

// Recreates (or opens, when it exists) the identity's key and everything the backup
// saved below it, then writes the four pointer values of Identities back unconditionally
// (a missing one comes back as an empty text value). Values the backup does not name
// are kept. True when all of that was done.
//
// False, with nothing written, when guardid is not a plain key name or the identity's
// key cannot be created; false with the key rebuilt but the pointers untouched when
// Identities cannot be opened at the end.
// Raises InternalFailure("!!!") for a malformed backup (found before anything is
// written) and InternalFailure("oblom!!!") when a subkey cannot be created (the part
// rebuilt so far stays; repeating the restore is safe).
bool RestoreIdentityKey(const RegistryBackup& backup);
