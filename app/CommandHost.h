// What the hide and restore commands need of the main window: its way to the user,
// showing a page and running the setup dialog. The main window implements it; tests script it.
#pragma once

#include <string>

#include "base/UserInterface.h"

class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual UserInterface& User() = 0;
    virtual void NavigateToPage(const std::string& page) = 0;
    // The setup dialog (or its refusal while an identity is hidden); result unused.
    virtual void RunSetup() = 0;
};
