#include "support/FilePrivacy.h"

#include <sys/stat.h>
#include <unistd.h>

bool OnlyTheUserMayOpen(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}
