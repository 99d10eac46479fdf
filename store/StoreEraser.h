// Erasing plain mail: the store files a hide has protected (deleted, or overwritten
// first at the high level), copies a restore wrote but did not put in place, and what a
// run that died left behind.
#pragma once

#include <string>
#include <vector>

#include "platform/File.h"
#include "store/CStoreOperation.h"
#include "store/StoreFile.h"

class StoreEraser {
public:
    explicit StoreEraser(CStoreOperation& run) : run_(run) {}

    // Erases every file, last first, and lets go of each. The phase cannot be
    // canceled. Files that could not be erased are named to the user; false then.
    [[nodiscard]] bool EraseStoreFiles(std::vector<StoreFile>& files, bool overwrite);
    // Erases one plain file a restore wrote but did not put in place. A link is never
    // followed: it only ever loses itself.
    void EraseLeftover(const std::string& path, bool overwrite);
    // Removes what a run that died left behind: a container written halfway, and plain
    // copies a restore or a shredder had not finished with.
    void CleanLeftovers();

private:
    // Fails with the file's name as it is at the time of the failure.
    [[nodiscard]] platform::FileStatus EraseFile(StoreFile& store, bool overwrite);

    CStoreOperation& run_;
};
