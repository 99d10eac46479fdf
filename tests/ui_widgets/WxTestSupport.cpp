#include "WxTestSupport.h"

#include <chrono>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/toplevel.h>

#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/CMessageBoxDlg.h"

namespace {

// GTK starts once per process, so the application lives for the whole program; an
// active event loop lets the code under test pump.
class WxEnvironment : public ::testing::Environment {
    void SetUp() override {
        static char name[] = "veilbox-ui-test";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display (run under xvfb-run)";
        activator_ = new wxEventLoopActivator(new wxGUIEventLoop);
    }
    void TearDown() override {
        delete activator_;
        wxEntryCleanup();
    }
    wxEventLoopActivator* activator_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

ModalScript::ModalScript(std::function<void(wxDialog&)> action) : action_(std::move(action)) {
    watchdog_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (!open_.empty() && open_.back()->IsModal()) open_.back()->EndModal(-1);
    });
    Register();
}

int ModalScript::Enter(wxDialog* dialog) {
    open_.push_back(dialog);
    watchdog_.StartOnce(5000);
    auto* box = dynamic_cast<CMessageBoxDlg*>(dialog);
    if (box && !answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        boxes.push_back(box->Text().utf8_string());
        const bool first = answer == IDOK || answer == IDYES || answer == IDRETRY;
        box->CallAfter([box, first] { ClickMiddle(first ? box->FirstButton() : box->SecondButton()); });
        return wxID_NONE;
    }
    ++runs_;
    dialog->CallAfter([this, dialog] { action_(*dialog); });
    return wxID_NONE;
}

void ModalScript::Exit(wxDialog*) {
    open_.pop_back();
    open_.empty() ? watchdog_.Stop() : void(watchdog_.StartOnce(5000));
}

void PumpFor(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (wxEventLoopBase::GetActive() && std::chrono::steady_clock::now() < end) {
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(5);
    }
}

void ShowAndActivate(wxWindow& window) {
    auto* top = static_cast<wxTopLevelWindow*>(wxGetTopLevelParent(&window));
    top->Show();
    top->Raise();
    top->SetFocus();
    for (int i = 0; i < 100 && !top->IsActive(); ++i) PumpFor(10);
}

void SendMouse(wxWindow& window, wxEventType type, const wxPoint& at, bool leftDown) {
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.m_leftDown = leftDown;
    event.SetEventObject(&window);
    event.SetId(window.GetId());
    window.GetEventHandler()->ProcessEvent(event);
}

void SendKey(wxWindow& window, wxEventType type, int keyCode) {
    wxKeyEvent event(type);
    event.m_keyCode = keyCode;
    event.SetEventObject(&window);
    event.SetId(window.GetId());
    window.GetEventHandler()->ProcessEvent(event);
}

void ClickMiddle(wxWindow& window) {
    const wxPoint middle(window.GetClientSize().x / 2, window.GetClientSize().y / 2);
    SendMouse(window, wxEVT_LEFT_DOWN, middle, true);
    SendMouse(window, wxEVT_LEFT_UP, middle, false);
}
