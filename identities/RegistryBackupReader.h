// Reads the items of a RegistryBackup one at a time, with every length checked against
// the two streams. The backup comes from a container file, so it is treated as
// hostile: no input makes the reader read outside the streams, and anything the
// writer could not have produced is reported as a defect.
#pragma once

#include <cstddef>
#include <cstdint>

#include "identities/RegistryBackup.h"

enum class BackupDefect {
    None,
    UnknownTag,          // a tag byte that no writer emits
    UnterminatedName,    // a name without its zero byte inside StructureStream
    TruncatedValueItem,  // the reserved bytes after a value's name are missing
    BadKeyName,          // a subkey name that is empty, too long or holds a backslash
    TooDeep,             // subkeys nested deeper than a registry can hold
    UnbalancedKeyEnd,    // 0x03 with no open subkey: it would close the identity's key
    MissingRecord,       // a value without a complete record in DataStream
    BadRecordLength,     // a record whose length field is zero
    MissingEnd,          // StructureStream ends without 0xFF
    UnclosedKey,         // 0xFF while a subkey is still open
    TrailingBytes,       // bytes after 0xFF, or DataStream bytes no value uses
};

const char* DescribeBackupDefect(BackupDefect defect);

struct RegistryBackupItem {
    enum Kind { Value, KeyBegin, KeyEnd, End };
    Kind kind = End;
    const char* name = nullptr;  // zero-terminated inside StructureStream (Value, KeyBegin)
    uint32_t type = 0;           // Value: the saved type byte
    const uint8_t* data = nullptr;  // Value: inside DataStream
    uint32_t size = 0;              // Value: data bytes
};

class RegistryBackupReader {
public:
    // Deeper than the registry's own nesting limit cannot come from a real key.
    static constexpr size_t kMaxDepth = 512;
    // The registry's own limit for one key name.
    static constexpr size_t kMaxKeyNameLength = 255;

    explicit RegistryBackupReader(const RegistryBackup& backup);
    // The two streams as plain byte ranges (the backup's streams are read in place).
    RegistryBackupReader(const uint8_t* structure, size_t structureLength, const uint8_t* data,
                         size_t dataLength);

    // The next item. False, with Defect() set, when the backup is malformed; the reader
    // then stays failed. After End it keeps returning End.
    [[nodiscard]] bool Next(RegistryBackupItem& item);
    BackupDefect Defect() const { return defect_; }

private:
    [[nodiscard]] bool Fail(BackupDefect defect);
    // The zero-terminated text at the structure cursor; moves past its zero byte.
    [[nodiscard]] bool TakeName(const char*& name, size_t& length);

    const uint8_t* structure_;
    size_t structureLength_;
    const uint8_t* data_;
    size_t dataLength_;
    size_t structurePos_ = 0;
    size_t dataPos_ = 0;
    size_t depth_ = 0;
    bool ended_ = false;
    BackupDefect defect_ = BackupDefect::None;
};
