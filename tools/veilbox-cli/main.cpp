// veilbox-cli [--password-fd N] hide|restore, or --help for the usage line
//
// Runs the hide or the restore of the protected identity (the "guardid" setting)
// without windows. The registry, the documents folder and the password file are those
// the environment names (VEILBOX_REGISTRY, HOME/XDG, VEILBOX_AUTH); the settings are
// read under the program name VEILBOX_PROGRAM_NAME when it is set (they are kept per
// program name, and this file has its own).
//
// The run never works under a password other than the program password in force. When
// one is set it is read from descriptor N, up to its first newline or its end (a
// trailing "\r\n" or "\n" is not part of it); without --password-fd it is asked for at
// the terminal with echo off; with neither the run is refused. When no password is set,
// descriptor N, if given, must hold an empty line or nothing. Should a restore find its
// container hidden under another password, it asks again the same way: the
// descriptor's next line, or the terminal. Passwords are never printed.
// Exit status: 0 done, 1 the run failed (the result text is printed), 2 bad usage, no
// or a wrong password, or nothing to do; nothing is changed then.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CliUserInterface.h"
#include "app/PageCommands.h"
#include "app/ResultTexts.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "store/StoreWorkflows.h"

namespace {

const char kUsage[] = "usage: veilbox-cli [--password-fd N] hide|restore\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// A descriptor number: decimal digits only.
bool ParseDescriptor(const std::string& text, int& fd) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    fd = std::atoi(text.c_str());
    return true;
}

// Makes the password in force this run's password, or says why it cannot.
bool TakeProgramPassword(const CliUserInterface& ui) {
    // Without a password set there is nothing to ask; a descriptor that was given is
    // read all the same, so that a password the caller believed in is not ignored.
    const bool passwordSet = IsPasswordSet();
    if (!passwordSet && !ui.HasPasswordDescriptor()) return true;
    std::string password;
    const platform::SecretReadStatus status = ui.ReadPassword(password);
    // An empty input stands for the empty password.
    if (status != platform::SecretReadStatus::Read && status != platform::SecretReadStatus::EndOfInput) {
        std::fprintf(stderr, "%s%s\n", passwordSet ? "A program password is set. " : "",
                     CliUserInterface::DescribeFailure(status));
        return false;
    }
    const bool accepted = VerifyPassword(password);
    platform::SecureZero(password.data(), password.size());
    if (!accepted) {
        std::fprintf(stderr, passwordSet ? "The password is not correct.\n"
                                         : "No program password is set: give an empty line, or no --password-fd.\n");
    }
    return accepted;
}

RunOutcome RunHide(UserInterface& ui) {
    RunRequest request = MakeRunRequest();
    if (request.identityKeyName.empty() || IdentityCatalogue::Read().Find(request.identityKeyName) < 0) {
        std::fprintf(stderr, "Unable to locate message store for the selected identity\n");
        return RunOutcome::Failed(ResultUnspecified);
    }
    return HideIdentity(std::move(request), ui);
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else: the password and the key made from it must never reach a
    // core file or another process of the user.
    platform::DisableCoreDumps();

    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    int passwordFd = -1;
    if (argc == 4 && std::string(argv[1]) == "--password-fd") {
        if (!ParseDescriptor(argv[2], passwordFd)) return Usage();
    } else if (argc != 2) {
        return Usage();
    }
    const std::string command = argv[argc - 1];
    if (command != "hide" && command != "restore") return Usage();

    CliUserInterface ui(passwordFd);
    if (!TakeProgramPassword(ui)) return 2;

    if (command == "restore" && !IsIdentityHidden()) {
        std::fprintf(stderr, "No identity is hidden.\n");
        return 2;
    }
    const RunOutcome outcome = command == "hide" ? RunHide(ui) : RestoreIdentity(MakeRunRequest(), ui);
    if (!outcome.succeeded()) {
        std::fprintf(stderr, "%s\n", GetResultDescription(outcome.code()).c_str());
        if (!outcome.file().empty()) std::fprintf(stderr, "%s\n", outcome.file().c_str());
        return 1;
    }
    std::fprintf(stderr, "%s\n", GetDoneStatusText(IsIdentityHidden()).c_str());
    return 0;
}
