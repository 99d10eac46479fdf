#include "ui/ResourceImages.h"


#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "platform/Shell.h"

namespace {

// Resource types as the embedding names them.
const char* const IconType = "ICON";
const char* const CursorType = "CURSOR";

// Icon and cursor files are decoded by wx's own readers; registering them once
// keeps the rest of the program free of image-handler set-up.
void EnsureHandlers() {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_ICO)) wxImage::AddHandler(new wxICOHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_CUR)) wxImage::AddHandler(new wxCURHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
}

// Reads image number index of an icon or cursor file held in memory; an invalid
// image when the data is missing or cannot be decoded.
wxImage ReadImage(const platform::Resource& res, wxBitmapType type, int index) {
    if (!res) return wxImage();
    EnsureHandlers();
    wxMemoryInputStream stream(res.data, res.size);
    wxImage image;
    // A damaged resource must not bring up wx's error box, only leave the picture out.
    wxLogNull quiet;
    if (!image.LoadFile(stream, type, index)) return wxImage();
    return image;
}

int ImageCount(const platform::Resource& res, wxBitmapType type) {
    if (!res) return 0;
    EnsureHandlers();
    wxMemoryInputStream stream(res.data, res.size);
    wxLogNull quiet;
    return wxImage::GetImageCount(stream, type);
}

}  // namespace

wxBitmap LoadIconResource(unsigned id) {
    wxImage image = ReadImage(platform::FindEmbeddedResource(IconType, id), wxBITMAP_TYPE_ICO, 0);
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

std::vector<wxBitmap> LoadIconImages(unsigned id) {
    const platform::Resource res = platform::FindEmbeddedResource(IconType, id);
    std::vector<wxBitmap> images;
    for (int i = 0, count = ImageCount(res, wxBITMAP_TYPE_ICO); i < count; ++i) {
        const wxImage image = ReadImage(res, wxBITMAP_TYPE_ICO, i);
        if (image.IsOk()) images.emplace_back(image);
    }
    return images;
}

wxCursor LoadCursorResource(unsigned id) {
    wxImage image = ReadImage(platform::FindEmbeddedResource(CursorType, id), wxBITMAP_TYPE_CUR, 0);
    // The cursor reader leaves the file's hot spot in the image options, which the
    // cursor constructor reads back.
    return image.IsOk() ? wxCursor(image) : wxCursor();
}
