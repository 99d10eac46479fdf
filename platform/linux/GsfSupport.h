// What the compound-file stand-in shares between its reading and writing sides.
#pragma once

#include <string>

#include "platform/CompoundFile.h"
#include "platform/common/StreamNames.h"

namespace platform {

// Initialises libgsf once per process and keeps its diagnostics (it warns about
// damaged files) off the terminal: a damaged container is reported through our
// statuses, and no warning of a library can end the program.
void EnsureGsfReady();

// The storage status for an errno value from opening, writing or syncing a file.
StorageStatus StorageStatusFromErrno(int error);

// The same for a failed open of path, which never follows a symbolic link there: such
// a link is refused as kStorageAccessDenied (ELOOP also stands for too many links on
// the way to it, which is kStoragePathNotFound).
StorageStatus StorageStatusFromOpenErrno(const std::string& path, int error);

}  // namespace platform
