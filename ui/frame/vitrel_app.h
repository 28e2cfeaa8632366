#pragma once

#include <wx/app.h>

#include "ui/frame/single_instance.h"

class wxVitrelApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;

private:
    // A second start for a user folder shows the first copy's window and
    // ends at once, with success: the user got the window they asked for.
    UserFolderInstance instance;
    bool secondStart = false;
};

// Start-up work shared by the program and the window tests: the image
// handlers, the user's date and time formats and the translations of the
// user's language, without touching the number format (files and fields
// always use a '.' decimal point).
void PrepareProcess();
