// The core's way to the user, made of the program's own dialogs.
#pragma once

#include "base/UserInterface.h"

class WxUserInterface final : public UserInterface {
public:
    int ShowMessageBox(const std::string& text, unsigned style) override;
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    bool RequestPassword(const std::string& prompt, std::string& password) override;
};
