// The modeless window that long work shows: a status line, a bar with a percentage,
// and a Cancel button that only raises a request the work picks up between chunks.
// While it exists the window it belongs to is disabled, so no second command can
// start; every SetPos and TakeCancelRequest lets the user interface run.
#pragma once

// wx/weakref.h uses std::is_base_of without including its header.
#include <type_traits>

#include <wx/weakref.h>

#include "base/ProgressWindow.h"
#include "ui/CBaseDlg.h"

class CHoverButton;
class CProgressBar;
class wxStaticText;

class CProgressDlg : public CBaseDlg, public ProgressWindow {
public:
    enum ControlId { CancelId = 2, BarId = 1003, PercentId = 1004, StatusId = 1005 };

    // Opens the window over the active window of the program (or its main window),
    // disabling that owner while the dialog lives.
    CProgressDlg();
    // Enables the owner again if this dialog was the one that disabled it.
    ~CProgressDlg() override;

    void SetStatusText(const std::string& text) override;
    void SetRange(int low, int high) override;
    int SetPos(int position) override;
    bool TakeCancelRequest() override;
    void HideCancelButton() override;

    wxWindow* Owner() const { return owner_.get(); }
    // What the percentage label shows now.
    wxString PercentText() const;
    CHoverButton& CancelButton() { return *cancel_; }

protected:
    // Escape and the close box ask to cancel, like the Cancel button; the window stays.
    void OnEscapeOrClose() override;
    // Enter must not touch a run in progress.
    void OnEnterKey() override {}

private:
    void OnCancelButton(wxCommandEvent& event);
    void ReleaseOwner();
    wxString FormatPercent() const;

    CProgressBar* bar_ = nullptr;
    CHoverButton* cancel_ = nullptr;
    wxStaticText* status_ = nullptr;
    wxStaticText* percent_ = nullptr;
    int low_ = 0;
    int high_ = 100;
    int pos_ = 0;
    bool cancelRequested_ = false;
    wxWeakRef<wxWindow> owner_;
    bool disabledOwner_ = false;
};
