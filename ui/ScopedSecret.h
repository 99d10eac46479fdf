// The text of a password field for as long as a handler needs it. It is read as UTF-8
// (the core's texts), the toolkit's temporary copies are overwritten on the way, and
// the bytes are overwritten again when the object goes, on every way out of the
// handler.
#pragma once

#include <string>

class wxString;
class wxTextCtrl;

class ScopedSecret {
public:
    explicit ScopedSecret(const wxTextCtrl& field);
    ~ScopedSecret();
    ScopedSecret(const ScopedSecret&) = delete;
    ScopedSecret& operator=(const ScopedSecret&) = delete;

    const std::string& Text() const { return text_; }

    // Overwrites a toolkit string's characters before emptying it.
    static void Wipe(wxString& text);

private:
    std::string text_;
};
