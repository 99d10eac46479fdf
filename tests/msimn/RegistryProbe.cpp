#include "RegistryProbe.h"

#include <algorithm>

RegistryProbe::RegistryProbe(const std::string& path) : path_(path) {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
}

RegistryProbe::~RegistryProbe() {
    if (key_) RegCloseKey(key_);
}

std::optional<RegistryProbe::Value> RegistryProbe::Get(const std::string& name) const {
    DWORD type = 0;
    DWORD size = 0;
    if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return Value{type, bytes};
}

std::optional<std::string> RegistryProbe::Text(const std::string& name) const {
    std::optional<Value> value = Get(name);
    if (!value) return std::nullopt;
    return std::string(value->bytes.c_str());
}

std::vector<std::string> RegistryProbe::Subkeys() const {
    std::vector<std::string> names;
    char name[512];
    for (DWORD index = 0; key_; ++index) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key_, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

RegistryProbe::TreeSummary RegistryProbe::Summarize() const {
    TreeSummary summary;
    char name[512];
    for (DWORD index = 0; key_; ++index) {
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        DWORD dataSize = 0;
        if (RegEnumValueA(key_, index, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        summary.types.insert(type);
        summary.hasEmptyValue = summary.hasEmptyValue || dataSize == 0;
        ++summary.values;
    }
    for (const auto& subkey : Subkeys()) {
        TreeSummary below = RegistryProbe(path_ + "\\" + subkey).Summarize();
        summary.types.insert(below.types.begin(), below.types.end());
        summary.hasEmptyValue = summary.hasEmptyValue || below.hasEmptyValue;
        summary.depth = std::max(summary.depth, below.depth + 1);
        summary.values += below.values;
    }
    return summary;
}
