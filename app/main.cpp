// The program's entry: the application object does everything.
#include "app/CShellApp.h"
#include "app/StartupTrace.h"

wxIMPLEMENT_APP_NO_MAIN(CShellApp);

int main(int argc, char** argv) {
    MarkProgramStart();
    return wxEntry(argc, argv);
}
