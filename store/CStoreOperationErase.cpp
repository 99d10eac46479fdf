// The erase phase of a hide: the plain store files go once the container is complete.
#include <algorithm>

#include "app/UserInterface.h"
#include "store/CStoreOperation.h"
#include "store/RandomGenerator.h"

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
        const std::string path = store.file.Path();
        try {
            EraseFile(store, overwrite);
        } catch (const std::exception&) {
            remaining.push_back(path);
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
    platform::FileException error(platform::FileException::Generic, path);
    if (!platform::DeleteFile(path, &error)) throw error;
}
