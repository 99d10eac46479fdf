#include "StorePath.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "platform/Shell.h"

namespace msimn {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool Lookup(const std::string& name, std::string& value) {
    for (const std::string& candidate : {name, Upper(name)}) {
        if (std::getenv(candidate.c_str())) {
            value = platform::EnvironmentValue(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string StorePath::Expand(const std::string& storeRoot) {
    std::string result;
    size_t pos = 0;
    while (pos < storeRoot.size()) {
        size_t open = storeRoot.find('%', pos);
        size_t close = open == std::string::npos ? std::string::npos : storeRoot.find('%', open + 1);
        if (close == std::string::npos) break;
        result.append(storeRoot, pos, open - pos);
        std::string value;
        std::string name = storeRoot.substr(open + 1, close - open - 1);
        if (!name.empty() && Lookup(name, value)) {
            result += value;
        } else {
            result.append(storeRoot, open, close - open + 1);
        }
        pos = close + 1;
    }
    result.append(storeRoot, std::min(pos, storeRoot.size()), std::string::npos);
    return result;
}

// The user's data folder: XDG's on Linux, the roaming application data on Windows.
std::string StorePath::DefaultBase() {
    std::string data = platform::EnvironmentValue("XDG_DATA_HOME");
    if (data.empty()) data = platform::EnvironmentValue("APPDATA");
    if (data.empty()) data = platform::EnvironmentValue("HOME") + "/.local/share";
    return data + platform::kPathSeparator + "veilbox-demo";
}

std::string StorePath::DefaultFolder(const std::string& keyName) {
    return DefaultBase() + platform::kPathSeparator + Lower(keyName);
}

std::string StorePath::Absolute(const std::string& path) {
    if (path.empty() || path[0] == '%' || platform::IsAbsolutePath(path)) return path;
    return std::filesystem::absolute(path).lexically_normal().string();
}

}  // namespace msimn
