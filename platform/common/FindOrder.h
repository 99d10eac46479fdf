// The order a folder search reports its entries in, whatever the file system keeps.
#pragma once

#include <vector>

#include "platform/File.h"

namespace platform {

// By name without regard to case (the order NTFS gives); names that differ only in
// case keep a fixed order too.
void SortByNameIgnoringCase(std::vector<FindEntry>& entries);

}  // namespace platform
