#pragma once

#include <wx/dialog.h>

// The About box: product picture, software version, web address and credits.
// Created hidden once with the main window and shown modally on request.
class wxVitrelAboutPanelDialog : public wxDialog {
public:
    wxVitrelAboutPanelDialog(wxWindow* parent, wxWindowID id = -1);
};
