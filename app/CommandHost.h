// What the hide and restore commands need of the main window: showing a page and
// running the setup dialog. The main window implements it; tests script it.
#pragma once

#include <string>

class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual void NavigateToPage(const std::string& page) = 0;
    // The setup dialog (or its refusal while an identity is hidden); result unused.
    virtual void RunSetup() = 0;
};
