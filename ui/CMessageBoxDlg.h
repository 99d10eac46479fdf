// The program's own message box: the message, one of four icons, and one of four
// button sets, in the program's colours. It grows with a long message, up to most of
// the screen, and the message scrolls beyond that. Its results are those of the system's
// message box (MessageAnswer::Ok, Cancel, Retry, Yes and No).
#pragma once

#include <wx/string.h>

#include "ui/CBaseDlg.h"

class CHoverButton;
class wxStaticBitmap;
class wxStaticText;

class CMessageBoxDlg : public CBaseDlg {
public:
    enum ControlId { FirstButtonId = 1006, SecondButtonId = 1007, MessageId = 1008, IconId = 1009 };

    // style: the message box style bits; only the button set (MessageStyle::TypeMask) and the
    // icon (MessageStyle::IconMask) are used. The caption is the main window's.
    CMessageBoxDlg(const wxString& text, unsigned style);

    CHoverButton& FirstButton() { return *first_; }
    CHoverButton& SecondButton() { return *second_; }
    const wxString& Text() const { return text_; }

protected:
    // Yes and No must be answered; every other set treats Escape as Cancel.
    void OnEscapeOrClose() override;

private:
    void OnFirstButton(wxCommandEvent& event);
    void OnSecondButton(wxCommandEvent& event);
    unsigned ButtonSet() const;
    // The message in an area as large as the text needs, from the layout's size up to
    // most of the screen; returns the area's size.
    wxSize CreateMessageArea();

    unsigned style_;
    wxStaticBitmap* icon_ = nullptr;
    CHoverButton* first_ = nullptr;
    wxString text_;
    wxStaticText* message_ = nullptr;
    CHoverButton* second_ = nullptr;
};
