#include "StoreLock.h"

#include "StoreFiles.h"

namespace msimn {

StoreLock::StoreLock(const std::string& folder) : entries_(StoreFiles::List(folder)) {
    for (const auto& entry : entries_) {
        files_.push_back(platform::File::Open(StoreFiles::PathOf(folder, entry.name), platform::File::Mode::ReadWrite));
    }
}

void StoreLock::Release() {
    for (auto& file : files_) file.Close();
    files_.clear();
}

}  // namespace msimn
