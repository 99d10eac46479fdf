#include "ContainerBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "support/TempDir.h"
#include "identities/RegistryBackup.h"
#include "platform/CompoundFile.h"
#include "support/World.h"
#include "store/ContainerSeal.h"
#include "store/HeaderFields.h"
#include "store/KeyCheck.h"
#include "crypto/Rc4.h"
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

// The digest of one stream as the program computes it (see ContainerSeal).
void Digest(const Rc4State& freshlyKeyed, DigestRole role, const uint8_t (&containerSalt)[16], uint32_t number,
            const std::string& bytes, uint8_t (&digest)[Poly1305::kTagSize]) {
    uint8_t key[Poly1305::kKeySize];
    DeriveDigestKey(freshlyKeyed, role, key);
    Poly1305 mac(key);
    if (role == DigestRole::FileStream) StartStreamDigest(mac, containerSalt, number);
    mac.Update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    mac.Final(digest);
}

}  // namespace

ContainerBuilder::ContainerBuilder(const std::vector<std::pair<std::string, std::string>>& plainFiles,
                                   const std::string& pw)
    : password(pw) {
    RegistryBackup backup;
    EXPECT_EQ(BackupIdentityKey(GetGuardId(), backup), KeyWalk::Done);
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
    index.reserved = digests ? ContainerSeal::kSealedMark : 0;
    for (BuiltFileStream& f : files) {
        index.totalBytes += static_cast<uint32_t>(f.plain.size());
        f.header.marked = true;
        f.header.stamped = digests;
        f.header.mode = 0640;
        f.header.modifiedSeconds = 1000000000;
        f.header.modifiedNanoseconds = 5;
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
    std::vector<std::pair<std::string, std::string>> streams;
    std::string indexBytes = rawIndex;
    if (indexBytes.empty()) {
        uint8_t h[IndexHeader::kSize];
        index.Serialize(h);
        indexBytes = std::string(reinterpret_cast<char*>(h), sizeof h) + structure + data;
    }
    streams.push_back({"index", indexBytes});
    ContainerSeal seal;
    Rc4State indexKey;
    DeriveStoreKey(index.salt, sizeof index.salt, password, indexKey);
    ComputeKeyCheck(indexKey, seal.keyCheck);
    Digest(indexKey, DigestRole::Index, {}, 0, indexBytes, seal.indexDigest);
    for (size_t k = 0; k < files.size(); ++k) {
        const BuiltFileStream& f = files[k];
        std::string bytes = f.raw;
        Rc4State state = KeyFor(f.header, password);
        if (bytes.empty()) {
            uint8_t h[StreamHeader::kSize];
            f.header.Serialize(h);
            std::string body = f.plain;
            Rc4State cipher = state;
            Rc4Crypt(reinterpret_cast<uint8_t*>(&body[0]), body.size(), cipher);
            bytes = std::string(reinterpret_cast<char*>(h), sizeof h) + body;
        }
        seal.streamDigests.emplace_back();
        Digest(state, DigestRole::FileStream, index.salt, static_cast<uint32_t>(k), bytes, seal.streamDigests.back().bytes);
        if (f.present) streams.push_back({World::StreamName(k), bytes});
    }
    if (digests) {
        const std::vector<uint8_t> sealBytes = seal.Serialize();
        streams.push_back({ContainerSeal::kStreamName, std::string(sealBytes.begin(), sealBytes.end())});
    }
    streams.insert(streams.end(), extraStreams.begin(), extraStreams.end());
    for (const auto& [name, offset] : flips) {
        for (auto& stream : streams) {
            if (stream.first == name) stream.second.at(offset) ^= 0x01;
        }
    }
    platform::OutStorage storage;
    ASSERT_EQ(platform::kStorageOk, storage.Create(path));
    for (const auto& [name, bytes] : streams) WriteStream(storage, name, bytes);
    ASSERT_EQ(platform::kStorageOk, storage.Commit());
}
