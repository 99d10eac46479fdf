// The restore side of a run. The whole container is planned and checked first; then
// every file is written under a private temporary name and proved against its digest;
// only when all of them are proved are they put in place, the registry key rebuilt and
// the container deleted. A container that would replace something newer than itself
// changes nothing and is kept aside under a new name.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/FileLocations.h"
#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryRestore.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "base/OperationResult.h"
#include "store/ReadExact.h"
#include "store/SourcePath.h"
#include "base/UserAbort.h"

namespace {

// A stream whose bytes are not those its digest proves.
class StreamDamaged : public std::runtime_error {
public:
    explicit StreamDamaged(const std::string& path) : std::runtime_error(path) {}
};

const char kKept[] = "\r\n\r\nNothing has been changed; the protected container is kept, so the restore can be "
                     "run again.";

}  // namespace

bool CStoreOperation::RunRestore() {
    if (containerPath_.empty()) return false;
    CleanLeftovers();
    if (!ReadContainer()) return false;
    if (!RestoreIdentityKey(backup_)) {
        ShowMessageBox("The identity's registry entries could not be written back; what was written of them has "
                       "been taken back.\r\n\r\nThe protected container is kept, so the restore can be run again.",
                       MB_OK | MB_ICONSTOP);
        OperationResult = ResultRegistryError;
        return false;
    }
    LoadIdentities();
    return FinishRestore();
}

bool CStoreOperation::ReadContainer() {
    OpenProgress("Decrypting message store");
    if (!CheckContainer()) return false;
    std::string reason;
    if (!CheckNothingNewer(reason)) return KeepStaleContainer(reason);
    platform::InStorage storage;
    if (!platform::StorageSucceeded(storage.Open(containerPath_))) {
        ShowMessageBox("The protected container cannot be opened." + std::string(kKept), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!WriteBackFiles(storage)) return false;
    storage.Release();
    if (!PlaceFiles()) return false;
    CloseProgress();
    return true;
}

bool CStoreOperation::CheckNothingNewer(std::string& reason) {
    switch (CompareIdentityKeyWithBackup(backup_)) {
        case KeyInPlace::Missing:
        case KeyInPlace::PartOfBackup:
            return true;
        case KeyInPlace::Differs:
        case KeyInPlace::Unreadable:
            break;
    }
    reason = "the identity is already listed in the mail client, with settings the container does not hold";
    return false;
}

bool CStoreOperation::WriteBackFiles(platform::InStorage& storage) {
    running_ = 0;
    std::string differing;
    std::string failure;
    try {
        for (size_t k = 0; k < plan_.streams.size(); ++k) {
            platform::InStream stream;
            if (!platform::StorageSucceeded(storage.OpenStream(plan_.streams[k].name, stream))) {
                throw StreamDamaged(plan_.streams[k].targetPath);
            }
            bool differs = false;
            DecryptStreamToFile(stream, k, differs);
            if (differs && differing.empty()) differing = plan_.streams[k].targetPath;
        }
    } catch (const UserAbort&) {
        RemoveParts();
        return false;
    } catch (const StreamDamaged& damaged) {
        failure = "The protected container is damaged: the copy of\r\n" + std::string(damaged.what()) +
                  "\r\ndoes not match its digest.";
    } catch (const platform::FileException& error) {
        failure = "The message store could not be written back:\r\n" + std::string(error.what());
    }
    if (!failure.empty()) {
        RemoveParts();
        ShowMessageBox(failure + kKept, MB_OK | MB_ICONSTOP);
        return false;
    }
    // Only now that every copy is proved: a file that differs is newer mail, not damage.
    if (!differing.empty()) {
        return KeepStaleContainer("a file in the store is not the one the container holds:\r\n" + differing);
    }
    return true;
}

void CStoreOperation::DecryptStreamToFile(platform::InStream& stream, size_t k, bool& differs) {
    StreamPlan& plan = plan_.streams[k];
    uint8_t header[StreamHeader::kSize];
    if (!ReadExact(stream, header, sizeof header) || std::memcmp(header, plan.headerBytes, sizeof header) != 0) {
        throw StreamDamaged(plan.targetPath);
    }
    uint8_t key[Poly1305::kKeySize];
    KeyStream(plan.header.salt, key);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    ::StartStreamDigest(mac, plan_.index.salt, static_cast<uint32_t>(k));
    mac.Update(header, sizeof header);

    // What is in place now, compared as we go: a restore never replaces other content.
    platform::File existing;
    differs = false;
    if (platform::FileExists(plan.targetPath)) {
        platform::FileException error(platform::FileException::Generic, plan.targetPath);
        if (!platform::File::TryOpen(plan.targetPath, platform::File::Mode::Read, existing, &error)) {
            if (error.cause() != platform::FileException::LinkRefused && error.cause() != platform::FileException::NotAFile) {
                throw error;
            }
            differs = true;
        }
    }

    plan.partPath = NewTemporaryPath(plan.targetPath, ".part");
    platform::File out = platform::File::Open(plan.partPath, platform::File::Mode::CreateNew, platform::File::OwnerOnly);
    uint8_t* buffer = buffer_.get();
    uint8_t* inPlace = compareBuffer_.get();
    for (uint64_t left = plan.plainSize; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunkSize));
        if (!ReadExact(stream, buffer, n)) throw StreamDamaged(plan.targetPath);
        mac.Update(buffer, n);
        Rc4Crypt(buffer, n, cipher_);
        if (existing.IsOpen() && !differs) {
            size_t got = 0;
            while (got < n) {
                const size_t r = existing.Read(inPlace + got, n - got);
                if (r == 0) break;
                got += r;
            }
            differs = got != n || std::memcmp(inPlace, buffer, n) != 0;
        }
        running_ += n;
        ReportProgress(running_);
        CheckCancel();
        out.Write(buffer, n);
        left -= n;
    }
    if (existing.IsOpen() && !differs) differs = existing.Read(inPlace, 1) != 0;
    plan.inPlace = existing.IsOpen() && !differs;
    existing.Close();

    uint8_t digest[Poly1305::kTagSize];
    mac.Final(digest);
    if (plan_.sealed && !SameDigest(digest, plan_.seal.streamDigests[k].bytes)) throw StreamDamaged(plan.targetPath);

    if (plan.header.stamped) {
        platform::FileStamp stamp;
        stamp.mode = plan.header.mode != 0 ? plan.header.mode : 0600;
        stamp.modifiedSeconds = plan.header.modifiedSeconds;
        stamp.modifiedNanoseconds = plan.header.modifiedNanoseconds;
        out.SetStamp(stamp);
    }
    out.Close();
}

bool CStoreOperation::FlushParts() {
    if (plan_.streams.empty() || platform::FlushFileSystemOf(plan_.storeFolder)) return true;
    for (const StreamPlan& plan : plan_.streams) {
        platform::FileException error(platform::FileException::Generic, plan.partPath);
        platform::File part;
        try {
            if (!platform::File::TryOpen(plan.partPath, platform::File::Mode::Read, part, &error)) throw error;
            part.Flush();
        } catch (const platform::FileException& failure) {
            RemoveParts();
            ShowMessageBox("The message store could not be written back:\r\n" + std::string(failure.what()) + kKept,
                           MB_OK | MB_ICONSTOP);
            return false;
        }
    }
    return true;
}

bool CStoreOperation::PlaceFiles() {
    // Nothing gets a store file's name before every copy is on stable storage.
    if (!FlushParts()) return false;
    for (StreamPlan& plan : plan_.streams) {
        // What an interrupted restore already put in place stays as it is (a read-only
        // file could not be replaced anyway); its spare copy goes.
        if (plan.inPlace) {
            EraseLeftoverPart(plan.partPath, plan_.index.securityLevel != SecurityMedium);
            plan.partPath.clear();
            continue;
        }
        platform::FileException error(platform::FileException::Generic, plan.targetPath);
        if (!platform::RenameFileDeferred(plan.partPath, plan.targetPath, &error)) {
            // The files put in place so far hold exactly the container's bytes, so a
            // second restore finds them as its own and goes on.
            RemoveParts();
            ShowMessageBox("The message store could not be written back:\r\n" + std::string(error.what()) + kKept,
                           MB_OK | MB_ICONSTOP);
            return false;
        }
        plan.partPath.clear();
    }
    if (!plan_.streams.empty() && !platform::FlushFolder(plan_.storeFolder)) {
        ShowMessageBox("The message store folder could not be written to the disk:\r\n" + plan_.storeFolder + kKept,
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

void CStoreOperation::RemoveParts() {
    for (StreamPlan& plan : plan_.streams) {
        if (plan.partPath.empty()) continue;
        EraseLeftoverPart(plan.partPath, plan_.index.securityLevel != SecurityMedium);
        plan.partPath.clear();
    }
}

bool CStoreOperation::FinishRestore() {
    platform::FileException error(platform::FileException::Generic, containerPath_);
    if (DeleteContainer(&error)) return true;
    // Left under its name, the container would make the identity look hidden, and a
    // later restore would bring back this older copy.
    std::string kept;
    if (MoveContainerAside(kept)) {
        ShowMessageBox("The identity has been restored, but its protected container could not be deleted:\r\n" +
                           std::string(error.what()) +
                           "\r\n\r\nIt holds an older copy of the identity and has been kept as:\r\n" + kept +
                           "\r\n\r\nDelete it when you no longer need it.",
                       MB_OK | MB_ICONEXCLAMATION);
    } else {
        ShowMessageBox("The identity has been restored, but its protected container could not be deleted:\r\n" +
                           std::string(error.what()) + "\r\n\r\nIt is still at:\r\n" + containerPath_ +
                           "\r\n\r\nUntil it is gone the identity is shown as hidden; a restore will then only "
                           "delete it.",
                       MB_OK | MB_ICONEXCLAMATION);
    }
    return true;
}

bool CStoreOperation::KeepStaleContainer(const std::string& reason) {
    RemoveParts();
    std::string kept;
    if (!MoveContainerAside(kept)) {
        ShowMessageBox("The identity has not been restored: " + reason +
                           ".\r\n\r\nThe protected container holds an older copy and could not be moved aside. "
                           "Nothing has been changed.",
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    ShowMessageBox("The identity has not been restored: " + reason +
                       ".\r\n\r\nThe protected container holds an older copy, so nothing has been changed. It has "
                       "been kept as:\r\n" +
                       kept + "\r\n\r\nThe identity is no longer shown as hidden.",
                   MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CStoreOperation::MoveContainerAside(std::string& kept) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    const std::string base = containerPath_.substr(0, containerPath_.size() - 4) + ".kept-" + stamp;
    for (int n = 1; n < 100; ++n) {
        kept = base + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".dat";
        platform::FileException error(platform::FileException::Generic, kept);
        if (platform::RenameFileNoReplace(containerPath_, kept, &error)) return true;
        if (error.cause() != platform::FileException::AlreadyExists) return false;
    }
    return false;
}
