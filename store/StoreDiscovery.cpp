#include "store/StoreDiscovery.h"

#include "base/UserInterface.h"
#include "store/CStoreOperation.h"
#include "store/SourcePath.h"

RunOutcome RefuseUnchanged(UserInterface& ui, OperationResultCode code, const std::string& file,
                           const std::string& text) {
    ui.ShowMessageBox(text + "\r\n\r\nNothing has been changed.", MessageStyle::Ok | MessageStyle::IconStop);
    return RunOutcome::Failed(code, file, text);
}

RunOutcome FindStoreFiles(UserInterface& ui, const std::string& folder, std::vector<StoreFile>& files,
                          uint64_t& totalBytes) {
    files.clear();
    totalBytes = 0;
    for (const platform::FindEntry& entry : platform::FindFiles(folder, "*.dbx")) {
        if (entry.isDirectory) continue;
        const std::string path = folder + platform::kPathSeparator + entry.name;
        // A link would make the erase destroy a file outside the store, and a restore
        // could not give it back as it was.
        if (entry.isLink || !entry.isRegular) {
            return RefuseUnchanged(ui, ResultCopyError, path,
                                   "The message store holds something that is not a plain file:\r\n" + path +
                                       "\r\n\r\nOnly regular files can be protected.");
        }
        StoreFile store;
        platform::FileStatus status = platform::File::Open(path, platform::File::Mode::ReadWrite, store.file);
        if (status.ok()) status = store.file.Length(store.size);
        if (status.ok()) status = store.file.Stamp(store.stamp);
        if (!status.ok()) {
            ui.ShowMessageBox(status.text(), MessageStyle::Ok | MessageStyle::IconStop);
            return RunOutcome::Failed(ResultCopyError, status.path(), status.text());
        }
        totalBytes += store.size;
        files.push_back(std::move(store));
    }
    if (files.empty()) {
        ui.ShowMessageBox("Unable to open the Message Store", MessageStyle::Ok);
        return RunOutcome::Failed(ResultCopyError, folder, "no message store files");
    }
    return RunOutcome::Done();
}

RunOutcome CheckStoreLimits(UserInterface& ui, const std::string& folder, const std::vector<StoreFile>& files,
                            uint64_t totalBytes) {
    if (totalBytes >= CStoreOperation::kMaxStoreBytes) {
        return RefuseUnchanged(ui, ResultCopyError, folder,
                               "The message store is too large to be protected: it holds 2 GB or more.");
    }
    if (files.size() > CStoreOperation::kMaxFileCount) {
        return RefuseUnchanged(ui, ResultCopyError, folder, "The message store holds too many files to be protected.");
    }
    for (const StoreFile& f : files) {
        const std::string& path = f.file.Path();
        if (!IsSafeSourcePath(path) || !IsStoreFileName(NameInFolder(path, folder))) {
            return RefuseUnchanged(ui, ResultCopyError, path,
                                   "The message store cannot be protected from this folder:\r\n" + path +
                                       "\r\n\r\nThe folder must be given as a full path without \"..\" parts, and "
                                       "the file names must not hold control characters or any of : * ? \" < > |.");
        }
        if (path.size() >= CStoreOperation::kMaxPathLength) {
            return RefuseUnchanged(ui, ResultCopyError, path,
                                   "The path of a message store file is too long:\r\n" + path);
        }
    }
    return RunOutcome::Done();
}
