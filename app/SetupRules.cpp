#include "app/SetupRules.h"

#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "password/PasswordRules.h"
#include "store/Container.h"

const char kSetupRefusedText[] =
    "You can not adjust settings while currently protected identity is hidden. Please restore "
    "hidden identity and then try again.";
const char kSelectIdentityText[] = "Please select an identity to protect.";
const char kNoPasswordWarningText[] =
    "No password currently set. We highly recommend to set a non-empty password, otherwise anyone "
    "may restore your hidden identity using this program! Would you like to set a password now?";
const char kSetupNotSavedText[] =
    "Your choice could not be saved in the registry, so it is not in force. Please try again.";

bool RefuseSetupWhileHidden(UserInterface& ui) {
    if (!IsIdentityHidden()) return false;
    ui.ShowMessageBox(kSetupRefusedText, MessageStyle::Ok);
    return true;
}

std::vector<std::string> IdentityLines(const IdentityCatalogue& catalogue) {
    std::vector<std::string> lines;
    for (size_t position = 0; position < catalogue.Count(); ++position) {
        lines.push_back(catalogue.At(position).Username);
    }
    return lines;
}

int ProtectedIdentityLine(const IdentityCatalogue& catalogue) { return catalogue.Find(GetGuardId()); }

int LevelButtonFor(int level) { return level >= SecurityLow && level <= SecurityHigh ? level : -1; }

bool ConfirmSetup(UserInterface& ui, const IdentityCatalogue& catalogue, int line, int level,
                  const std::function<void()>& offerPasswordChange) {
    if (line < 0 || static_cast<size_t>(line) >= catalogue.Count()) {
        ui.ShowMessageBox(kSelectIdentityText, MessageStyle::Ok);
        return false;
    }
    // Taken before the password dialog runs, so nothing it does can change the choice.
    const std::string keyName = catalogue.At(static_cast<size_t>(line)).KeyName;
    if (!IsPasswordSet() && ui.ShowMessageBox(kNoPasswordWarningText, MessageStyle::YesNo) == MessageAnswer::Yes) {
        offerPasswordChange();
    }
    // The hide reads the choice back from the registry: one that was not saved must not
    // close the dialog as if it had been.
    if (!SetGuardId(keyName) || !SetSecurityLevel(level)) {
        ui.ShowMessageBox(kSetupNotSavedText, MessageStyle::Ok | MessageStyle::IconStop);
        return false;
    }
    return true;
}
