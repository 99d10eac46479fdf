// The user of a run without windows: confirms the hide or restore question, never
// cancels, gives no password, and reports every message on standard error.
#pragma once

#include "app/UserInterface.h"

class CliUserInterface : public UserInterface {
public:
    int ShowMessageBox(const std::string& text, unsigned style) override;
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    bool RequestPassword(const std::string& prompt, std::string& password) override;
};
