#include "ui/WxUserInterface.h"

#include "ui/CMessageBoxDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/CProgressDlg.h"

namespace {

// The core's texts are UTF-8; anything else is taken in the current locale so that
// no message ever shows up empty.
wxString ToWx(const std::string& text) {
    wxString converted = wxString::FromUTF8(text);
    return converted.empty() && !text.empty() ? wxString(text) : converted;
}

}  // namespace

int WxUserInterface::ShowMessageBox(const std::string& text, unsigned style) {
    CMessageBoxDlg dialog(ToWx(text), style);
    return dialog.ShowModal();
}

std::unique_ptr<ProgressWindow> WxUserInterface::CreateProgressWindow() {
    return std::make_unique<CProgressDlg>();
}

bool WxUserInterface::RequestPassword(const std::string& prompt, std::string& password) {
    CRecoveryPasswordDlg dialog(ToWx(prompt));
    return dialog.Run(password);
}
