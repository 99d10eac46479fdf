// Replays arbitrary registry backups, as a damaged or crafted container would carry
// them, into a private registry database.
//
// Input: 2 bytes (little-endian) giving the structure stream's length, the structure
// stream, then the data stream (the rest). A structure length past the end takes all.
//
// Besides the sanitizers, it checks that the validator and the restore agree: a
// backup the validator refuses is never reported as restored, and a restore that
// fails for any reason leaves no identity key behind.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "identities/RegistryBackupReader.h"
#include "identities/RegistryKey.h"
#include "identities/RegistryRestore.h"
#include "identities/MailClient.h"
#include "support/RegistryTree.h"
#include "support/World.h"

namespace {
const char kGuardId[] = "{F0220000-0000-0000-0000-000000000001}";
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    World::ProcessWide();
    RegistryKey identities;
    if (identities.Create(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size < 2) return 0;
    size_t structureLength = size_t(input[0]) | size_t(input[1]) << 8;
    if (structureLength > size - 2) structureLength = size - 2;
    // Exactly sized copies: a read one byte past either stream is an address error.
    const std::vector<uint8_t> structure(input + 2, input + 2 + structureLength);
    const std::vector<uint8_t> data(input + 2 + structureLength, input + size);

    RegistryBackupReader reader(structure.data(), structure.size(), data.data(), data.size());
    RegistryBackupItem item;
    while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
    }
    const bool wellFormed = reader.Defect() == BackupDefect::None;

    RegistryBackup backup;
    if (!backup.StructureStream.Append(structure.data(), structure.size()) ||
        !backup.DataStream.Append(data.data(), data.size()))
        std::abort();
    backup.DefaultUserId = "fuzz";
    if (ValidateRegistryBackup(backup) != wellFormed) std::abort();

    const bool restored = RestoreIdentityKey(kGuardId, backup);
    if (restored != KeyExists(GetIdentityKeyPath(kGuardId))) std::abort();  // a failed restore takes back its key
    if (!wellFormed && restored) std::abort();
    if (restored) {
        RegistryKey identities;
        if (identities.Open(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey,
                            platform::KeyAccess::AllAccess) != platform::RegStatus::Success ||
            identities.DeleteSubtree(kGuardId) != platform::RegStatus::Success)
            std::abort();
    }
    return 0;
}
