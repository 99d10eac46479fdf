// Until the setup dialog is part of the program, the setup command tells the user
// that it cannot be opened rather than doing nothing.
#include "app/SetupDialogPending.h"

#include "app/UserInterface.h"

void RunSetup() { ShowMessageBox("The setup dialog is not available in this build.", MB_OK | MB_ICONINFORMATION); }
