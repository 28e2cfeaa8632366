#pragma once

#include <wx/app.h>

class wxVitrelApp : public wxApp {
public:
    bool OnInit() override;
};

// Start-up work shared by the program and the window tests: the image
// handlers, the user's date and time formats and the translations of the
// user's language, without touching the number format (files and fields
// always use a '.' decimal point).
void PrepareProcess();
