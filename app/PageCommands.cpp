#include "app/PageCommands.h"

#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "base/InternalFailure.h"
#include "identities/MailClient.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "base/OperationResult.h"
#include "store/StoreWorkflows.h"

namespace {

// Runs a workflow; the internal failure of the registry walk ends it like any other
// failure without a reason of its own. The workflow's operation has already been
// destroyed on the way out, which closed its files and its progress window.
template <typename Workflow>
bool RunGuarded(Workflow workflow) {
    try {
        return workflow();
    } catch (const InternalFailure&) {
        OperationResult = ResultUnspecified;
        return false;
    }
}

}  // namespace

bool IsMailClientClosed() {
    while (platform::FindTopLevelWindow(MailClient::kMainWindowClass)) {
        if (ShowMessageBox("Outlook Express is currently running. Please close Outlook Express and retry.",
                           MB_RETRYCANCEL | MB_ICONSTOP) != IDRETRY) {
            return false;
        }
    }
    return true;
}

void HideCommand(CommandHost& host) {
    const std::string guardId = GetGuardId();
    if (guardId.empty()) {
        if (ShowMessageBox("Please specify an identity to protect. Would you like to do this now?", MB_YESNO) ==
            IDYES) {
            host.RunSetup();
        }
        return;
    }
    if (!IsMailClientClosed()) return;
    const int position = FindIdentity(guardId);
    if (position < 0) {
        ShowMessageBox("Unable to locate message store for the selected identity", MB_OK | MB_ICONSTOP);
        return;
    }
    const std::string storeRoot = GetIdentity(static_cast<size_t>(position)).StoreRoot;
    if (RunGuarded([&] { return HideIdentity(storeRoot); })) {
        host.NavigateToPage("done.htm");
    } else if (OperationResult != ResultCanceled) {
        host.NavigateToPage("error.htm");
    }
}

void RestoreCommand(CommandHost& host) {
    if (!IsIdentityHidden()) return;
    if (!IsMailClientClosed()) return;
    if (RunGuarded([] { return RestoreIdentity(); })) {
        host.NavigateToPage("done.htm");
    } else {
        host.NavigateToPage("error.htm");
    }
}
