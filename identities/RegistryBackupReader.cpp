#include "identities/RegistryBackupReader.h"

#include <cstring>

const char* DescribeBackupDefect(BackupDefect defect) {
    switch (defect) {
        case BackupDefect::None: return "well formed";
        case BackupDefect::UnknownTag: return "unknown tag";
        case BackupDefect::UnterminatedName: return "name without terminator";
        case BackupDefect::TruncatedValueItem: return "value item cut short";
        case BackupDefect::BadKeyName: return "bad subkey name";
        case BackupDefect::TooDeep: return "subkeys nested too deep";
        case BackupDefect::UnbalancedKeyEnd: return "key end without key begin";
        case BackupDefect::MissingRecord: return "value record missing or cut short";
        case BackupDefect::BadRecordLength: return "value record length zero";
        case BackupDefect::MissingEnd: return "no end tag";
        case BackupDefect::UnclosedKey: return "subkey left open";
        case BackupDefect::TrailingBytes: return "bytes after the end";
    }
    return "unknown defect";
}

RegistryBackupReader::RegistryBackupReader(const RegistryBackup& backup)
    : RegistryBackupReader(backup.StructureStream.Data(), backup.StructureStream.Length(),
                           backup.DataStream.Data(), backup.DataStream.Length()) {}

RegistryBackupReader::RegistryBackupReader(const uint8_t* structure, size_t structureLength,
                                           const uint8_t* data, size_t dataLength)
    : structure_(structure),
      structureLength_(structureLength),
      data_(data),
      dataLength_(dataLength) {}

bool RegistryBackupReader::Fail(BackupDefect defect) {
    defect_ = defect;
    return false;
}

bool RegistryBackupReader::TakeName(const char*& name, size_t& length) {
    const uint8_t* start = structure_ + structurePos_;
    const void* zero = std::memchr(start, 0, structureLength_ - structurePos_);
    if (!zero) return false;
    name = reinterpret_cast<const char*>(start);
    length = static_cast<const uint8_t*>(zero) - start;
    structurePos_ += length + 1;
    return true;
}

bool RegistryBackupReader::Next(RegistryBackupItem& item) {
    if (defect_ != BackupDefect::None) return false;
    item = RegistryBackupItem();
    if (ended_) return true;
    for (;;) {
        if (structurePos_ >= structureLength_) return Fail(BackupDefect::MissingEnd);
        const uint8_t tag = structure_[structurePos_++];
        const char* name = nullptr;
        size_t nameLength = 0;
        switch (tag) {
            case BackupTag::kValue: {
                if (!TakeName(name, nameLength)) return Fail(BackupDefect::UnterminatedName);
                if (structureLength_ - structurePos_ < kValueReservedBytes)
                    return Fail(BackupDefect::TruncatedValueItem);
                structurePos_ += kValueReservedBytes;
                if (dataLength_ - dataPos_ < kRecordHeaderBytes)
                    return Fail(BackupDefect::MissingRecord);
                const uint8_t* record = data_ + dataPos_;
                // n counts the type byte and the data.
                const uint32_t n = uint32_t(record[0]) | uint32_t(record[1]) << 8 |
                                   uint32_t(record[2]) << 16 | uint32_t(record[3]) << 24;
                if (n == 0) return Fail(BackupDefect::BadRecordLength);
                if (dataLength_ - dataPos_ - 4 < n) return Fail(BackupDefect::MissingRecord);
                item.kind = RegistryBackupItem::Value;
                item.name = name;
                item.type = record[4];
                item.data = record + kRecordHeaderBytes;
                item.size = n - 1;
                dataPos_ += 4 + size_t(n);
                return true;
            }
            case BackupTag::kKeyBegin:
                if (!TakeName(name, nameLength)) return Fail(BackupDefect::UnterminatedName);
                if (nameLength > kMaxKeyNameLength || !IsPlainKeyName(std::string(name, nameLength)))
                    return Fail(BackupDefect::BadKeyName);
                if (depth_ == kMaxDepth) return Fail(BackupDefect::TooDeep);
                ++depth_;
                item.kind = RegistryBackupItem::KeyBegin;
                item.name = name;
                return true;
            case BackupTag::kKeyEnd:
                if (depth_ == 0) return Fail(BackupDefect::UnbalancedKeyEnd);
                --depth_;
                item.kind = RegistryBackupItem::KeyEnd;
                return true;
            case BackupTag::kSkip:
                continue;
            case BackupTag::kSkipName:
                if (!TakeName(name, nameLength)) return Fail(BackupDefect::UnterminatedName);
                continue;
            case BackupTag::kEnd:
                if (depth_ != 0) return Fail(BackupDefect::UnclosedKey);
                if (structurePos_ != structureLength_ || dataPos_ != dataLength_)
                    return Fail(BackupDefect::TrailingBytes);
                ended_ = true;
                item.kind = RegistryBackupItem::End;
                return true;
            default:
                return Fail(BackupDefect::UnknownTag);
        }
    }
}
