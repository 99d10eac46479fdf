// The client's message store: the *.dbx files of one folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/File.h"

namespace msimn {

class StoreFiles {
public:
    // Writes a new store of `count` files into folder (created when missing), with
    // the client's usual file names and sizes (one of them empty, several over 64 KiB)
    // and contents that depend on seed alone. Refuses (ToolError) to overwrite a file
    // that is already there: a store is never clobbered.
    static std::vector<platform::FindEntry> Populate(const std::string& folder, unsigned count, uint64_t seed);
    // The store files of folder (not of its subfolders), in the file layer's search
    // order; empty when the folder does not exist.
    static std::vector<platform::FindEntry> List(const std::string& folder);
    static std::string PathOf(const std::string& folder, const std::string& name);
};

}  // namespace msimn
