#include "ui/ScopedSecret.h"

#include <wx/textctrl.h>

#include "platform/Shell.h"

ScopedSecret::ScopedSecret(const wxTextCtrl& field) {
    wxString value = field.GetValue();
    wxScopedCharBuffer utf8 = value.utf8_str();
    text_.assign(utf8.data(), utf8.length());
    platform::SecureZero(utf8.data(), utf8.length());
    Wipe(value);
}

ScopedSecret::~ScopedSecret() {
    if (!text_.empty()) platform::SecureZero(&text_[0], text_.size());
}

void ScopedSecret::Wipe(wxString& text) {
    for (wxString::iterator it = text.begin(); it != text.end(); ++it) *it = wxUniChar(0);
    text.clear();
}
