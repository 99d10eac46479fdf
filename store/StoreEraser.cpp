#include "store/StoreEraser.h"

#include <algorithm>

#include "base/FileLocations.h"
#include "base/UserInterface.h"
#include "crypto/RandomGenerator.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryRestore.h"
#include "identities/Settings.h"
#include "store/ContainerPlanner.h"
#include "store/ExpandStorePath.h"
#include "store/SourcePath.h"

bool StoreEraser::EraseStoreFiles(std::vector<StoreFile>& files, bool overwrite) {
    run_.StartCount(run_.TotalBytes());
    run_.SetStatus("Erasing unprotected copy");
    run_.HideCancel();
    std::vector<std::string> remaining;
    while (!files.empty()) {
        run_.DiscardCancel();
        StoreFile store = std::move(files.back());
        files.pop_back();
        if (const platform::FileStatus erased = EraseFile(store, overwrite); !erased.ok()) {
            remaining.push_back(erased.path());  // under the name it has now
        }
    }
    if (remaining.empty()) return true;

    std::reverse(remaining.begin(), remaining.end());
    std::string text = "The message store is protected, but these unprotected files could not be erased:\r\n";
    for (const std::string& path : remaining) text += "\r\n" + path;
    text += "\r\n\r\nPlease delete them yourself.";
    run_.User().ShowMessageBox(text, MessageStyle::Ok | MessageStyle::IconExclamation);
    return false;
}

platform::FileStatus StoreEraser::EraseFile(StoreFile& store, bool overwrite) {
    const std::string path = store.file.Path();
    std::string erasing = path;
    if (overwrite && HasStoreFileName(path)) {
        // A file overwritten halfway must never be found under the store's name: a
        // restore would take it for newer mail. It moves to a private name first, for
        // good, before its first byte changes.
        erasing = NewTemporaryPath(path, ".shred");
        if (platform::FileStatus renamed = store.file.RenameNoReplace(erasing); !renamed.ok()) {
            const std::string now = platform::FileExists(erasing) ? erasing : path;
            return platform::FileStatus(renamed.cause(), now, renamed.osError());
        }
    }
    const auto failedAs = [&erasing](const platform::FileStatus& status) {
        return platform::FileStatus(status.cause(), erasing, status.osError());
    };
    if (overwrite) {
        uint8_t* buffer = run_.Buffer();
        // One random block per file, written over and over.
        FillRandom(buffer, CStoreOperation::kChunkSize);
        uint64_t length = 0;
        platform::FileStatus status = store.file.Seek(0);
        if (status.ok()) status = store.file.Length(length);
        for (uint64_t written = 0; status.ok() && written < length;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(length - written, CStoreOperation::kChunkSize));
            status = store.file.Write(buffer, n);
            if (!status.ok()) break;
            run_.ShredBlockWritten(path, buffer, n);
            written += n;
            run_.Count(n);
            run_.DiscardCancel();
        }
        // Without this the overwrite may still sit in a cache when the file is gone,
        // and never reach the disk.
        if (status.ok()) status = store.file.Flush();
        if (!status.ok()) return failedAs(status);
    }
    if (const platform::FileStatus closed = store.file.Close(); !closed.ok()) return failedAs(closed);
    return platform::RemoveFile(erasing);
}

void StoreEraser::EraseLeftover(const std::string& path, bool overwrite) {
    StoreFile part;
    // Opened without following links, so a planted link only ever loses itself.
    if (platform::File::Open(path, platform::File::Mode::ReadWrite, part.file).ok() &&
        EraseFile(part, overwrite).ok()) {
        return;
    }
    (void)platform::RemoveFile(path);  // what could not be overwritten still goes
}

void StoreEraser::CleanLeftovers() {
    const std::string& guardId = run_.IdentityKeyName();
    if (run_.ContainerPath().empty()) return;
    // A container the writer never finished is not the container: it goes.
    const std::string documents = GetDocumentsFilePath("");
    for (const platform::FindEntry& entry : platform::FindFiles(documents, guardId + ".*tmp")) {
        if ((entry.isRegular || entry.isLink) &&
            (entry.name == guardId + ".tmp" || IsTemporaryName(entry.name, guardId, ".tmp"))) {
            (void)platform::RemoveFile(documents + entry.name);
        }
    }

    // Files a restore wrote but did not put in place hold plain mail, and so do files a
    // hide was shredding; they are erased as the container erases plain files. Their
    // folder is the container's store folder, or the listed identity's when the
    // container is gone.
    std::string folder;
    bool overwrite = true;
    platform::InStorage storage;
    ContainerPlan plan;
    std::string fault;
    std::string storeRoot;
    if (platform::StorageSucceeded(storage.Open(run_.ContainerPath())) &&
        ContainerPlanner(run_).ReadIndex(storage, plan, fault) && FindStoreRootInBackup(run_.Backup(), storeRoot)) {
        folder = ExpandStorePath(StoreRootHere(storeRoot));
        overwrite = plan.index.securityLevel != SecurityMedium;
    } else if (const IdentityCatalogue listed = IdentityCatalogue::Read(); listed.Find(guardId) >= 0) {
        folder = ExpandStorePath(listed.At(static_cast<size_t>(listed.Find(guardId))).StoreRoot);
    }
    storage.Release();
    if (folder.empty()) return;
    for (const platform::FindEntry& entry : platform::FindFiles(folder, "*.*")) {
        if (!entry.isRegular && !entry.isLink) continue;
        // Copies a restore had not put in place yet, and files a hide was shredding.
        const bool part = IsTemporaryName(entry.name, std::string(), ".part");
        const bool shred = IsTemporaryName(entry.name, std::string(), ".shred");
        if (part || shred) {
            EraseLeftover(folder + platform::kPathSeparator + entry.name, (overwrite || shred) && entry.isRegular);
        }
    }
}
