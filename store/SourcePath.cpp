#include "store/SourcePath.h"

#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/File.h"
#include "platform/FileNameCase.h"
#include "crypto/RandomGenerator.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

constexpr size_t kRandomDigits = 8;

}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr) return false;
    }
    return true;
}

bool HasStoreFileName(const std::string& path) {
    static const char kExtension[] = ".dbx";
    const size_t slash = path.find_last_of(platform::kPathSeparator);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() < 4) return false;
    for (size_t k = 0; k < 4; ++k) {
        if (platform::LowerAscii(name[name.size() - 4 + k]) != kExtension[k]) return false;
    }
    return true;
}

bool IsStoreFileName(const std::string& name) { return IsPlainFileName(name) && HasStoreFileName(name); }

bool IsSafeSourcePath(const std::string& path) {
    if (!platform::IsAbsolutePath(path)) return false;
    // Either separator ends a part: a ".." must not slip through on any platform the
    // container may travel to.
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (path.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return HasStoreFileName(path);
}

std::string NameInFolder(const std::string& path, const std::string& folder) {
    return NameInFolder(path, folder, platform::kPathSeparator, platform::kFileNamesIgnoreCase);
}

std::string NameInFolder(const std::string& path, const std::string& folder, char separator, bool ignoreCase) {
    const std::string prefix = folder + separator;
    if (path.size() <= prefix.size()) return std::string();
    for (size_t k = 0; k < prefix.size(); ++k) {
        if (path[k] != prefix[k] && !(ignoreCase && platform::LowerAscii(path[k]) == platform::LowerAscii(prefix[k]))) return std::string();
    }
    const std::string name = path.substr(prefix.size());
    return IsPlainFileName(name) ? name : std::string();
}

std::string NewTemporaryPath(const std::string& finalPath, const char* suffix) {
    static const char kDigits[] = "0123456789abcdef";
    uint8_t random[kRandomDigits / 2];
    FillRandom(random, sizeof random);
    std::string path = finalPath + ".";
    for (const uint8_t b : random) {
        path += kDigits[b >> 4];
        path += kDigits[b & 15];
    }
    return path + suffix;
}

bool IsTemporaryName(const std::string& name, const std::string& finalName, const char* suffix) {
    const size_t suffixLength = std::strlen(suffix);
    if (name.size() < 1 + kRandomDigits + suffixLength) return false;
    const size_t baseLength = name.size() - 1 - kRandomDigits - suffixLength;
    const std::string base = name.substr(0, baseLength);
    if (finalName.empty() ? !IsStoreFileName(base) : base != finalName) return false;
    if (name[baseLength] != '.' || name.compare(name.size() - suffixLength, suffixLength, suffix) != 0) return false;
    for (size_t k = baseLength + 1; k < baseLength + 1 + kRandomDigits; ++k) {
        if (std::strchr("0123456789abcdef", name[k]) == nullptr || name[k] == '\0') return false;
    }
    return true;
}
