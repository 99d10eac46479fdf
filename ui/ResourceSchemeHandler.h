// Serves the program's embedded pages and images to a web view under the "res"
// scheme: res:///<program path>/<name> is the resource ("HTML", name). Addresses of
// another program path are not served, so a page can never reach outside the program.
#pragma once

#include <memory>
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
    // wxWidgets 3.2 on GTK reads the returned file at once and never frees it, so the
    // handler keeps it until the next request.
    std::unique_ptr<wxFSFile> lastFile_;
};

// Makes the "res" scheme serve the running program's resources to every web view of
// the process. Call it before a web view asks for a page; later calls do nothing.
// WebKitGTK takes one handler per scheme for the whole process and binds it to the
// view that registered it, so the registration belongs to a view object that lives as
// long as the process, never to a window that may close first.
void ServeProgramResources();
