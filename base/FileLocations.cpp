#include "base/FileLocations.h"

#include <cctype>

#include "platform/Shell.h"

namespace {

constexpr char kSeparator = platform::kPathSeparator;

// True when text ends with "<sep>name<sep>", letters compared without regard to case.
bool EndsWithFolder(const std::string& text, const char* name) {
    std::string suffix = std::string(1, kSeparator) + name + kSeparator;
    if (text.size() < suffix.size()) return false;
    size_t start = text.size() - suffix.size();
    for (size_t i = 0; i < suffix.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(text[start + i]);
        unsigned char b = static_cast<unsigned char>(suffix[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

}  // namespace

std::string GetModulePath() { return platform::ProgramFilePath(); }

std::string GetProgramFolder(const std::string& programPath) {
    size_t last = programPath.rfind(kSeparator);
    if (last == std::string::npos) return std::string();
    std::string folder = programPath.substr(0, last + 1);
    // A program run from its build folder keeps its files one level up, beside the
    // sources, so both build configurations share them. Only one level is folded.
    if (EndsWithFolder(folder, "debug"))
        folder.resize(folder.size() - 6);
    else if (EndsWithFolder(folder, "release"))
        folder.resize(folder.size() - 8);
    return folder;
}

std::string GetProgramFilePath(const std::string& name) {
    return GetProgramFolder(GetModulePath()) + name;
}

std::string GetUserDataFilePath(const std::string& name) {
    const std::string folder = platform::UserDataFolder();
    return folder.empty() ? GetProgramFilePath(name) : folder + kSeparator + name;
}

std::string GetSpecialFolder(int folderId) {
    if (folderId == CSIDL_PERSONAL) return platform::GetDocumentsFolder();
    return std::string();
}

std::string StripTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == kSeparator) return path.substr(0, path.size() - 1);
    return path;
}

std::string GetDocumentsFilePath(const std::string& name) {
    return StripTrailingBackslash(GetSpecialFolder(CSIDL_PERSONAL)) + kSeparator + name;
}
