// Backups come from container files that anyone can edit. A malformed one must be
// refused before anything is written, never read outside its streams, and never
// reported as restored.
#include <memory>
#include <string>

#include "Identities.h"
#include "identities/RegistryRestore.h"

// Readable names in failure messages.
void PrintTo(BackupDefect defect, std::ostream* out) { *out << DescribeBackupDefect(defect); }

namespace {

using std::string;

// A = 7 (REG_DWORD) and subkey S with B = "x".
const string kStructure("\x01" "A\0\0\0\0\0" "\x02" "S\0" "\x01" "B\0\0\0\0\0" "\x03\xFF", 19);
const string kData("\x05\0\0\0\x04\x07\0\0\0" "\x03\0\0\0\x01x\0", 16);
const string kValueA("\x01" "A\0\0\0\0\0", 7);

RegistryBackup Backup(const string& structure, const string& data) {
    RegistryBackup backup;
    SetBytes(backup.StructureStream, structure);
    SetBytes(backup.DataStream, data);
    return backup;
}

TEST(HostileBackup, WellFormedBackupsPass) {
    // 0x04 and 0x05 are never written but are skipped by readers.
    EXPECT_TRUE(ValidateRegistryBackup(Backup(kStructure, kData)));
    EXPECT_TRUE(ValidateRegistryBackup(Backup(string("\x04\x05" "old\0", 6) + kStructure, kData)));
    // Nesting as deep as a registry allows is fine; one more level is not.
    const size_t depth = RegistryBackupReader::kMaxDepth;
    string deep;
    for (size_t i = 0; i < depth; ++i) deep += string("\x02k\0", 3);
    EXPECT_TRUE(ValidateRegistryBackup(Backup(deep + string(depth, '\x03') + "\xFF", "")));
    BackupDefect defect = BackupDefect::None;
    EXPECT_FALSE(ValidateRegistryBackup(Backup(deep + string("\x02k\0\x03", 4) + string(depth, '\x03') + "\xFF", ""), &defect));
    EXPECT_EQ(BackupDefect::TooDeep, defect);
}

using HostileBackupTest = WorldTest;

TEST_F(HostileBackupTest, MalformedBackupsAreRefusedBeforeAnythingIsWritten) {
    const struct {
        const char* what;
        string structure, data;
        BackupDefect defect;
    } cases[] = {
        {"empty structure", "", "", BackupDefect::MissingEnd},
        {"no end tag", kStructure.substr(0, 18), kData, BackupDefect::MissingEnd},
        {"structure cut in a name", kStructure.substr(0, 12), kData, BackupDefect::UnterminatedName},
        {"structure cut in the reserved bytes", kStructure.substr(0, 5), kData, BackupDefect::TruncatedValueItem},
        {"subkey name without terminator", string("\x02" "S", 2), "", BackupDefect::UnterminatedName},
        {"skipped name without terminator", string("\x05" "abc", 4), "", BackupDefect::UnterminatedName},
        {"data stream cut in a record", kStructure, kData.substr(0, 15), BackupDefect::MissingRecord},
        {"data stream cut in a length", kStructure, kData.substr(0, 11), BackupDefect::MissingRecord},
        {"no data at all", kStructure, "", BackupDefect::MissingRecord},
        {"record length past the data", kValueA + "\xFF", string("\xFF\xFF\xFF\xFF\x03" "abc", 8), BackupDefect::MissingRecord},
        {"record length zero", kValueA + "\xFF", string("\0\0\0\0\x03", 5), BackupDefect::BadRecordLength},
        {"key end without key begin", string("\x03\xFF", 2), "", BackupDefect::UnbalancedKeyEnd},
        {"one key end too many", string("\x02" "S\0\x03\x03\xFF", 6), "", BackupDefect::UnbalancedKeyEnd},
        {"subkey left open", string("\x02" "S\0\xFF", 4), "", BackupDefect::UnclosedKey},
        {"unknown tag 0x00", string("\x00\xFF", 2), "", BackupDefect::UnknownTag},
        {"unknown tag 0x06", string("\x06\xFF", 2), "", BackupDefect::UnknownTag},
        {"unknown tag 0xFE after a value", kValueA + "\xFE\xFF", string("\x01\0\0\0\x03", 5), BackupDefect::UnknownTag},
        {"empty subkey name", string("\x02\0\x03\xFF", 4), "", BackupDefect::BadKeyName},
        // No registry holds a key name this long, so no hide can have saved one.
        {"subkey name of 256 characters", "\x02" + string(256, 'k') + string("\0\x03\xFF", 3), "", BackupDefect::BadKeyName},
        {"subkey name that is a path", string("\x02" "..\\..\\Software\0\x03\xFF", 17), "", BackupDefect::BadKeyName},
        {"bytes after the end", kStructure + "\x01", kData, BackupDefect::TrailingBytes},
        {"data no value uses", kStructure, kData + string("\x01\0\0\0\x03", 5), BackupDefect::TrailingBytes},
    };
    world.DeleteIdentities();
    CreateKeyPath("Identities");
    const WorldState empty = world.Now();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryBackup backup = Backup(c.structure, c.data);
        BackupDefect defect = BackupDefect::None;
        EXPECT_FALSE(ValidateRegistryBackup(backup, &defect));
        EXPECT_EQ(c.defect, defect);
        EXPECT_FALSE(RestoreIdentityKey(World::kGuard, backup));
        EXPECT_EQ(empty, world.Now());

        // Again on heap buffers of exactly the streams' sizes, where the address
        // sanitizer build catches a read one byte past the end.
        std::unique_ptr<uint8_t[]> structure(new uint8_t[c.structure.size()]), data(new uint8_t[c.data.size()]);
        std::copy(c.structure.begin(), c.structure.end(), structure.get());
        std::copy(c.data.begin(), c.data.end(), data.get());
        RegistryBackupReader reader(structure.get(), c.structure.size(), data.get(), c.data.size());
        RegistryBackupItem item;
        while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
        }
        EXPECT_EQ(c.defect, reader.Defect());
    }
}

}  // namespace
