// Windows inside tests: one wx application for the whole test program, a script that
// acts on the next modal dialog once it is up, and input sent straight to a window.
#pragma once

#include <functional>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

// Runs action on each modal dialog from inside its own modal loop while it lives. A
// dialog still open after five seconds is ended with -1, so a fault shows up as a wrong
// result rather than a hung test.
class ModalScript : public wxModalDialogHook {
public:
    explicit ModalScript(std::function<void(wxDialog&)> action);
    ~ModalScript() override { Unregister(); }
    int Runs() const { return runs_; }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override { watchdog_.Stop(); }

private:
    std::function<void(wxDialog&)> action_;
    wxTimer watchdog_;
    wxDialog* current_ = nullptr;
    int runs_ = 0;
};

// Handles waiting events for the given time.
void PumpFor(int milliseconds);
// Shows the window's top-level window and waits until the display made it active.
void ShowAndActivate(wxWindow& window);
void SendMouse(wxWindow& window, wxEventType type, const wxPoint& at, bool leftDown);
void SendKey(wxWindow& window, wxEventType type, int keyCode);
// Button down and up in the middle of the window.
void ClickMiddle(wxWindow& window);
