#include "password/PasswordRules.h"

#include "base/UserInterface.h"
#include "password/PasswordRecord.h"

const char kWrongPasswordText[] = "The password you entered is not valid";
const char kOldPasswordWrongText[] = "Old password is not valid";
const char kPasswordsDifferText[] = "Passwords don't match! Please try again";
const char kDisablePasswordQuestion[] = "Are you sure you want to disable the password feature?";
const char kPasswordNotSavedText[] =
    "The new password could not be saved, because the password file auth.dat cannot be written. "
    "Your old password is still in force.";

bool IsPasswordSet() { return !VerifyPassword(std::string()); }

PasswordChangeCheck CheckPasswordChange(const std::string& oldPassword, const std::string& newPassword,
                                        const std::string& confirmation) {
    if (!VerifyPassword(oldPassword)) return PasswordChangeCheck::OldPasswordRejected;
    if (newPassword != confirmation) return PasswordChangeCheck::ConfirmationDiffers;
    if (newPassword.empty()) return PasswordChangeCheck::TurnsPasswordOff;
    return PasswordChangeCheck::Ready;
}

bool SaveNewPassword(UserInterface& ui, const std::string& newPassword) {
    if (SetPassword(newPassword)) return true;
    ui.ShowMessageBox(kPasswordNotSavedText, MessageStyle::Ok | MessageStyle::IconStop);
    return false;
}
