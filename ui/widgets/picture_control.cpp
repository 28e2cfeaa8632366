#include "ui/widgets/picture_control.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <wx/dcclient.h>

#include "ui/common/resource_path.h"

bool PngFileSize(const wxString& path, wxSize& size)
{
    // The signature, then the IHDR chunk: length, type, width and height as
    // 4-byte big-endian numbers.
    static const unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char header[24];
    std::string name;
    if (!ToFilePath(path, name))
        return false;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        return false;
    const size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got != sizeof header || std::memcmp(header, Signature, sizeof Signature) != 0
        || std::memcmp(header + 12, "IHDR", 4) != 0)
        return false;
    const auto number = [&](int at) {
        return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
    };
    const int width = number(16);
    const int height = number(20);
    if (width <= 0 || height <= 0)
        return false;
    size = wxSize(width, height);
    return true;
}

PictureControl::PictureControl(wxWindow* parent, const char* resource, const wxString& name)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE, name), resource(resource)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxSize size;
    if (!PngFileSize(LocalizedResourcePath(resource), size)) {
        // Not a PNG file, or none: its size is known only once decoded.
        size = Bitmap().IsOk() ? Bitmap().GetSize() : wxSize(1, 1);
    }
    SetMinSize(size);
    SetSize(size);
    Bind(wxEVT_PAINT, &PictureControl::OnPaint, this);
}

const wxBitmap& PictureControl::Bitmap()
{
    if (!decoded) {
        decoded = true;
        bitmap = LoadResourceBitmap(resource.c_str());
    }
    return bitmap;
}

void PictureControl::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    const wxBitmap& shown = Bitmap();
    if (!shown.IsOk() || shown.HasAlpha() || shown.GetSize() != GetClientSize()) {
        dc.SetBackground(GetParent()->GetBackgroundColour());
        dc.Clear();
    }
    if (shown.IsOk())
        dc.DrawBitmap(shown, 0, 0, true);
}
