#include "platform/win32/RegistryRoot.h"

#include <mutex>

#include "platform/Shell.h"

namespace platform {

namespace {

constexpr const char* kRootName = "HKEY_CURRENT_USER";

struct Root {
    std::mutex mutex;
    bool chosen = false;
    std::string path;  // below the real HKEY_CURRENT_USER; empty for itself
    HKEY key = HKEY_CURRENT_USER;
};

Root& TheRoot() {
    static Root root;
    return root;
}

// "HKEY_CURRENT_USER\a\b" and "a\b" both name a\b below the real key. A file's path
// (what the Linux stand-in takes, and what tests hand over for a private registry in
// their own folder) names a key of its own, made from the path.
std::string PathBelowRoot(const std::string& location) {
    const std::string prefix = std::string(kRootName) + "\\";
    if (location == kRootName) return std::string();
    if (location.compare(0, prefix.size(), prefix) == 0) return location.substr(prefix.size());
    if (location.find(':') == std::string::npos && location.find('/') == std::string::npos) return location;
    std::string name = location;
    for (char& c : name) {
        if (c == '\\' || c == '/' || c == ':') c = '_';
    }
    return "Software\\Veilbox private registries\\" + name;
}

bool Choose(Root& root, const std::string& location) {
    const std::string path = PathBelowRoot(location);
    HKEY key = HKEY_CURRENT_USER;
    if (!path.empty() && ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (root.key != HKEY_CURRENT_USER) ::RegCloseKey(root.key);
    root.key = key;
    root.path = path;
    root.chosen = true;
    return true;
}

}  // namespace

HKEY NativeKey(RegKey key) {
    if (key != RegKey::CurrentUser) return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key));
    Root& root = TheRoot();
    std::lock_guard<std::mutex> lock(root.mutex);
    if (!root.chosen && !Choose(root, EnvironmentValue("VEILBOX_REGISTRY"))) Choose(root, std::string());
    return root.key;
}

std::string RegistryLocation() {
    Root& root = TheRoot();
    std::lock_guard<std::mutex> lock(root.mutex);
    std::string path = root.chosen ? root.path : PathBelowRoot(EnvironmentValue("VEILBOX_REGISTRY"));
    return path.empty() ? std::string(kRootName) : std::string(kRootName) + "\\" + path;
}

bool RedirectRegistry(const std::string& location) {
    Root& root = TheRoot();
    std::lock_guard<std::mutex> lock(root.mutex);
    if (location.empty()) {
        if (root.key != HKEY_CURRENT_USER) ::RegCloseKey(root.key);
        root.key = HKEY_CURRENT_USER;
        root.path.clear();
        root.chosen = false;
        return true;
    }
    return Choose(root, location);
}

}  // namespace platform
