// The program's entry: the application object does everything.
#include "ui/CShellApp.h"
#include "ui/StartupTrace.h"
#include "platform/Shell.h"

wxIMPLEMENT_APP_NO_MAIN(CShellApp);

int main(int argc, char** argv) {
    // Before anything else: the password and the keys made from it must never reach a
    // core file or another process of the user.
    platform::DisableCoreDumps();
    MarkProgramStart();
    return wxEntry(argc, argv);
}
