// Turns the mail client's "Store Root" text into a folder path.
#pragma once

#include <string>

#include "platform/FileNameCase.h"

// Replaces the known %name% references, whatever their case, in a fixed order, by the
// values of their environment variables as they are (an undefined one by nothing).
// With lowerCase (where the file system ignores case) the rest of the text is first
// lower-cased (ASCII letters only: other bytes may be parts of multibyte characters),
// unknown references included; otherwise it keeps its case, since lower-casing would
// name a different folder.
std::string ExpandStorePath(const std::string& storeRoot,
                            bool lowerCase = platform::kFileNamesIgnoreCase);

// The "Store Root" text that a container of the other system saved, as this system
// names that folder (see platform::FolderFromOtherSystem); any other text as it is.
// Empty when this system cannot reach the folder.
std::string StoreRootHere(const std::string& storeRoot);
