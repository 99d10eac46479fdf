// veilbox-cli hide|restore
//
// Runs the hide or the restore of the protected identity (the "guardid" setting)
// without windows. The registry, the documents folder and the password file are those
// the environment names (VEILBOX_REGISTRY, HOME/XDG, VEILBOX_AUTH); the settings are
// read under the program name VEILBOX_PROGRAM_NAME when it is set (they are kept per
// program name, and this file has its own); the program password, when there is one,
// is read from VEILBOX_PASSWORD and never printed.
// Exit status: 0 done, 1 the run failed (the result text is printed), 2 bad usage or
// nothing to do.
#include <cstdio>
#include <string>

#include "CliUserInterface.h"
#include "app/ResultTexts.h"
#include "identities/IdentityCatalogue.h"
#include "identities/InternalFailure.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "store/OperationResult.h"
#include "store/StoreWorkflows.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: veilbox-cli hide|restore\n");
    return 2;
}

bool RunHide() {
    const int position = FindIdentity(GetGuardId());
    if (GetGuardId().empty() || position < 0) {
        std::fprintf(stderr, "Unable to locate message store for the selected identity\n");
        return false;
    }
    return HideIdentity(GetIdentity(static_cast<size_t>(position)).StoreRoot);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Usage();
    const std::string command = argv[1];
    if (command != "hide" && command != "restore") return Usage();

    const std::string programName = platform::GetEnvironmentVariable("VEILBOX_PROGRAM_NAME");
    if (!programName.empty()) SetApplicationName(programName);
    const std::string auth = platform::GetEnvironmentVariable("VEILBOX_AUTH");
    if (!auth.empty()) SetAuthRecordPathForTesting(auth);
    const std::string password = platform::GetEnvironmentVariable("VEILBOX_PASSWORD");
    if (!password.empty() && !VerifyPassword(password)) {
        std::fprintf(stderr, "The password is not correct.\n");
        return 2;
    }

    CliUserInterface ui;
    UserInterface::Install(&ui);
    LoadIdentities();
    if (command == "restore" && !IsIdentityHidden()) {
        std::fprintf(stderr, "No identity is hidden.\n");
        return 2;
    }
    bool done = false;
    try {
        done = command == "hide" ? RunHide() : RestoreIdentity();
    } catch (const InternalFailure&) {
        OperationResult = ResultUnspecified;
    }
    UserInterface::Install(nullptr);
    if (!done) {
        std::fprintf(stderr, "%s\n", GetResultDescription(OperationResult).c_str());
        return 1;
    }
    std::fprintf(stderr, "%s\n", GetDoneStatusText(IsIdentityHidden()).c_str());
    return 0;
}
