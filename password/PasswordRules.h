// What the password dialogs decide, kept apart from the windows that ask: whether a
// password is set at all, the checks of a password change in the order the user
// hears of them, and saving the new password.
#pragma once

#include <string>

#include "base/UserInterface.h"

// A wrong password costs this long before the user may try again, which slows down
// guessing at the keyboard.
constexpr int WrongPasswordDelayMs = 600;

extern const char kWrongPasswordText[];
extern const char kOldPasswordWrongText[];
extern const char kPasswordsDifferText[];
extern const char kDisablePasswordQuestion[];
extern const char kPasswordNotSavedText[];

// No password is set exactly when the record in force accepts the empty password.
bool IsPasswordSet();

// The checks of a password change, in order: the old password first (nothing else is
// looked at while it is wrong), then the confirmation, then whether the change turns
// the password off, which the user has to confirm.
enum class PasswordChangeCheck {
    OldPasswordRejected,
    ConfirmationDiffers,
    TurnsPasswordOff,
    Ready,
};
// Verifying the old password makes it the CurrentPassword when it is accepted.
PasswordChangeCheck CheckPasswordChange(const std::string& oldPassword, const std::string& newPassword,
                                        const std::string& confirmation);

// Makes newPassword the program password. When auth.dat cannot be written the user is
// told and nothing changes: the old password stays in force in this run and the next,
// so nothing is ever sealed with a password that the next run would not know.
[[nodiscard]] bool SaveNewPassword(UserInterface& ui, const std::string& newPassword);
