// Windows inside tests: one wx application for the whole test program, a script that
// acts on the next modal dialog once it is up, and input sent straight to a window.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

// Runs action on each modal dialog from inside its own modal loop while it lives; the
// program's message boxes, while answers are queued, are answered instead by a click on
// the button that gives the answer (first: OK, Yes, Retry; second: Cancel, No) and their
// texts recorded. A dialog still open after five seconds is ended with -1, so a fault
// shows up as a wrong result rather than a hung test.
class ModalScript : public wxModalDialogHook {
public:
    explicit ModalScript(std::function<void(wxDialog&)> action = [](wxDialog&) {});
    ~ModalScript() override { Unregister(); }
    // Dialogs given to action.
    int Runs() const { return runs_; }
    void Answer(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
    std::vector<std::string> boxes;

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

private:
    std::function<void(wxDialog&)> action_;
    std::deque<int> answers_;
    wxTimer watchdog_;
    std::vector<wxDialog*> open_;
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
