#include "StoreLock.h"

#include "StoreFiles.h"
#include "ToolError.h"

namespace msimn {

StoreLock::StoreLock(const std::string& folder) : entries_(StoreFiles::List(folder)) {
    for (const auto& entry : entries_) {
        platform::File file;
        Require(platform::File::Open(StoreFiles::PathOf(folder, entry.name), platform::File::Mode::ReadWrite, file));
        files_.push_back(std::move(file));
    }
}

void StoreLock::Release() {
    for (auto& file : files_) (void)file.Close();  // only held, never written
    files_.clear();
}

}  // namespace msimn
