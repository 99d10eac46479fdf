// Windows inside tests: one wx application for the whole test program, a script for
// the modal dialogs that open, and input sent straight to a window.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include "base/UserInterface.h"
#include "password/PasswordRules.h"
#include "ui/CHoverButton.h"
#include "ui/CMessageBoxDlg.h"

// GTK starts once per process, so the application lives for the whole program; an
// active event loop lets the code under test pump.
class WxEnvironment : public ::testing::Environment {
    void SetUp() override {
        static char name[] = "veilbox-ui-test", *argv[] = {name, nullptr};
        int argc = 1;
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display (run under xvfb-run)";
        loop_ = new wxGUIEventLoop;
        activator_ = new wxEventLoopActivator(loop_);  // which does not own the loop
    }
    void TearDown() override {
        delete activator_;
        delete loop_;
        wxEntryCleanup();
    }
    wxGUIEventLoop* loop_ = nullptr;
    wxEventLoopActivator* activator_ = nullptr;
};
inline ::testing::Environment* const kWxEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

inline void PumpFor(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (wxEventLoopBase::GetActive() && std::chrono::steady_clock::now() < end) {
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(5);
    }
}

// Shows the window's top-level window and waits until the display made it active.
inline void ShowAndActivate(wxWindow& window) {
    auto* top = static_cast<wxTopLevelWindow*>(wxGetTopLevelParent(&window));
    top->Show();
    top->Raise();
    top->SetFocus();
    for (int i = 0; i < 100 && !top->IsActive(); ++i) PumpFor(10);
}

// Input as the toolkit delivers it to the window.
inline void SendMouse(wxWindow& window, wxEventType type, const wxPoint& at, bool leftDown) {
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.m_leftDown = leftDown;
    window.GetEventHandler()->ProcessEvent(event);
}
inline void SendKey(wxWindow& window, wxEventType type, int keyCode) {
    wxKeyEvent event(type);
    event.m_keyCode = keyCode;
    window.GetEventHandler()->ProcessEvent(event);
}
inline void ClickMiddle(wxWindow& window) {
    const wxPoint middle(window.GetClientSize().x / 2, window.GetClientSize().y / 2);
    SendMouse(window, wxEVT_LEFT_DOWN, middle, true);
    SendMouse(window, wxEVT_LEFT_UP, middle, false);
}

// Presses the button and says whether the press took the wrong password's delay.
inline bool PressTookTheDelay(CHoverButton& button) {
    const auto start = std::chrono::steady_clock::now();
    ClickMiddle(button);
    return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(WrongPasswordDelayMs);
}

// Runs action on each modal dialog from inside its own modal loop. The program's
// message boxes, while answers are queued, are answered instead by a click on the
// button giving the answer (first: OK, Yes, Retry; second: Cancel, No) and their texts
// recorded. A dialog still open after five seconds is ended with -1, so a fault shows
// up as a wrong result rather than a hung test.
class ModalScript : public wxModalDialogHook {
public:
    explicit ModalScript(std::function<void(wxDialog&)> action = [](wxDialog&) {}) : action_(std::move(action)) {
        watchdog_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            if (!open_.empty() && open_.back()->IsModal()) open_.back()->EndModal(-1);
        });
        Register();
    }
    ~ModalScript() override { Unregister(); }
    int Runs() const { return runs_; }  // dialogs given to action
    void Answer(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
    std::vector<std::string> boxes;

protected:
    int Enter(wxDialog* dialog) override {
        open_.push_back(dialog);
        watchdog_.StartOnce(5000);
        auto* box = dynamic_cast<CMessageBoxDlg*>(dialog);
        if (box && !answers_.empty()) {
            const bool first = answers_.front() == MessageAnswer::Ok || answers_.front() == MessageAnswer::Yes ||
                               answers_.front() == MessageAnswer::Retry;
            answers_.pop_front();
            boxes.push_back(box->Text().utf8_string());
            box->CallAfter([box, first] { ClickMiddle(first ? box->FirstButton() : box->SecondButton()); });
        } else {
            ++runs_;
            dialog->CallAfter([this, dialog] { action_(*dialog); });
        }
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {
        open_.pop_back();
        open_.empty() ? watchdog_.Stop() : void(watchdog_.StartOnce(5000));
    }

private:
    std::function<void(wxDialog&)> action_;
    std::deque<int> answers_;
    wxTimer watchdog_;
    std::vector<wxDialog*> open_;
    int runs_ = 0;
};
