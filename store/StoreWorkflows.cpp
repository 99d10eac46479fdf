#include "store/StoreWorkflows.h"

#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "base/OperationResult.h"

std::string BuildHideQuestion(const std::string& displayName, int securityLevel) {
    const char* level = securityLevel == SecurityLow ? "LOW" : securityLevel == SecurityMedium ? "MEDIUM" : "HIGH";
    std::string text = "You are about to hide an identity: \"" + displayName + "\"\r\nSecurity mode is " + level +
                       ". Following action(s) will be performed:\r\n- Identity will be hidden for Outlook Express\r\n";
    text += securityLevel != SecurityLow ? "- message store will be encrypted and hidden\r\n"
                                         : "- message store will be left UNENCRYPTED\r\n";
    if (securityLevel == SecurityHigh) text += "- original unencrypted message store files will be SHREDDED";
    text += "\r\n\r\nAre you sure you want to continue?";
    return text;
}

bool HideIdentity(const std::string& storeRoot) {
    OperationResult = ResultUnspecified;
    const std::string question =
        BuildHideQuestion(GetIdentityUsername(GetGuardId()), static_cast<int>(GetSecurityLevel()));
    if (ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        OperationResult = ResultCanceled;
        return false;
    }
    if (IsIdentityHidden()) {
        OperationResult = ResultAlreadyHidden;
        return false;
    }
    CStoreOperation operation;
    return operation.RunHide(storeRoot);
}

bool RestoreIdentity() {
    OperationResult = ResultUnspecified;
    if (ShowMessageBox("You are about to restore your hidden identity.\r\n\r\nProceed with restoration?",
                       MB_YESNO | MB_ICONQUESTION) != IDYES) {
        OperationResult = ResultCanceled;
        return false;
    }
    CStoreOperation operation;
    return operation.RunRestore();
}

void CleanLeftovers() {
    CStoreOperation operation;
    operation.CleanLeftovers();
}
