#include "ui/CProgressDlg.h"

#include <algorithm>
#include <cstdint>

#include <wx/evtloop.h>
#include <wx/stattext.h>

#include "ui/CHoverButton.h"
#include "ui/CProgressBar.h"
#include "ui/DialogLook.h"

namespace {

constexpr int DlgWidth = 215, DlgHeight = 79;

// Lets the user interface handle everything that is waiting (painting, the Cancel
// button, the pointer) without waiting for more. Without a running loop there is
// nothing to dispatch to.
void PumpMessages() {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
}

}  // namespace

CProgressDlg::CProgressDlg() : CBaseDlg(nullptr, "Working hard...", DlgWidth, DlgHeight) {
    owner_ = GetParentForModelessDialog(nullptr, 0);
    if (owner_ && owner_.get() != this && owner_->IsEnabled()) {
        owner_->Disable();
        disabledOwner_ = true;
    }

    status_ = new wxStaticText(this, StatusId, wxString(), DuPoint(7, 7), DuSize(201, 8),
                               wxST_NO_AUTORESIZE);
    percent_ = new wxStaticText(this, PercentId, " 0 %", DuPoint(98, 23), DuSize(18, 8),
                                wxST_NO_AUTORESIZE);
    bar_ = new CProgressBar(this, BarId, high_ - low_, DuPoint(7, 34), DuSize(201, 13));
    cancel_ = new CHoverButton(this, CancelId, "Cancel", DuPoint(82, 58), DuSize(50, 14));
    cancel_->SetDefault();

    DialogCtlColor(*this);
    ApplyButtonStyle(*cancel_, 0);
    Bind(wxEVT_BUTTON, &CProgressDlg::OnCancelButton, this, CancelId);

    pos_ = low_;
    bar_->SetValue(0);
    CentreOverOwner();
    Show();
}

CProgressDlg::~CProgressDlg() { ReleaseOwner(); }

void CProgressDlg::ReleaseOwner() {
    if (disabledOwner_ && owner_) owner_->Enable();
    disabledOwner_ = false;
}

void CProgressDlg::SetStatusText(const std::string& text) { status_->SetLabel(wxString(text)); }

void CProgressDlg::SetRange(int low, int high) {
    // The bar's range has 16-bit ends.
    low_ = static_cast<int16_t>(low);
    high_ = static_cast<int16_t>(high);
    bar_->SetRange(std::max(high_ - low_, 1));
}

int CProgressDlg::SetPos(int position) {
    PumpMessages();
    const int previous = pos_;
    pos_ = position;
    bar_->SetValue(std::clamp(position - low_, 0, bar_->GetRange()));
    const wxString text = FormatPercent();
    // Rewriting an unchanged label only makes it flicker.
    if (percent_->GetLabel() != text) percent_->SetLabel(text);
    return previous;
}

wxString CProgressDlg::PercentText() const { return percent_->GetLabel(); }

wxString CProgressDlg::FormatPercent() const {
    int percent;
    if (high_ == low_) {
        // An empty range has no fraction to show; it is done or it is not.
        percent = pos_ >= high_ ? 100 : 0;
    } else {
        percent = static_cast<int>(int64_t{pos_ - low_} * 100 / (high_ - low_));
    }
    return wxString::Format("%d%%", percent == 100 ? 100 : percent % 100);
}

bool CProgressDlg::TakeCancelRequest() {
    PumpMessages();
    const bool requested = cancelRequested_;
    cancelRequested_ = false;
    return requested;
}

void CProgressDlg::HideCancelButton() { cancel_->Hide(); }

void CProgressDlg::OnEscapeOrClose() { cancelRequested_ = true; }

void CProgressDlg::OnCancelButton(wxCommandEvent&) { cancelRequested_ = true; }
