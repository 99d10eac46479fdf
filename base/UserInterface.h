// The core's one way to reach the user, handed to whatever needs to ask or tell: the
// program's windows, the command-line tool's terminal, or scripted answers in tests.
// The core never includes the toolkit.
#pragma once

#include <memory>
#include <string>

#include "base/ProgressWindow.h"

// Message box style bits and results, with the values the system's message box gives
// them (stored answers and the tests' scripts rely on the numbers). Scoped, because
// <windows.h> defines the system's own names as macros.
namespace MessageStyle {
constexpr unsigned Ok = 0x0;
constexpr unsigned OkCancel = 0x1;
constexpr unsigned YesNo = 0x4;
constexpr unsigned RetryCancel = 0x5;
constexpr unsigned IconStop = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconExclamation = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr unsigned TypeMask = 0x7;
constexpr unsigned IconMask = 0x70;
}  // namespace MessageStyle
namespace MessageAnswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Retry = 4;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace MessageAnswer

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // The program's one message box; returns one of MessageAnswer.
    virtual int ShowMessageBox(const std::string& text, unsigned style) = 0;
    // A modeless progress window that disables the main window while it lives;
    // null when it cannot be made (the work then goes on without one).
    virtual std::unique_ptr<ProgressWindow> CreateProgressWindow() = 0;
    // Asks for a password with the given explanation; false when the user declines.
    virtual bool RequestPassword(const std::string& prompt, std::string& password) = 0;
};
