// A second process on HKEY_CURRENT_USER, through the calls the program uses; exit
// status 0 when every call did what was asked.
//   expect <key> <name> <text>  succeeds when the value holds that text
//   fill <key> <prefix> <n>     sets and reads back prefix0..prefix<n-1>, one call each
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Registry.h"

namespace {

// Creates the key and writes text under name (only opens it when text is null); then
// reads name back into found.
LONG Visit(const char* path, const std::string& name, const char* text, std::string& found) {
    HKEY key = nullptr;
    LONG status = text ? RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
                       : RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    if (!status && text) status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, (const BYTE*)text, DWORD(strlen(text) + 1));
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (!status) status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, (BYTE*)buffer, &size);
    if (!status) found.assign(buffer, size && !buffer[size - 1] ? size - 1 : size);
    RegCloseKey(key);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    std::string found;
    if (command == "expect" && argc == 5) return Visit(argv[2], argv[3], nullptr, found) || found != argv[4];
    for (int i = 0; command == "fill" && argc == 5 && i < std::atoi(argv[4]); ++i) {
        if (Visit(argv[2], argv[3] + std::to_string(i), ("from the peer " + std::to_string(i)).c_str(), found)) return 1;
    }
    return command == "fill" && argc == 5 ? 0 : 64;
}
