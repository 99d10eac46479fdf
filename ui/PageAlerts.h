// Script alerts of the program's pages (the right button's "Use left button to
// navigate") shown in the program's own message box, whose caption is the program's
// name; the web engine's own box would show the page's internal address instead.
#pragma once

class wxWebView;

// For the view's pages from now on; without the engine's message channel the
// engine's own box stays.
void ShowPageAlertsInMessageBox(wxWebView& view);
