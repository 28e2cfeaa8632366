#pragma once

#include <wx/string.h>

// Resource and data paths are written with backslashes ("share\\HumanBodyFront.png")
// and resolved against the working directory; this maps them to the
// platform's separator.
wxString ResourcePath(const char* path);

#include <wx/bitmap.h>

// A picture from the share folder; an empty bitmap when the file is missing
// or unreadable (the image loader has already reported why).
wxBitmap LoadResourceBitmap(const char* path);
