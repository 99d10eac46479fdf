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
#include <string>

#include "platform/Registry.h"

namespace {

int Fail(const char* what, LONG status) {
    std::fprintf(stderr, "RegistryPeer: %s failed with %ld\n", what, static_cast<long>(status));
    return 1;
}

LONG WriteText(HKEY key, const std::string& name, const std::string& text) {
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG ReadText(HKEY key, const std::string& name, std::string& text) {
    char buffer[4096];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    if (status == ERROR_SUCCESS) text.assign(buffer, size && buffer[size - 1] == 0 ? size - 1 : size);
    return status;
}

int Set(const char* path, const char* name, const char* text) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) status = WriteText(key, name, text);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : Fail("set", status);
}

int Expect(const char* path, const char* name, const char* text) {
    HKEY key = nullptr;
    std::string found;
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) status = ReadText(key, name, found);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return Fail("expect", status);
    return found == text ? 0 : 2;
}

int Fill(const char* path, const char* prefix, int count) {
    for (int i = 0; i < count; ++i) {
        HKEY key = nullptr;
        LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS) return Fail("create", status);
        const std::string name = prefix + std::to_string(i);
        status = WriteText(key, name, "from the peer " + std::to_string(i));
        std::string back;
        if (status == ERROR_SUCCESS) status = ReadText(key, name, back);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) return Fail("fill", status);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "set" && argc == 5) return Set(argv[2], argv[3], argv[4]);
    if (command == "expect" && argc == 5) return Expect(argv[2], argv[3], argv[4]);
    if (command == "delete" && argc == 3) {
        LONG status = RegDeleteKeyA(HKEY_CURRENT_USER, argv[2]);
        return status == ERROR_SUCCESS ? 0 : Fail("delete", status);
    }
    if (command == "fill" && argc == 5) return Fill(argv[2], argv[3], std::atoi(argv[4]));
    std::fprintf(stderr, "RegistryPeer: unknown command\n");
    return 64;
}
