// veilbox-icons ICON FOLDER: writes every image of the embedded icon number ICON as
// FOLDER/<size>x<size>/apps/veilbox.png, the layout of the hicolor icon theme. Exits 1
// when the icon is missing or a file could not be written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "platform/Shell.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: veilbox-icons ICON FOLDER\n");
        return 2;
    }
    wxInitializer initializer;
    wxLogNull quiet;
    wxImage::AddHandler(new wxICOHandler);
    wxImage::AddHandler(new wxPNGHandler);
    const platform::Resource icon =
        platform::FindEmbeddedResource("ICON", static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
    if (!icon) return 1;
    wxMemoryInputStream counted(icon.data, icon.size);
    const int count = wxImage::GetImageCount(counted, wxBITMAP_TYPE_ICO);
    for (int index = 0; index < count; ++index) {
        wxMemoryInputStream stream(icon.data, icon.size);
        wxImage image;
        if (!image.LoadFile(stream, wxBITMAP_TYPE_ICO, index)) return 1;
        const wxString folder = wxString::Format("%s/%dx%d/apps", argv[2], image.GetWidth(), image.GetHeight());
        if (!wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) return 1;
        if (!image.SaveFile(folder + "/veilbox.png", wxBITMAP_TYPE_PNG)) return 1;
    }
    return count > 0 ? 0 : 1;
}
