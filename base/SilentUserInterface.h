// A user who is never there: message boxes answer MessageAnswer::Cancel (or MessageAnswer::No for questions),
// no progress window is made and no password is given. For work that must not ask.
#pragma once

#include "base/UserInterface.h"

class SilentUserInterface final : public UserInterface {
public:
    int ShowMessageBox(const std::string&, unsigned style) override {
        return (style & MessageStyle::TypeMask) == MessageStyle::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    }
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override { return nullptr; }
    bool RequestPassword(const std::string&, std::string&) override { return false; }
};
