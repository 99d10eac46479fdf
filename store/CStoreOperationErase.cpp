// The erase phase of a hide, and the clean-up of what a run that died left behind.
#include <algorithm>

#include "base/FileLocations.h"
#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryRestore.h"
#include "identities/Settings.h"
#include "store/CStoreOperation.h"
#include "store/ExpandStorePath.h"
#include "crypto/RandomGenerator.h"
#include "store/SourcePath.h"

bool CStoreOperation::EraseStoreFiles(bool overwrite) {
    running_ = 0;
    if (progress_) {
        progress_->SetStatusText("Erasing unprotected copy");
        progress_->HideCancelButton();
    }
    std::vector<std::string> remaining;
    while (!files_.empty()) {
        // The phase cannot be canceled: requests are taken only to be discarded.
        if (progress_) progress_->TakeCancelRequest();
        StoreFile store = std::move(files_.back());
        files_.pop_back();
        try {
            EraseFile(store, overwrite);
        } catch (const platform::FileException& error) {
            remaining.push_back(error.path());  // under the name it has now
        }
    }
    if (remaining.empty()) return true;

    std::reverse(remaining.begin(), remaining.end());
    std::string text =
        "The message store is protected, but these unprotected files could not be erased:\r\n";
    for (const std::string& path : remaining) text += "\r\n" + path;
    text += "\r\n\r\nPlease delete them yourself.";
    ShowMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CStoreOperation::EraseFile(StoreFile& store, bool overwrite) {
    const std::string path = store.file.Path();
    std::string erasing = path;
    if (overwrite && HasStoreFileName(path)) {
        // A file overwritten halfway must never be found under the store's name: a
        // restore would take it for newer mail. It moves to a private name first, for
        // good, before its first byte changes.
        erasing = NewTemporaryPath(path, ".shred");
        platform::FileException error(platform::FileException::Generic, path);
        if (!platform::RenameFileNoReplace(path, erasing, &error)) throw error;
    }
    if (overwrite) {
        uint8_t* buffer = buffer_.get();
        // One random block per file, written over and over.
        FillRandom(buffer, kChunkSize);
        store.file.Seek(0);
        const uint64_t length = store.file.Length();
        for (uint64_t written = 0; written < length;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(length - written, kChunkSize));
            store.file.Write(buffer, n);
            if (const auto& observer = ShredObserverSlot(); observer) observer(path, buffer, n);
            written += n;
            running_ += n;
            ReportProgress(running_);
            if (progress_) progress_->TakeCancelRequest();
        }
        // Without this the overwrite may still sit in a cache when the file is gone,
        // and never reach the disk.
        store.file.Flush();
    }
    store.file.Close();
    platform::FileException error(platform::FileException::Generic, erasing);
    if (!platform::DeleteFile(erasing, &error)) throw error;
}

void CStoreOperation::EraseLeftoverPart(const std::string& path, bool overwrite) {
    StoreFile part;
    // Opened without following links, so a planted link only ever loses itself.
    if (platform::File::TryOpen(path, platform::File::Mode::ReadWrite, part.file)) {
        try {
            EraseFile(part, overwrite);
            return;
        } catch (const std::exception&) {
        }
    }
    platform::DeleteFile(path);
}

void CStoreOperation::CleanLeftovers() {
    if (containerPath_.empty()) return;
    // A container the writer never finished is not the container: it goes.
    const std::string documents = GetDocumentsFilePath("");
    for (const platform::FindEntry& entry : platform::FindFiles(documents, guardId_ + ".*tmp")) {
        if ((entry.isRegular || entry.isLink) &&
            (entry.name == guardId_ + ".tmp" || IsTemporaryName(entry.name, guardId_, ".tmp"))) {
            platform::DeleteFile(documents + entry.name);
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
    if (platform::StorageSucceeded(storage.Open(containerPath_)) && ReadIndex(storage, plan, fault) &&
        FindStoreRootInBackup(backup_, storeRoot)) {
        folder = ExpandStorePath(storeRoot);
        overwrite = plan.index.securityLevel != SecurityMedium;
    } else if (FindIdentity(guardId_) >= 0) {
        folder = ExpandStorePath(GetIdentity(static_cast<size_t>(FindIdentity(guardId_))).StoreRoot);
    }
    storage.Release();
    if (folder.empty()) return;
    for (const platform::FindEntry& entry : platform::FindFiles(folder, "*.*")) {
        if (!entry.isRegular && !entry.isLink) continue;
        // Copies a restore had not put in place yet, and files a hide was shredding.
        const bool part = IsTemporaryName(entry.name, std::string(), ".part");
        const bool shred = IsTemporaryName(entry.name, std::string(), ".shred");
        if (part || shred) {
            EraseLeftoverPart(folder + platform::kPathSeparator + entry.name, (overwrite || shred) && entry.isRegular);
        }
    }
}
