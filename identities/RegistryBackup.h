// The saved registry key of the protected identity and the operations that save and
// remove it.
//
// StructureStream is a sequence of one-byte tags:
//   0x01 name 00 00 00 00 00   a value of the current key; its type and data are the
//                              next record of DataStream (four reserved zero bytes)
//   0x02 name 00               a subkey begins and becomes the current key
//   0x03                       the current key ends
//   0xFF                       end of the backup, always the last byte
// The outer level is the identity's key itself (no 0x02/0x03 around it). Within a key
// all values come first, in enumeration order, then its subkeys. The unnamed value
// has an empty name. Readers also skip 0x04 (alone) and 0x05 name 00.
//
// DataStream holds one record per 0x01, in order, without gaps:
//   n (4 bytes, little-endian) = data length + 1, type (low 8 bits, 1 byte), data.
//
// Both streams travel as they are in the container, so these bytes are a file format.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "crypto/CBlob.h"

namespace BackupTag {
constexpr uint8_t kValue = 0x01;
constexpr uint8_t kKeyBegin = 0x02;
constexpr uint8_t kKeyEnd = 0x03;
constexpr uint8_t kSkip = 0x04;
constexpr uint8_t kSkipName = 0x05;
constexpr uint8_t kEnd = 0xFF;
}  // namespace BackupTag

// Bytes after a value's name in StructureStream, and before its data in DataStream.
constexpr size_t kValueReservedBytes = 4;
constexpr size_t kRecordHeaderBytes = 5;

// Appends one DataStream record: the length field, the type byte and the data.
[[nodiscard]] bool AppendValueRecord(CBlob& dataStream, uint32_t type, const uint8_t* data, uint32_t size);

struct RegistryBackup {
    CBlob StructureStream;
    CBlob DataStream;
    // The pointer values of the Identities key at backup time; empty when missing.
    std::string DefaultUserId;
    std::string LastUserId;
    std::string LastUsername;
    std::string StartAs;
};

// A name that can only address one direct subkey: not empty and without a backslash.
// Used for guardid (which comes from the settings and may have been edited by hand)
// and for subkey names read back from a backup.
bool IsPlainKeyName(const std::string& name);

// Writes a platform::RegType::Sz value of the text and one terminating zero; the registry's status.
[[nodiscard]] platform::RegStatus WriteText(platform::RegKey key, const char* valueName, const std::string& text);

// "Identities\<keyName>": an identity's key below platform::RegKey::CurrentUser.
std::string GetIdentityKeyPath(const std::string& keyName);

// How a walk over a registry key ended.
enum class [[nodiscard]] KeyWalk {
    Done,
    Failed,  // a key or a value could not be read whole, or memory ran out
    Broken,  // a listed subkey cannot be opened: the walk cannot go on
};

// Fills the backup from the registry key of the identity keyName. Failed, with nothing
// changed anywhere, when a key cannot be opened, keyName is not a plain key name, a
// value or subkey name cannot be read completely, or memory runs out; Broken when a
// listed subkey cannot be opened. The backup is empty unless Done.
KeyWalk BackupIdentityKey(const std::string& keyName, RegistryBackup& backup);

// Appends the values and subkeys of an open key to both streams, recursively (no 0xFF).
// Buffers are sized from the key's own size information, so every value is saved
// whole; a value that still cannot be read (it changed meanwhile, or the read failed)
// makes the walk fail rather than leaving it out.
KeyWalk SerializeKey(RegistryBackup& backup, platform::RegKey key);

// Points the pointer values of Identities that name the identity keyName at another
// identity, then deletes that identity's key with everything below it. True exactly
// when the key is gone; a pointer that cannot be moved keeps the key in place.
[[nodiscard]] bool RemoveIdentityKey(const std::string& keyName);
