// The restore side of a run: the container reader and the restore itself. A container
// is a file anybody could have handed us, so everything in it is checked before the
// first byte is written anywhere: lengths, counts, every stream header and path, the
// registry backup and the key of every stream.
#include <algorithm>
#include <cstring>

#include "app/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryRestore.h"
#include "platform/Shell.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "store/HeaderFields.h"
#include "store/IndexHeader.h"
#include "store/KeyCheck.h"
#include "store/SourcePath.h"

namespace {

// Fills all size bytes or fails: a stream that ends early is damaged.
bool ReadExact(platform::InStream& stream, void* data, size_t size) {
    auto* at = static_cast<uint8_t*>(data);
    while (size > 0) {
        size_t got = 0;
        if (!platform::StorageSucceeded(stream.Read(at, size, &got)) || got == 0 || got > size) return false;
        at += got;
        size -= got;
    }
    return true;
}

bool ReadBlob(platform::InStream& stream, CBlob& blob, size_t size) {
    return blob.SetSize(size) && ReadExact(stream, blob.Data(), size);
}

class StreamDamaged : public std::runtime_error {
public:
    StreamDamaged() : std::runtime_error("the container stream ends early") {}
};

}  // namespace

bool CStoreOperation::RunRestore() {
    if (!ReadContainer()) return false;
    if (!RestoreIdentityKey(backup_)) return false;
    LoadIdentities();
    DeleteContainer();
    return true;
}

bool CStoreOperation::ReadContainer() {
    OpenProgress("Decrypting message store");
    if (!CheckContainer()) return false;
    platform::InStorage storage;
    if (!platform::StorageSucceeded(storage.Open(GetContainerPath())) || !WriteBackFiles(storage)) return false;
    storage.Release();
    CloseProgress();
    return true;
}

bool CStoreOperation::CheckContainer() {
    platform::InStorage storage;
    if (!platform::StorageSucceeded(storage.Open(GetContainerPath())) || !ReadIndexStream(storage) ||
        !PlanFileStreams(storage)) {
        ShowMessageBox("The protected container is damaged and cannot be restored.\r\n\r\n"
                       "Nothing has been changed.",
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    return CheckStreamKeys();
}

bool CStoreOperation::ReadIndexStream(platform::InStorage& storage) {
    platform::InStream stream;
    if (!platform::StorageSucceeded(storage.OpenStream("index", stream))) return false;
    uint8_t bytes[IndexHeader::kSize];
    if (stream.Size() < sizeof bytes || !ReadExact(stream, bytes, sizeof bytes)) return false;
    const IndexHeader h = IndexHeader::Parse(bytes);
    if (stream.Size() != uint64_t{IndexHeader::kSize} + h.structureLength + h.dataLength) return false;
    if (h.fileCount > kMaxFileCount) return false;
    if (!GetFieldText(h.defaultUserId, sizeof h.defaultUserId, backup_.DefaultUserId) ||
        !GetFieldText(h.lastUserId, sizeof h.lastUserId, backup_.LastUserId) ||
        !GetFieldText(h.lastUsername, sizeof h.lastUsername, backup_.LastUsername) ||
        !GetFieldText(h.startAs, sizeof h.startAs, backup_.StartAs)) {
        return false;
    }
    if (!ReadBlob(stream, backup_.StructureStream, h.structureLength) ||
        !ReadBlob(stream, backup_.DataStream, h.dataLength)) {
        return false;
    }
    if (!ValidateRegistryBackup(backup_)) return false;
    fileCount_ = h.fileCount;
    return true;
}

bool CStoreOperation::PlanFileStreams(platform::InStorage& storage) {
    totalBytes_ = 0;
    plans_.clear();
    // Grown as streams are found, so a count that lies costs nothing.
    for (size_t k = 0; k < fileCount_; ++k) {
        plans_.emplace_back();
        StreamPlan& plan = plans_.back();
        plan.name = StreamName(k);
        platform::InStream stream;
        if (!platform::StorageSucceeded(storage.OpenStream(plan.name, stream))) return false;
        uint8_t bytes[StreamHeader::kSize];
        if (stream.Size() < sizeof bytes || !ReadExact(stream, bytes, sizeof bytes)) return false;
        if (!StreamHeader::Parse(bytes, plan.header)) return false;
        if (!GetFieldText(plan.header.sourcePath, sizeof plan.header.sourcePath, plan.targetPath) ||
            !IsSafeSourcePath(plan.targetPath)) {
            return false;
        }
        plan.plainSize = stream.Size() - StreamHeader::kSize;
        if (plan.header.marked && plan.header.plainSize != plan.plainSize) return false;
        totalBytes_ += plan.plainSize;
    }
    return true;
}

bool CStoreOperation::KeyMatches(const StreamPlan& plan) {
    if (!plan.header.marked) return true;  // an older container carries no check
    DeriveStoreKey(plan.header.salt, sizeof plan.header.salt);
    uint8_t check[StreamHeader::kKeyCheckSize];
    ComputeKeyCheck(cipher_, check);
    return std::memcmp(check, plan.header.keyCheck, sizeof check) == 0;
}

bool CStoreOperation::CheckStreamKeys() {
    auto allMatch = [this] {
        return std::all_of(plans_.begin(), plans_.end(), [this](const StreamPlan& p) { return KeyMatches(p); });
    };
    if (allMatch()) return true;

    // Deciphering under the wrong key would replace the mail with noise. Nothing has
    // been written yet; ask for the password the store was hidden under.
    std::string prompt =
        "The message store was protected with a different password than the one in use now.\r\n"
        "Please enter the password that was in use when the identity was hidden.";
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string candidate;
        if (!UserInterface::Current().RequestPassword(prompt, candidate)) break;
        password_.swap(candidate);
        if (!candidate.empty()) platform::SecureZero(&candidate[0], candidate.size());
        if (allMatch()) return true;
        prompt = "This password does not match the protected message store either.\r\n"
                 "Please enter the password that was in use when the identity was hidden.";
    }
    ShowMessageBox("The identity has not been restored: the password does not match the protected "
                   "message store.\r\n\r\nNothing has been changed.",
                   MB_OK | MB_ICONSTOP);
    return false;
}

bool CStoreOperation::WriteBackFiles(platform::InStorage& storage) {
    running_ = 0;
    for (const StreamPlan& plan : plans_) {
        platform::InStream stream;
        if (!platform::StorageSucceeded(storage.OpenStream(plan.name, stream))) return false;
        try {
            DecryptStreamToFile(stream, plan);
        } catch (const std::exception&) {
            // The target keeps whatever it held before; files written back earlier are
            // complete. The container stays, so the restore can be run again.
            return false;
        }
    }
    return true;
}

void CStoreOperation::DecryptStreamToFile(platform::InStream& stream, const StreamPlan& plan) {
    uint8_t header[StreamHeader::kSize];
    if (!ReadExact(stream, header, sizeof header)) throw StreamDamaged();
    DeriveStoreKey(plan.header.salt, sizeof plan.header.salt);

    // Written beside the target and renamed over it only when complete and flushed:
    // a failure or a crash never leaves a half-written file under the store's name.
    const std::string temp = plan.targetPath + ".part";
    try {
        platform::File out = platform::File::Open(temp, platform::File::Mode::CreateWrite);
        uint8_t* buffer = buffer_.get();
        for (uint64_t left = plan.plainSize; left > 0;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunkSize));
            if (!ReadExact(stream, buffer, n)) throw StreamDamaged();
            Rc4Crypt(buffer, n, cipher_);
            running_ += n;
            ReportProgress(running_);
            CheckCancel();
            out.Write(buffer, n);
            left -= n;
        }
        out.Flush();
        out.Close();
        platform::FileException error(platform::FileException::Generic, plan.targetPath);
        if (!platform::RenameFile(temp, plan.targetPath, &error)) throw error;
    } catch (...) {
        platform::DeleteFile(temp);
        throw;
    }
}
