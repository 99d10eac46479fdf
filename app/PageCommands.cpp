#include "app/PageCommands.h"

#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/MailClient.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "base/OperationResult.h"
#include "password/PasswordRecord.h"
#include "store/StoreWorkflows.h"

namespace {

// Leaves the result code of a run for the result page.
RunOutcome Recorded(RunOutcome outcome) {
    OperationResult = outcome.code();
    return outcome;
}

}  // namespace

RunRequest MakeRunRequest() {
    RunRequest request;
    request.identityKeyName = GetGuardId();
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    const int position = catalogue.Find(request.identityKeyName);
    if (position >= 0) {
        request.storeRoot = catalogue.At(static_cast<size_t>(position)).StoreRoot;
        request.displayName = catalogue.At(static_cast<size_t>(position)).Username;
    }
    request.securityLevel = GetSecurityLevel();
    request.containerPath = ContainerPathFor(request.identityKeyName);
    request.password = GetCurrentPassword();
    return request;
}

bool IsMailClientClosed(UserInterface& ui) {
    while (platform::FindTopLevelWindow(MailClient::kMainWindowClass)) {
        if (ui.ShowMessageBox("Outlook Express is currently running. Please close Outlook Express and retry.",
                              MessageStyle::RetryCancel | MessageStyle::IconStop) != MessageAnswer::Retry) {
            return false;
        }
    }
    return true;
}

void HideCommand(CommandHost& host) {
    RunRequest request = MakeRunRequest();
    if (request.identityKeyName.empty()) {
        if (host.User().ShowMessageBox("Please specify an identity to protect. Would you like to do this now?",
                                       MessageStyle::YesNo) == MessageAnswer::Yes) {
            host.RunSetup();
        }
        return;
    }
    if (!IsMailClientClosed(host.User())) return;
    // A hidden identity is no longer listed; its hide goes on to be refused as hidden.
    // A listed identity always has a store folder, so an empty one means not listed.
    if (request.storeRoot.empty() && !platform::FileExists(request.containerPath)) {
        host.User().ShowMessageBox("Unable to locate message store for the selected identity",
                                   MessageStyle::Ok | MessageStyle::IconStop);
        return;
    }
    const RunOutcome outcome = Recorded(HideIdentity(std::move(request), host.User()));
    if (outcome.succeeded()) {
        host.NavigateToPage("done.htm");
    } else if (outcome.code() != ResultCanceled) {
        host.NavigateToPage("error.htm");
    }
}

void RestoreCommand(CommandHost& host) {
    if (!IsIdentityHidden()) return;
    if (!IsMailClientClosed(host.User())) return;
    const RunOutcome outcome = Recorded(RestoreIdentity(MakeRunRequest(), host.User()));
    host.NavigateToPage(outcome.succeeded() ? "done.htm" : "error.htm");
}
