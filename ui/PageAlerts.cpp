#include "ui/PageAlerts.h"

#include <wx/webview.h>

#include "base/UserInterface.h"
#include "ui/WxUserInterface.h"

namespace {

const char kChannel[] = "veilboxAlert";

}  // namespace

void ShowPageAlertsInMessageBox(wxWebView& view) {
    if (!view.AddScriptMessageHandler(kChannel)) return;
    view.AddUserScript(wxString::Format(
        "window.alert = function (text) { window.%s.postMessage(String(text)); };", kChannel));
    view.Bind(wxEVT_WEBVIEW_SCRIPT_MESSAGE_RECEIVED, [](wxWebViewEvent& event) {
        if (event.GetMessageHandler() != kChannel) return event.Skip();
        // The script has handed the text over and gone on; the box waits for the user.
        (void)WxUserInterface().ShowMessageBox(event.GetString().utf8_string(), MB_OK | MB_ICONEXCLAMATION);
    });
}
