// A second process for the registry tests: it works on HKEY_CURRENT_USER through the
// same calls the program uses, so a test can check that two processes see each
// other's data and can write at the same time. Exit status 0 means every call did
// what was asked.
//
//   RegistryPeer set <key> <name> <text>     stores text (with its zero) as REG_SZ
//   RegistryPeer expect <key> <name> <text>  succeeds when the value holds that text
//   RegistryPeer delete <key>                deletes a key that has no subkeys
//   RegistryPeer fill <key> <prefix> <n>     sets prefix0..prefix<n-1> one call each,
//                                            reading every value back after writing it
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Registry.h"

namespace {

// Creates key and writes text under name, or only opens it when text is null; then
// reads name back.
LONG Visit(const char* path, const std::string& name, const char* text, std::string& found) {
    HKEY key = nullptr;
    LONG status = text ? RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
                       : RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS && text) {
        status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(strlen(text) + 1));
    }
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (status == ERROR_SUCCESS) status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    if (status == ERROR_SUCCESS) found.assign(buffer, size && buffer[size - 1] == 0 ? size - 1 : size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) std::fprintf(stderr, "RegistryPeer: failed with %ld\n", static_cast<long>(status));
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    std::string found;
    if (command == "set" && argc == 5) return Visit(argv[2], argv[3], argv[4], found) == ERROR_SUCCESS ? 0 : 1;
    if (command == "expect" && argc == 5) return Visit(argv[2], argv[3], nullptr, found) != ERROR_SUCCESS ? 1 : found == argv[4] ? 0 : 2;
    if (command == "delete" && argc == 3) return RegDeleteKeyA(HKEY_CURRENT_USER, argv[2]) == ERROR_SUCCESS ? 0 : 1;
    if (command == "fill" && argc == 5) {
        for (int i = 0; i < std::atoi(argv[4]); ++i) {
            const std::string text = "from the peer " + std::to_string(i);
            if (Visit(argv[2], argv[3] + std::to_string(i), text.c_str(), found) != ERROR_SUCCESS) return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "RegistryPeer: unknown command\n");
    return 64;
}
