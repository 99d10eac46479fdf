// The hide side of a run: discovery, the container writer and the hide itself.
#include <cstring>
#include <ctime>

#include "app/UserInterface.h"
#include "identities/Settings.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "store/ExpandStorePath.h"
#include "store/HeaderFields.h"
#include "store/IndexHeader.h"
#include "store/KeyCheck.h"
#include "store/OperationResult.h"
#include "store/RandomGenerator.h"
#include "store/SourcePath.h"
#include "store/UserAbort.h"

namespace {

bool WriteAll(platform::OutStream& stream, const void* data, size_t size) {
    if (size == 0) return true;  // some storage layers refuse empty writes
    size_t written = 0;
    return platform::StorageSucceeded(stream.Write(data, size, &written)) && written == size;
}

}  // namespace

bool CStoreOperation::RunHide(const std::string& storeRoot) {
    if (!BackupIdentityKey(backup_)) {
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

bool CStoreOperation::CheckHeaderTexts() {
    IndexHeader h;
    if (PutFieldText(h.identityId, sizeof h.identityId, GetGuardId()) &&
        PutFieldText(h.defaultUserId, sizeof h.defaultUserId, backup_.DefaultUserId) &&
        PutFieldText(h.lastUserId, sizeof h.lastUserId, backup_.LastUserId) &&
        PutFieldText(h.lastUsername, sizeof h.lastUsername, backup_.LastUsername) &&
        PutFieldText(h.startAs, sizeof h.startAs, backup_.StartAs)) {
        return true;
    }
    ShowMessageBox("The identity's registry entries are too long to be kept in the protected "
                   "container.\r\n\r\nNothing has been changed.",
                   MB_OK | MB_ICONSTOP);
    return false;
}

bool CStoreOperation::ProtectStore(const std::string& storeRoot) {
    const std::string folder = ExpandStorePath(storeRoot);
    securityLevel_ = static_cast<int>(GetSecurityLevel());

    const std::string containerPath = GetContainerPath();
    if (containerPath.size() >= kMaxPathLength) {
        ShowMessageBox("The path of the protected container is too long:\r\n" + containerPath +
                           "\r\n\r\nNothing has been changed.",
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    if (securityLevel_ != SecurityLow) {
        if (!FindStoreFiles(folder)) return false;
        if (!CheckStoreLimits()) return false;
    }

    OpenProgress("Encrypting message store");
    if (!WriteContainer()) return false;

    if (securityLevel_ == SecurityMedium || securityLevel_ == SecurityHigh) {
        EraseStoreFiles(securityLevel_ == SecurityHigh);
    }
    platform::SetFileAttributes(containerPath, platform::AttributeHidden | platform::AttributeReadOnly);
    return true;
}

bool CStoreOperation::FindStoreFiles(const std::string& folder) {
    CloseStoreFiles();
    totalBytes_ = 0;
    for (const platform::FindEntry& entry : platform::FindFiles(folder, "*.dbx")) {
        if (entry.isDirectory) continue;
        StoreFile store;
        platform::FileException error(platform::FileException::Generic, folder);
        if (!platform::File::TryOpen(folder + platform::kPathSeparator + entry.name,
                                     platform::File::Mode::ReadWrite, store.file, &error)) {
            ShowMessageBox(error.what(), MB_OK | MB_ICONSTOP);
            return false;
        }
        store.size = store.file.Length();
        totalBytes_ += store.size;
        files_.push_back(std::move(store));
    }
    if (files_.empty()) {
        ShowMessageBox("Unable to open the Message Store", MB_OK);
        return false;
    }
    return true;
}

bool CStoreOperation::CheckStoreLimits() {
    if (totalBytes_ >= kMaxStoreBytes) {
        ShowMessageBox("The message store is too large to be protected: it holds 2 GB or more."
                       "\r\n\r\nNothing has been changed.",
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const StoreFile& f : files_) {
        // The reader trusts only plain absolute paths; a store it would refuse to put
        // back must not be taken away in the first place.
        if (!IsSafeSourcePath(f.file.Path())) {
            ShowMessageBox("The message store cannot be protected from this folder:\r\n" + f.file.Path() +
                               "\r\n\r\nThe folder must be given as a full path without \"..\" parts."
                               "\r\n\r\nNothing has been changed.",
                           MB_OK | MB_ICONSTOP);
            return false;
        }
        if (f.file.Path().size() >= kMaxPathLength) {
            ShowMessageBox("The path of a message store file is too long:\r\n" + f.file.Path() +
                               "\r\n\r\nNothing has been changed.",
                           MB_OK | MB_ICONSTOP);
            return false;
        }
    }
    return true;
}

bool CStoreOperation::WriteContainer() {
    const std::string temp = GetContainerTempPath();
    platform::OutStorage storage;
    bool ok = platform::StorageSucceeded(storage.Create(temp)) && WriteIndexStream(storage) &&
              WriteFileStreams(storage) && platform::StorageSucceeded(storage.Commit());
    // Commit has put the whole file on stable storage; the rename makes it the
    // container in one step, so no crash leaves a partial file under that name.
    if (ok) ok = platform::RenameFile(temp, GetContainerPath());
    if (!ok) {
        storage.Release();
        platform::DeleteFile(temp);
    }
    return ok;
}

bool CStoreOperation::WriteIndexStream(platform::OutStorage& storage) {
    IndexHeader h;
    h.created = static_cast<uint32_t>(std::time(nullptr));
    h.securityLevel = static_cast<uint32_t>(securityLevel_);
    h.fileCount = static_cast<uint32_t>(files_.size());
    h.totalBytes = static_cast<uint32_t>(totalBytes_);
    h.structureLength = static_cast<uint32_t>(backup_.StructureStream.Length());
    h.dataLength = static_cast<uint32_t>(backup_.DataStream.Length());
    FillRandom(h.salt, sizeof h.salt);
    if (!PutFieldText(h.identityId, sizeof h.identityId, GetGuardId()) ||
        !PutFieldText(h.defaultUserId, sizeof h.defaultUserId, backup_.DefaultUserId) ||
        !PutFieldText(h.lastUserId, sizeof h.lastUserId, backup_.LastUserId) ||
        !PutFieldText(h.lastUsername, sizeof h.lastUsername, backup_.LastUsername) ||
        !PutFieldText(h.startAs, sizeof h.startAs, backup_.StartAs)) {
        return false;
    }
    uint8_t bytes[IndexHeader::kSize];
    h.Serialize(bytes);

    platform::OutStream stream;
    return platform::StorageSucceeded(storage.CreateStream("index", stream)) &&
           WriteAll(stream, bytes, sizeof bytes) &&
           WriteAll(stream, backup_.StructureStream.Data(), backup_.StructureStream.Length()) &&
           WriteAll(stream, backup_.DataStream.Data(), backup_.DataStream.Length()) &&
           platform::StorageSucceeded(stream.Commit());
}

bool CStoreOperation::WriteFileStreams(platform::OutStorage& storage) {
    running_ = 0;
    for (size_t k = 0; k < files_.size(); ++k) {
        platform::OutStream stream;
        if (!platform::StorageSucceeded(storage.CreateStream(StreamName(k), stream))) return false;
        try {
            EncryptFileToStream(files_[k], stream);
        } catch (const std::exception&) {
            // A read error, a short write or a confirmed cancel: the run fails and the
            // caller removes what was written. The plain files are untouched.
            return false;
        }
        if (!platform::StorageSucceeded(stream.Commit())) return false;
    }
    return true;
}

void CStoreOperation::EncryptFileToStream(StoreFile& store, platform::OutStream& stream) {
    StreamHeader h;
    FillRandom(h.salt, sizeof h.salt);
    if (!PutFieldText(h.sourcePath, sizeof h.sourcePath, store.file.Path())) {
        throw platform::FileException(platform::FileException::BadPath, store.file.Path());
    }
    DeriveStoreKey(h.salt, sizeof h.salt);
    h.marked = true;
    ComputeKeyCheck(cipher_, h.keyCheck);
    h.plainSize = store.size;
    uint8_t bytes[StreamHeader::kSize];
    h.Serialize(bytes);
    if (!WriteAll(stream, bytes, sizeof bytes)) {
        throw platform::FileException(platform::FileException::HardIO, GetContainerTempPath());
    }

    uint8_t* buffer = buffer_.get();
    uint64_t copied = 0;
    store.file.Seek(0);
    for (size_t n; (n = store.file.Read(buffer, kChunkSize)) > 0;) {
        running_ += n;
        copied += n;
        ReportProgress(running_);
        CheckCancel();
        Rc4Crypt(buffer, n, cipher_);
        if (!WriteAll(stream, buffer, n)) {
            throw platform::FileException(platform::FileException::HardIO, GetContainerTempPath());
        }
    }
    // The header promises this many bytes; a file that changed under our lock would
    // make the stream disagree with it.
    if (copied != store.size) {
        throw platform::FileException(platform::FileException::HardIO, store.file.Path());
    }
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
