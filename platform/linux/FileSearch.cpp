// Wildcard search of one folder, the way Windows matches names: * and ?, without
// regard to case.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "platform/File.h"
#include "platform/common/FindOrder.h"

namespace platform {

namespace {

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Iterative match with one backtrack point: the last '*' seen. Linear in practice
// and without recursion, so a hostile pattern cannot exhaust the stack.
bool WildcardMatch(const std::string& pattern, const std::string& name) {
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<FindEntry> FindFiles(const std::string& folder, const std::string& pattern) {
    std::vector<FindEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    while (struct dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !WildcardMatch(pattern, name)) continue;
        FindEntry found{name, false, false, false, 0};
        struct stat st;
        // Links are not followed: a link is reported as one, whatever it points to (a
        // folder, a file, nothing), so that callers can pass over it without its
        // target ever being looked at.
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            found.isDirectory = S_ISDIR(st.st_mode);
            found.isLink = S_ISLNK(st.st_mode);
            found.isRegular = S_ISREG(st.st_mode);
            found.size = found.isRegular ? static_cast<uint64_t>(st.st_size) : 0;
        }
        entries.push_back(std::move(found));
    }
    ::closedir(dir);
    SortByNameIgnoringCase(entries);
    return entries;
}

}  // namespace platform
