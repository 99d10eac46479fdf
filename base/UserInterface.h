// The core's one way to reach the user, handed to whatever needs to ask or tell: the
// program's windows, the command-line tool's terminal, or scripted answers in tests.
// The core never includes the toolkit.
#pragma once

#include <memory>
#include <string>

#include "base/ProgressWindow.h"

// Message box style bits and results, as the system's message box has them.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_TYPEMASK = 0x7;
constexpr unsigned MB_ICONMASK = 0x70;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // The program's one message box; returns IDOK, IDCANCEL, IDRETRY, IDYES or IDNO.
    virtual int ShowMessageBox(const std::string& text, unsigned style) = 0;
    // A modeless progress window that disables the main window while it lives;
    // null when it cannot be made (the work then goes on without one).
    virtual std::unique_ptr<ProgressWindow> CreateProgressWindow() = 0;
    // Asks for a password with the given explanation; false when the user declines.
    virtual bool RequestPassword(const std::string& prompt, std::string& password) = 0;
};
