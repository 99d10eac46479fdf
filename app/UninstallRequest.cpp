#include "app/UninstallRequest.h"

#include <string>

#include "platform/AsciiCase.h"
#include "store/Container.h"

bool IsUninstallRequest(int argc, const char* const* argv) {
    if (argc != 2 || argv == nullptr || argv[1] == nullptr) return false;
    const std::string argument = argv[1];
    return platform::SameIgnoringAsciiCase(argument, "/uninstall");
}

int GetExitCodeAfterRun(bool uninstallRequest, int runExitCode) {
    return uninstallRequest && IsIdentityHidden() ? UninstallRefusedExitCode : runExitCode;
}
