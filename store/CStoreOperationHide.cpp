// The hide side of a run: discovery, the container writer, the read-back check and the
// hide itself.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/UserInterface.h"
#include "identities/RegistryRestore.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "store/ExpandStorePath.h"
#include "store/HeaderFields.h"
#include "store/KeyCheck.h"
#include "base/OperationResult.h"
#include "crypto/RandomGenerator.h"
#include "store/SourcePath.h"
#include "base/UserAbort.h"

namespace {

platform::FileException::Cause CauseOf(platform::StorageStatus status) {
    return status == platform::kStorageMediumFull ? platform::FileException::DiskFull
                                                  : platform::FileException::HardIO;
}

// Writes all bytes or throws the file layer's report naming the container.
void WriteAll(platform::OutStream& stream, const void* data, size_t size, const std::string& path) {
    if (size == 0) return;  // some storage layers refuse empty writes
    size_t written = 0;
    const platform::StorageStatus status = stream.Write(data, size, &written);
    if (!platform::StorageSucceeded(status) || written != size) throw platform::FileException(CauseOf(status), path);
}

// Throws the file layer's report naming path when a storage call failed.
void Check(platform::StorageStatus status, const std::string& path) {
    if (!platform::StorageSucceeded(status)) throw platform::FileException(CauseOf(status), path);
}

void Refuse(const std::string& text) {
    ShowMessageBox(text + "\r\n\r\nNothing has been changed.", MB_OK | MB_ICONSTOP);
}

}  // namespace

bool CStoreOperation::RunHide(const std::string& storeRoot) {
    if (containerPath_.empty()) {
        Refuse("The protected identity's key name cannot name a file:\r\n" + guardId_);
        OperationResult = ResultRegistryError;
        return false;
    }
    CleanLeftovers();
    if (!BackupIdentityKey(backup_)) {
        OperationResult = ResultRegistryError;
        return false;
    }
    // A backup the restore would refuse must never be the only copy of the identity.
    BackupDefect defect = BackupDefect::None;
    const uint64_t indexBytes = IndexHeader::kSize + uint64_t{backup_.StructureStream.Length()} + backup_.DataStream.Length();
    if (indexBytes > kMaxIndexBytes || !ValidateRegistryBackup(backup_, &defect)) {
        Refuse(std::string("The identity's registry entries cannot be kept in the protected container (") +
               (indexBytes > kMaxIndexBytes ? "they are too large" : DescribeBackupDefect(defect)) + ").");
        OperationResult = ResultRegistryError;
        return false;
    }
    if (!CheckHeaderTexts()) {
        OperationResult = ResultRegistryError;
        return false;
    }
    if (!ProtectStore(storeRoot)) {
        OperationResult = ResultCopyError;
        return false;
    }
    if (!RemoveIdentityKey()) {
        // The identity would be half gone while the mail sits in the container: put
        // everything back and say that the hide did not happen.
        UndoHide();
        OperationResult = ResultRegistryError;
        return false;
    }
    return true;
}

bool CStoreOperation::PutHeaderTexts(IndexHeader& h) const {
    return PutFieldText(h.identityId, sizeof h.identityId, guardId_) &&
           PutFieldText(h.defaultUserId, sizeof h.defaultUserId, backup_.DefaultUserId) &&
           PutFieldText(h.lastUserId, sizeof h.lastUserId, backup_.LastUserId) &&
           PutFieldText(h.lastUsername, sizeof h.lastUsername, backup_.LastUsername) &&
           PutFieldText(h.startAs, sizeof h.startAs, backup_.StartAs);
}

bool CStoreOperation::CheckHeaderTexts() {
    IndexHeader h;
    if (PutHeaderTexts(h)) return true;
    Refuse("The identity's registry entries are too long to be kept in the protected container.");
    return false;
}

bool CStoreOperation::ProtectStore(const std::string& storeRoot) {
    securityLevel_ = static_cast<int>(GetSecurityLevel());
    if (containerPath_.size() >= kMaxPathLength) {
        Refuse("The path of the protected container is too long:\r\n" + containerPath_);
        return false;
    }
    // The restore finds the store folder in the saved registry entries; the files must
    // be taken from that very folder or it would refuse to put them back.
    std::string savedRoot;
    const bool hasSavedRoot = FindStoreRootInBackup(backup_, savedRoot);
    if (securityLevel_ != SecurityLow) {
        if (!hasSavedRoot || savedRoot != storeRoot) {
            Refuse("The identity's store folder changed while it was being hidden. Please try again.");
            return false;
        }
        const std::string folder = ExpandStorePath(storeRoot);
        if (!FindStoreFiles(folder) || !CheckStoreLimits(folder)) return false;
    }

    OpenProgress("Encrypting message store");
    if (!WriteContainer() || !VerifyContainer()) return false;

    if (securityLevel_ == SecurityMedium || securityLevel_ == SecurityHigh) {
        EraseStoreFiles(securityLevel_ == SecurityHigh);
    }
    platform::SetFileAttributes(containerPath_, platform::AttributeHidden | platform::AttributeReadOnly);
    return true;
}

bool CStoreOperation::FindStoreFiles(const std::string& folder) {
    CloseStoreFiles();
    totalBytes_ = 0;
    for (const platform::FindEntry& entry : platform::FindFiles(folder, "*.dbx")) {
        if (entry.isDirectory) continue;
        const std::string path = folder + platform::kPathSeparator + entry.name;
        // A link would make the erase destroy a file outside the store, and a restore
        // could not give it back as it was.
        if (entry.isLink || !entry.isRegular) {
            Refuse("The message store holds something that is not a plain file:\r\n" + path +
                   "\r\n\r\nOnly regular files can be protected.");
            return false;
        }
        StoreFile store;
        platform::FileException error(platform::FileException::Generic, folder);
        if (!platform::File::TryOpen(path, platform::File::Mode::ReadWrite, store.file, &error)) {
            ShowMessageBox(error.what(), MB_OK | MB_ICONSTOP);
            return false;
        }
        try {
            store.size = store.file.Length();
            store.stamp = store.file.Stamp();
        } catch (const platform::FileException& e) {
            ShowMessageBox(e.what(), MB_OK | MB_ICONSTOP);
            return false;
        }
        totalBytes_ += store.size;
        files_.push_back(std::move(store));
    }
    if (files_.empty()) {
        ShowMessageBox("Unable to open the Message Store", MB_OK);
        return false;
    }
    return true;
}

bool CStoreOperation::CheckStoreLimits(const std::string& folder) {
    if (totalBytes_ >= kMaxStoreBytes) {
        Refuse("The message store is too large to be protected: it holds 2 GB or more.");
        return false;
    }
    if (files_.size() > kMaxFileCount) {
        Refuse("The message store holds too many files to be protected.");
        return false;
    }
    // What the restore would refuse to put back must not be taken away.
    for (const StoreFile& f : files_) {
        const std::string& path = f.file.Path();
        if (!IsSafeSourcePath(path) || !IsStoreFileName(NameInFolder(path, folder))) {
            Refuse("The message store cannot be protected from this folder:\r\n" + path +
                   "\r\n\r\nThe folder must be given as a full path without \"..\" parts, and the file "
                   "names must not hold control characters or any of : * ? \" < > |.");
            return false;
        }
        if (path.size() >= kMaxPathLength) {
            Refuse("The path of a message store file is too long:\r\n" + path);
            return false;
        }
    }
    return true;
}

bool CStoreOperation::WriteContainer() {
    // A private name nobody can have planted a link under: created exclusively, 0600.
    const std::string temp = NewTemporaryPath(containerPath_.substr(0, containerPath_.size() - 4), ".tmp");
    platform::OutStorage storage;
    std::string reason;
    try {
        Check(storage.CreateNew(temp), temp);
        WriteIndexStream(storage);
        for (size_t k = 0; k < files_.size(); ++k) {
            platform::OutStream stream;
            Check(storage.CreateStream(StreamName(k), stream), temp);
            EncryptFileToStream(k, stream);
            Check(stream.Commit(), temp);
        }
        WriteSealStream(storage);
        Check(storage.Commit(), temp);
        // Commit has put the whole file on stable storage; the rename makes it the
        // container in one durable step and never replaces one that is there.
        platform::FileException error(platform::FileException::Generic, containerPath_);
        if (!platform::RenameFileNoReplace(temp, containerPath_, &error)) throw error;
        return true;
    } catch (const UserAbort&) {
        reason.clear();
    } catch (const platform::FileException& e) {
        reason = e.what();
    }
    storage.Release();
    platform::DeleteFile(temp);
    if (!reason.empty()) {
        ShowMessageBox("The message store could not be copied into the protected container:\r\n" + reason +
                           "\r\n\r\nNothing has been changed.",
                       MB_OK | MB_ICONSTOP);
    }
    return false;
}

void CStoreOperation::WriteIndexStream(platform::OutStorage& storage) {
    IndexHeader h;
    h.created = static_cast<uint32_t>(std::time(nullptr));
    h.securityLevel = static_cast<uint32_t>(securityLevel_);
    h.fileCount = static_cast<uint32_t>(files_.size());
    h.totalBytes = static_cast<uint32_t>(totalBytes_);
    h.reserved = ContainerSeal::kSealedMark;
    h.structureLength = static_cast<uint32_t>(backup_.StructureStream.Length());
    h.dataLength = static_cast<uint32_t>(backup_.DataStream.Length());
    FillRandom(h.salt, sizeof h.salt);
    // Checked before anything was written (CheckHeaderTexts).
    if (!PutHeaderTexts(h)) throw platform::FileException(platform::FileException::BadPath, containerPath_);
    uint8_t bytes[IndexHeader::kSize];
    h.Serialize(bytes);

    plan_ = ContainerPlan();
    plan_.index = h;
    plan_.indexBytes.assign(bytes, bytes + sizeof bytes);
    const uint8_t* structure = backup_.StructureStream.Data();
    const uint8_t* data = backup_.DataStream.Data();
    plan_.indexBytes.insert(plan_.indexBytes.end(), structure, structure + backup_.StructureStream.Length());
    plan_.indexBytes.insert(plan_.indexBytes.end(), data, data + backup_.DataStream.Length());

    // The seal's key check and index digest, under the index's own salt.
    DeriveStoreKey(h.salt, sizeof h.salt);
    ComputeKeyCheck(cipher_, plan_.seal.keyCheck);
    uint8_t key[Poly1305::kKeySize];
    DeriveDigestKey(cipher_, DigestRole::Index, key);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    mac.Update(plan_.indexBytes.data(), plan_.indexBytes.size());
    mac.Final(plan_.seal.indexDigest);
    plan_.seal.streamDigests.assign(files_.size(), ContainerSeal::StreamDigest());

    platform::OutStream stream;
    Check(storage.CreateStream("index", stream), containerPath_);
    WriteAll(stream, plan_.indexBytes.data(), plan_.indexBytes.size(), containerPath_);
    Check(stream.Commit(), containerPath_);
}

void CStoreOperation::EncryptFileToStream(size_t k, platform::OutStream& stream) {
    StoreFile& store = files_[k];
    StreamHeader h;
    FillRandom(h.salt, sizeof h.salt);
    if (!PutFieldText(h.sourcePath, sizeof h.sourcePath, store.file.Path())) {
        throw platform::FileException(platform::FileException::BadPath, store.file.Path());
    }
    h.marked = true;
    h.stamped = true;
    h.plainSize = store.size;
    h.mode = store.stamp.mode & 0777;
    h.modifiedSeconds = store.stamp.modifiedSeconds;
    h.modifiedNanoseconds = store.stamp.modifiedNanoseconds;
    uint8_t key[Poly1305::kKeySize];
    KeyStream(h.salt, key);
    ComputeKeyCheck(cipher_, h.keyCheck);
    uint8_t bytes[StreamHeader::kSize];
    h.Serialize(bytes);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    ::StartStreamDigest(mac, plan_.index.salt, static_cast<uint32_t>(k));
    mac.Update(bytes, sizeof bytes);
    WriteAll(stream, bytes, sizeof bytes, containerPath_);

    uint8_t* buffer = buffer_.get();
    uint64_t copied = 0;
    store.file.Seek(0);
    for (size_t n; (n = store.file.Read(buffer, kChunkSize)) > 0;) {
        running_ += n;
        copied += n;
        ReportProgress(running_);
        CheckCancel();
        Rc4Crypt(buffer, n, cipher_);
        mac.Update(buffer, n);
        WriteAll(stream, buffer, n, containerPath_);
    }
    // The header promises this many bytes; a file that changed under our lock would
    // make the stream disagree with it.
    if (copied != store.size) throw platform::FileException(platform::FileException::HardIO, store.file.Path());
    mac.Final(plan_.seal.streamDigests[k].bytes);
}

void CStoreOperation::WriteSealStream(platform::OutStorage& storage) {
    const std::vector<uint8_t> seal = plan_.seal.Serialize();
    platform::OutStream stream;
    Check(storage.CreateStream(ContainerSeal::kStreamName, stream), containerPath_);
    WriteAll(stream, seal.data(), seal.size(), containerPath_);
    Check(stream.Commit(), containerPath_);
}

bool CStoreOperation::UndoHide() {
    CloseStoreFiles();
    if (RunRestore()) return true;
    ShowMessageBox("The identity could not be removed from the registry, and the hide could not "
                   "be undone completely.\r\n\r\nYour messages are kept in the protected "
                   "container; restore the identity to get them back.",
                   MB_OK | MB_ICONSTOP);
    return false;
}
