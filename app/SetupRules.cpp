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

bool RefuseSetupWhileHidden(UserInterface& ui) {
    if (!IsIdentityHidden()) return false;
    ui.ShowMessageBox(kSetupRefusedText, MB_OK);
    return true;
}

std::vector<std::string> LoadIdentityLines() {
    LoadIdentities();
    std::vector<std::string> lines;
    for (size_t position = 0; position < GetIdentityCount(); ++position) {
        lines.push_back(GetIdentity(position).Username);
    }
    return lines;
}

int ProtectedIdentityLine() { return FindIdentity(GetGuardId()); }

int LevelButtonFor(int level) { return level >= SecurityLow && level <= SecurityHigh ? level : -1; }

bool ConfirmSetup(UserInterface& ui, int line, int level, const std::function<void()>& offerPasswordChange) {
    if (line < 0 || static_cast<size_t>(line) >= GetIdentityCount()) {
        ui.ShowMessageBox(kSelectIdentityText, MB_OK);
        return false;
    }
    // Taken before the password dialog runs, so nothing it does can change the choice.
    const std::string keyName = GetIdentity(static_cast<size_t>(line)).KeyName;
    if (!IsPasswordSet() && ui.ShowMessageBox(kNoPasswordWarningText, MB_YESNO) == IDYES) {
        offerPasswordChange();
    }
    // Settings writes are not reported; the choice holds for this run either way.
    SetGuardId(keyName);
    SetSecurityLevel(level);
    return true;
}
