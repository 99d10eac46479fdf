#include "ContainerBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "support/TempDir.h"
#include "identities/RegistryBackup.h"
#include "platform/CompoundFile.h"
#include "store/CStoreOperation.h"
#include "store/HeaderFields.h"
#include "store/KeyCheck.h"
#include "store/Rc4.h"
#include "store/StoreKey.h"

namespace {

Rc4State KeyFor(const StreamHeader& header, const std::string& password) {
    Rc4State state;
    DeriveStoreKey(header.salt, sizeof header.salt, password, state);
    return state;
}

void WriteStream(platform::OutStorage& storage, const std::string& name, const std::string& bytes) {
    platform::OutStream stream;
    ASSERT_EQ(platform::kStorageOk, storage.CreateStream(name, stream));
    size_t written = 0;
    if (!bytes.empty()) {
        ASSERT_EQ(platform::kStorageOk, stream.Write(bytes.data(), bytes.size(), &written));
    }
    ASSERT_EQ(platform::kStorageOk, stream.Commit());
}

}  // namespace

ContainerBuilder::ContainerBuilder(const std::vector<std::pair<std::string, std::string>>& plainFiles,
                                   const std::string& pw)
    : password(pw) {
    RegistryBackup backup;
    EXPECT_TRUE(BackupIdentityKey(backup));
    structure.assign(reinterpret_cast<const char*>(backup.StructureStream.Data()), backup.StructureStream.Length());
    data.assign(reinterpret_cast<const char*>(backup.DataStream.Data()), backup.DataStream.Length());
    EXPECT_TRUE(PutFieldText(index.defaultUserId, sizeof index.defaultUserId, backup.DefaultUserId));
    EXPECT_TRUE(PutFieldText(index.lastUserId, sizeof index.lastUserId, backup.LastUserId));
    EXPECT_TRUE(PutFieldText(index.lastUsername, sizeof index.lastUsername, backup.LastUsername));
    EXPECT_TRUE(PutFieldText(index.startAs, sizeof index.startAs, backup.StartAs));
    index.securityLevel = 2;
    unsigned seed = 7;
    for (const auto& [path, bytes] : plainFiles) {
        BuiltFileStream f;
        for (uint8_t& b : f.header.salt) b = static_cast<uint8_t>(seed = seed * 1103515245u + 12345u);
        EXPECT_TRUE(PutFieldText(f.header.sourcePath, sizeof f.header.sourcePath, path));
        f.plain = bytes;
        files.push_back(f);
    }
    Seal();
}

void ContainerBuilder::Seal() {
    index.fileCount = static_cast<uint32_t>(files.size());
    index.structureLength = static_cast<uint32_t>(structure.size());
    index.dataLength = static_cast<uint32_t>(data.size());
    index.totalBytes = 0;
    for (BuiltFileStream& f : files) {
        index.totalBytes += static_cast<uint32_t>(f.plain.size());
        f.header.marked = true;
        f.header.plainSize = f.plain.size();
        Rc4State state = KeyFor(f.header, password);
        ComputeKeyCheck(state, f.header.keyCheck);
    }
}

void ContainerBuilder::Write(const std::string& path) const {
    if (!rawFile.empty()) {
        WriteWholeFile(path, rawFile);
        return;
    }
    platform::OutStorage storage;
    ASSERT_EQ(platform::kStorageOk, storage.Create(path));
    std::string indexBytes = rawIndex;
    if (indexBytes.empty()) {
        uint8_t h[IndexHeader::kSize];
        index.Serialize(h);
        indexBytes = std::string(reinterpret_cast<char*>(h), sizeof h) + structure + data;
    }
    WriteStream(storage, "index", indexBytes);
    for (size_t k = 0; k < files.size(); ++k) {
        const BuiltFileStream& f = files[k];
        if (!f.present) continue;
        std::string bytes = f.raw;
        if (bytes.empty()) {
            uint8_t h[StreamHeader::kSize];
            f.header.Serialize(h);
            std::string body = f.plain;
            Rc4State state = KeyFor(f.header, password);
            Rc4Crypt(reinterpret_cast<uint8_t*>(&body[0]), body.size(), state);
            bytes = std::string(reinterpret_cast<char*>(h), sizeof h) + body;
        }
        WriteStream(storage, CStoreOperation::StreamName(k), bytes);
    }
    ASSERT_EQ(platform::kStorageOk, storage.Commit());
}
