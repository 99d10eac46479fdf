#include "GsfSupport.h"

#include <errno.h>
#include <glib.h>
#include <gsf/gsf-utils.h>
#include <sys/stat.h>

#include <mutex>

namespace platform {

namespace {

void DiscardLibraryMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

void EnsureGsfReady() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const GLogLevelFlags levels =
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        for (const char* domain : {"libgsf", "libgsf:msole"}) {
            g_log_set_handler(domain, levels, DiscardLibraryMessage, nullptr);
        }
    });
}

StorageStatus StorageStatusFromErrno(int error) {
    switch (error) {
    case ENOENT: return kStorageFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kStoragePathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENXIO:  // a pipe nobody reads, a device that is not there
    case EISDIR: return kStorageAccessDenied;
    case EWOULDBLOCK: return kStorageShareViolation;
    case EEXIST: return kStorageFileAlreadyExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kStorageMediumFull;
    case EIO: return kStorageWriteFault;
    default: return kStorageFailed;
    }
}

StorageStatus StorageStatusFromOpenErrno(const std::string& path, int error) {
    struct stat st;
    if (error == ELOOP && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return kStorageAccessDenied;
    return StorageStatusFromErrno(error);
}

}  // namespace platform
