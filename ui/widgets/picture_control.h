#pragma once

#include <string>

#include <wx/bitmap.h>
#include <wx/window.h>

// A picture from the share folder (see LoadResourceBitmap), drawn as it is
// and decoded when it is first painted: until then only its size is known,
// read from the file's header. A page that is never shown never decodes it.
class PictureControl : public wxWindow {
public:
    PictureControl(wxWindow* parent, const char* resource, const wxString& name);

    // The picture, decoded now if it was not yet; an empty bitmap when the
    // file is missing or unreadable.
    const wxBitmap& Bitmap();
    bool Decoded() const { return decoded; }
    // A picture: nothing to do with the keyboard, so no Tab stop.
    bool AcceptsFocus() const override { return false; }

private:
    void OnPaint(wxPaintEvent& event);

    std::string resource;
    bool decoded = false;
    wxBitmap bitmap;
};

// The width and height in a PNG file's header, without decoding the picture;
// false when the file cannot be read or is not a PNG file.
bool PngFileSize(const wxString& path, wxSize& size);
