// Running wx dialogs inside tests: one wx application for the whole test program, a
// script that acts on the next modal dialog once it is up, and synthetic input.
#pragma once

#include <functional>

#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

// Runs action on the next modal dialog from inside its own modal loop. A dialog
// still open after a few seconds is ended with -1, so a fault shows up as a wrong
// result rather than a hung test.
class ModalScript : public wxModalDialogHook {
public:
    explicit ModalScript(std::function<void(wxDialog&)> action);
    ~ModalScript() override;
    int Runs() const { return runs_; }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

private:
    std::function<void(wxDialog&)> action_;
    wxTimer watchdog_;
    wxDialog* current_ = nullptr;
    int runs_ = 0;
};

// Handles the events that are waiting, for at most the given time.
void PumpFor(int milliseconds);
// Makes the window's top-level window shown and active as far as the display allows.
void ShowAndActivate(wxWindow& window);

// Synthetic input delivered straight to a window's handlers.
void SendMouse(wxWindow& window, wxEventType type, const wxPoint& at, bool leftDown);
void SendKey(wxWindow& window, wxEventType type, int keyCode);
// A mouse click in the middle of the window: button down, then up.
void ClickMiddle(wxWindow& window);
