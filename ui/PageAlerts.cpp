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
        "window.alert = function (text) { window.webkit.messageHandlers.%s.postMessage(String(text)); };", kChannel));
    view.Bind(wxEVT_WEBVIEW_SCRIPT_MESSAGE_RECEIVED, [](wxWebViewEvent& event) {
        // The view has no other channel (this toolkit leaves its name out of the event).
        // The script has handed the text over and gone on; the box waits for the user.
        (void)WxUserInterface().ShowMessageBox(event.GetString().utf8_string(), MessageStyle::Ok | MessageStyle::IconExclamation);
    });
}
