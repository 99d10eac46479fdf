#include "ui/ResourceSchemeHandler.h"

#include <cctype>
#include <utility>

#include <wx/filesys.h>
#include <wx/mstream.h>

#include "base/FileLocations.h"
#include "app/PageAddress.h"
#include "platform/Shell.h"

ResourceSchemeHandler::ResourceSchemeHandler(std::string programPath)
    : wxWebViewHandler("res"), programPath_(std::move(programPath)) {}

wxFSFile* ResourceSchemeHandler::GetFile(const wxString& uri) {
    const std::string name = GetResourceNameFromAddress(uri.utf8_string(), programPath_);
    if (name.empty()) return nullptr;
    const platform::Resource resource = platform::FindEmbeddedResource("HTML", name);
    if (!resource) return nullptr;
    // The embedded bytes live as long as the program; the stream only reads them.
    lastFile_ = std::make_unique<wxFSFile>(new wxMemoryInputStream(resource.data, resource.size), uri,
                                           MimeTypeFor(name), wxString(), wxDateTime::Now());
    return lastFile_.get();
}

wxString ResourceSchemeHandler::MimeTypeFor(const std::string& name) {
    std::string extension = name.substr(name.find_last_of('.') == std::string::npos ? name.size()
                                                                                       : name.find_last_of('.') + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "htm" || extension == "html") return "text/html";
    if (extension == "jpg" || extension == "jpeg") return "image/jpeg";
    if (extension == "png") return "image/png";
    if (extension == "gif") return "image/gif";
    if (extension == "css") return "text/css";
    if (extension == "js") return "text/javascript";
    return "application/octet-stream";
}

void ServeProgramResources() {
    // The keeper is a web view object that is never created as a window: it only holds
    // the handler the scheme's requests are looked up in. It stays reachable for the
    // whole run and is never destroyed, so no request can ever reach a dead view.
    static wxWebView* const keeper = [] {
        wxWebView* view = wxWebView::New();
        view->RegisterHandler(wxSharedPtr<wxWebViewHandler>(new ResourceSchemeHandler(GetModulePath())));
        return view;
    }();
    (void)keeper;
}
