#pragma once

#include <wx/defs.h>

// Window ids shared between files: every slot check box carries the same id.
extern const wxWindowID ID_SLOTBOX;
// The intro video, made when its page is first shown.
extern const wxWindowID ID_MEDIA;

// The product's copyright line shown in the status bar.
extern const char* const CopyrightLine;

// The status bar field that keeps the outcome of the last write; the first
// field is rewritten on every tick.
constexpr int CheckStatusField = 1;
