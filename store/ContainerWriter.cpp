#include "store/ContainerWriter.h"

#include <cstring>
#include <ctime>

#include "base/UserInterface.h"
#include "crypto/RandomGenerator.h"
#include "platform/Shell.h"
#include "store/HeaderFields.h"
#include "store/KeyCheck.h"
#include "store/SourcePath.h"

namespace {

// The file layer's report for a failed storage call on the container.
platform::FileStatus StorageFailure(platform::StorageStatus status, const std::string& path) {
    if (platform::StorageSucceeded(status)) return platform::FileStatus();
    return platform::FileStatus(
        status == platform::kStorageMediumFull ? platform::FileStatus::DiskFull : platform::FileStatus::HardIO, path);
}

// Writes all bytes of one piece of a stream.
platform::FileStatus WriteBytes(platform::OutStream& stream, const void* data, size_t size, const std::string& path) {
    if (size == 0) return platform::FileStatus();  // some storage layers refuse empty writes
    size_t written = 0;
    const platform::StorageStatus status = stream.Write(data, size, &written);
    if (platform::StorageSucceeded(status) && written != size)
        return platform::FileStatus(platform::FileStatus::HardIO, path);
    return StorageFailure(status, path);
}

}  // namespace

bool ContainerWriter::PutHeaderTexts(IndexHeader& h) const {
    const RegistryBackup& backup = run_.Backup();
    return PutFieldText(h.identityId, sizeof h.identityId, run_.IdentityKeyName()) &&
           PutFieldText(h.defaultUserId, sizeof h.defaultUserId, backup.DefaultUserId) &&
           PutFieldText(h.lastUserId, sizeof h.lastUserId, backup.LastUserId) &&
           PutFieldText(h.lastUsername, sizeof h.lastUsername, backup.LastUsername) &&
           PutFieldText(h.startAs, sizeof h.startAs, backup.StartAs);
}

bool ContainerWriter::HeaderTextsFit() const {
    IndexHeader h;
    return PutHeaderTexts(h);
}

RunOutcome ContainerWriter::Write(std::vector<StoreFile>& files) {
    const std::string& path = run_.ContainerPath();
    // A private name nobody can have planted a link under: created exclusively, 0600.
    const std::string temp = NewTemporaryPath(path.substr(0, path.size() - 4), ".tmp");
    platform::OutStorage storage;
    canceled_ = false;
    platform::FileStatus status = StorageFailure(storage.CreateNew(temp), temp);
    if (status.ok()) status = WriteAll(storage, files, temp);
    // Commit has put the whole file on stable storage; the rename makes it the
    // container in one durable step and never replaces one that is there.
    if (status.ok() && !canceled_) status = platform::RenameFileNoReplace(temp, path);
    if (status.ok() && !canceled_) return RunOutcome::Done();

    storage.Release();
    (void)platform::RemoveFile(temp);
    if (canceled_) return RunOutcome::Failed(ResultCopyError);
    run_.User().ShowMessageBox("The message store could not be copied into the protected container:\r\n" +
                                   status.text() + "\r\n\r\nNothing has been changed.",
                               MessageStyle::Ok | MessageStyle::IconStop);
    return RunOutcome::Failed(ResultCopyError, status.path(), status.text());
}

platform::FileStatus ContainerWriter::WriteAll(platform::OutStorage& storage, std::vector<StoreFile>& files,
                                               const std::string& temp) {
    platform::FileStatus status = WriteIndexStream(storage, static_cast<uint32_t>(files.size()));
    for (size_t k = 0; status.ok() && !canceled_ && k < files.size(); ++k) {
        platform::OutStream stream;
        status = StorageFailure(storage.CreateStream(CStoreOperation::StreamName(k), stream), temp);
        if (status.ok()) status = EncryptFileToStream(k, files[k], stream);
        if (status.ok() && !canceled_) status = StorageFailure(stream.Commit(), temp);
    }
    if (status.ok() && !canceled_) status = WriteSealStream(storage);
    if (status.ok() && !canceled_) status = StorageFailure(storage.Commit(), temp);
    return status;
}

platform::FileStatus ContainerWriter::WriteIndexStream(platform::OutStorage& storage, uint32_t fileCount) {
    const RegistryBackup& backup = run_.Backup();
    IndexHeader h;
    h.created = static_cast<uint32_t>(std::time(nullptr));
    h.securityLevel = static_cast<uint32_t>(run_.SecurityLevel());
    h.fileCount = fileCount;
    h.totalBytes = static_cast<uint32_t>(run_.TotalBytes());
    h.reserved = ContainerSeal::kSealedMark;
    h.structureLength = static_cast<uint32_t>(backup.StructureStream.Length());
    h.dataLength = static_cast<uint32_t>(backup.DataStream.Length());
    FillRandom(h.salt, sizeof h.salt);
    // The hide checked that they fit before it began.
    if (!PutHeaderTexts(h)) return platform::FileStatus(platform::FileStatus::BadPath, run_.ContainerPath());
    uint8_t bytes[IndexHeader::kSize];
    h.Serialize(bytes);

    written_ = ContainerPlan();
    written_.index = h;
    written_.indexBytes.assign(bytes, bytes + sizeof bytes);
    const uint8_t* structure = backup.StructureStream.Data();
    const uint8_t* data = backup.DataStream.Data();
    written_.indexBytes.insert(written_.indexBytes.end(), structure, structure + backup.StructureStream.Length());
    written_.indexBytes.insert(written_.indexBytes.end(), data, data + backup.DataStream.Length());

    // The seal's key check and index digest, under the index's own salt.
    run_.KeyCipher(h.salt, sizeof h.salt);
    ComputeKeyCheck(run_.Cipher(), written_.seal.keyCheck);
    uint8_t key[Poly1305::kKeySize];
    DeriveDigestKey(run_.Cipher(), DigestRole::Index, key);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    mac.Update(written_.indexBytes.data(), written_.indexBytes.size());
    mac.Final(written_.seal.indexDigest);
    written_.seal.streamDigests.assign(fileCount, ContainerSeal::StreamDigest());

    platform::OutStream stream;
    platform::FileStatus status = StorageFailure(storage.CreateStream("index", stream), run_.ContainerPath());
    if (status.ok())
        status = WriteBytes(stream, written_.indexBytes.data(), written_.indexBytes.size(), run_.ContainerPath());
    if (status.ok()) status = StorageFailure(stream.Commit(), run_.ContainerPath());
    return status;
}

platform::FileStatus ContainerWriter::EncryptFileToStream(size_t k, StoreFile& store, platform::OutStream& stream) {
    platform::File& file = store.file;
    StreamHeader h;
    FillRandom(h.salt, sizeof h.salt);
    if (!PutFieldText(h.sourcePath, sizeof h.sourcePath, file.Path())) {
        return platform::FileStatus(platform::FileStatus::BadPath, file.Path());
    }
    h.marked = true;
    h.stamped = true;
    h.plainSize = store.size;
    h.mode = store.stamp.mode & 0777;
    h.modifiedSeconds = store.stamp.modifiedSeconds;
    h.modifiedNanoseconds = store.stamp.modifiedNanoseconds;
    uint8_t key[Poly1305::kKeySize];
    run_.KeyStream(h.salt, key);
    ComputeKeyCheck(run_.Cipher(), h.keyCheck);
    uint8_t bytes[StreamHeader::kSize];
    h.Serialize(bytes);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    StartStreamDigest(mac, written_.index.salt, static_cast<uint32_t>(k));
    mac.Update(bytes, sizeof bytes);
    platform::FileStatus status = WriteBytes(stream, bytes, sizeof bytes, run_.ContainerPath());
    if (status.ok()) status = file.Seek(0);
    if (!status.ok()) return status;

    // The worker reads the file ahead and digests and writes each enciphered chunk; the
    // cipher, the progress and the question to cancel stay here, between chunks.
    platform::FileStatus readStatus;
    platform::FileStatus writeStatus;
    ChunkPipeline::Pass pass(
        run_.Pipeline(), store.size,
        [&](uint8_t* buffer, size_t& size) {
            size_t got = 0;
            readStatus = file.Read(buffer, size, got);
            size = got;
            return readStatus.ok();
        },
        [&](const uint8_t* buffer, size_t size) {
            mac.Update(buffer, size);
            writeStatus = WriteBytes(stream, buffer, size, run_.ContainerPath());
            return writeStatus.ok();
        });
    uint64_t copied = 0;
    uint8_t* chunk = nullptr;
    for (size_t n = 0; pass.Next(chunk, n);) {
        copied += n;
        run_.Count(n);
        if (run_.CancelConfirmed()) {
            canceled_ = true;
            return platform::FileStatus();
        }
        Rc4Crypt(chunk, n, run_.Cipher());
        pass.Done();
    }
    const bool finished = pass.Finish();
    if (!readStatus.ok()) return readStatus;
    if (!writeStatus.ok()) return writeStatus;
    if (!finished) return platform::FileStatus(platform::FileStatus::HardIO, run_.ContainerPath());
    // The header promises this many bytes; a file that changed under our lock would
    // make the stream disagree with it.
    if (copied != store.size) return platform::FileStatus(platform::FileStatus::HardIO, file.Path());
    mac.Final(written_.seal.streamDigests[k].bytes);
    return platform::FileStatus();
}

platform::FileStatus ContainerWriter::WriteSealStream(platform::OutStorage& storage) {
    const std::vector<uint8_t> seal = written_.seal.Serialize();
    platform::OutStream stream;
    platform::FileStatus status =
        StorageFailure(storage.CreateStream(ContainerSeal::kStreamName, stream), run_.ContainerPath());
    if (status.ok()) status = WriteBytes(stream, seal.data(), seal.size(), run_.ContainerPath());
    if (status.ok()) status = StorageFailure(stream.Commit(), run_.ContainerPath());
    return status;
}
