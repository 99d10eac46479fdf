// Serves the program's embedded pages and images to a web view under the "res"
// scheme: res:///<program path>/<name> is the resource ("HTML", name). Addresses of
// another program path are not served, so a page can never reach outside the program.
#pragma once

#include <string>

#include <wx/webview.h>

class ResourceSchemeHandler : public wxWebViewHandler {
public:
    explicit ResourceSchemeHandler(std::string programPath);

    wxFSFile* GetFile(const wxString& uri) override;

    // The content type the browser is told for a resource name, by its extension.
    static wxString MimeTypeFor(const std::string& name);

private:
    std::string programPath_;
};

// Registers a ResourceSchemeHandler on view. WebKitGTK keeps one handler per scheme
// for the whole process, bound to the view that registered it last; a view that
// outlives another view that registered must register again once that one is gone.
void ServeProgramResources(wxWebView& view, const std::string& programPath);
