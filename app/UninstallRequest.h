// The program's one command-line switch, /uninstall: the uninstaller runs the program
// with it to remove the program's registry data. While an identity is hidden that
// would strand it, so the request is refused and the exit code tells the uninstaller.
#pragma once

constexpr int UninstallRefusedExitCode = 6505;

constexpr char UninstallRefusedText[] =
    "You can NOT uninstall this program while there is a hidden identity. Please restore the identity now!";

// True exactly when the only argument after the program name is "/uninstall", in any
// case of its ASCII letters. Any other command line is an ordinary start.
bool IsUninstallRequest(int argc, const char* const* argv);

// The exit code after the main window has closed: UninstallRefusedExitCode when the
// run was an uninstall request and an identity is still hidden, else runExitCode (0
// after an ordinary close, 1 when the password prompt gave up).
int GetExitCodeAfterRun(bool uninstallRequest, int runExitCode);
