#include "GsfSupport.h"

#include <errno.h>
#include <glib.h>
#include <gsf/gsf-utils.h>

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
    case EISDIR: return kStorageAccessDenied;
    case EWOULDBLOCK: return kStorageShareViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kStorageMediumFull;
    case EIO: return kStorageWriteFault;
    default: return kStorageFailed;
    }
}

bool IsValidStreamName(const std::string& name) {
    if (name.empty() || name.size() > 31) return false;
    return name.find_first_of("/\\:!") == std::string::npos;
}

bool SameStreamName(const std::string& a, const std::string& b) {
    return g_ascii_strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace platform
