#include "app/UninstallRequest.h"

#include <string>

#include "store/Container.h"

bool IsUninstallRequest(int argc, const char* const* argv) {
    if (argc != 2 || argv == nullptr || argv[1] == nullptr) return false;
    const std::string argument = argv[1];
    const std::string expected = "/uninstall";
    if (argument.size() != expected.size()) return false;
    for (size_t i = 0; i < argument.size(); ++i) {
        char c = argument[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != expected[i]) return false;
    }
    return true;
}

int GetExitCodeAfterRun(bool uninstallRequest, int runExitCode) {
    return uninstallRequest && IsIdentityHidden() ? UninstallRefusedExitCode : runExitCode;
}
