#include "app/resource_path.h"

#include <wx/filefn.h>

wxString ResourcePath(const char* path)
{
    wxString mapped(path);
    mapped.Replace("\\", wxString(wxFILE_SEP_PATH));
    return mapped;
}

#include <wx/image.h>

wxBitmap LoadResourceBitmap(const char* path)
{
    wxImage image(ResourcePath(path), wxBITMAP_TYPE_ANY);
    return image.IsOk() ? wxBitmap(image) : wxNullBitmap;
}
