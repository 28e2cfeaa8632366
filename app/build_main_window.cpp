#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include "app/page_style.h"
#include "app/resource_path.h"
#include "app/stick_area_panel.h"
#include "app/vitrel_frame.h"

void wxVitrelFrame::BuildControls()
{
    wxPanel* frame =
        new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    wxBoxSizer* outer = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* halves = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* left = new wxBoxSizer(wxVERTICAL);

    BuildTopStrip(frame, left);
    // What the stick runs, under the strip that shows whether it is there:
    // in view whichever page is open, and beside the stick's other state.
    stickArea = new StickAreaPanel(frame);
    left->Add(stickArea, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);
    // The pages keep at the smallest window size the room they had there
    // before the area took its band.
    SetMinSize(GetMinSize() + wxSize(0, stickArea->GetBestSize().y));

    mainNotebook = new wxNotebook(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK3");
    mainNotebook->AddPage(BuildTreatmentsPage(mainNotebook), _("Treatments"), false);
    mainNotebook->AddPage(BuildAdvancedSettingsPage(mainNotebook), _("Advanced Settings"), false);
    mainNotebook->AddPage(BuildDiaryPage(mainNotebook), _("Diary"), false);
    mainNotebook->AddPage(BuildIntroPage(mainNotebook), _("Intro"), false);
    // No border above: the "On the stick" area keeps the room it takes from
    // the pages as small as it can.
    left->Add(mainNotebook, 1, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 5);
    halves->Add(left, 1, wxALL | wxEXPAND, 0);

    wxBoxSizer* right = new wxBoxSizer(wxHORIZONTAL);
    bodyPicture = new wxBitmapButton(frame, wxID_ANY, LoadResourceBitmap("share\\HumanBodyFront.png"),
                                     wxDefaultPosition, wxDefaultSize, wxBU_AUTODRAW | wxBORDER_NONE,
                                     wxDefaultValidator, "ID_BITMAPBUTTON1");
    bodyPicture->SetToolTip(_("Click a numbered spot to choose it, anywhere else to turn the picture"));
    right->Add(bodyPicture, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    halves->Add(right, 0, wxALL | wxEXPAND, 0);

    outer->Add(halves, 1, wxALL | wxEXPAND, 0);
    FitPanel(frame, outer);
}

void wxVitrelFrame::BuildTopStrip(wxPanel* parent, wxBoxSizer* column)
{
    wxBoxSizer* strip = new wxBoxSizer(wxHORIZONTAL);

    batteryGauge = new wxGauge(parent, wxID_ANY, 100, wxDefaultPosition, wxSize(-1, 10), wxGA_HORIZONTAL,
                               wxDefaultValidator, "ID_GAUGE1");
    batteryGauge->SetToolTip(_("Battery level of the Vitrel stick, the average of the last five seconds"));
    strip->Add(batteryGauge, 1, wxALL | wxEXPAND, 5);
    // The level in figures: a gauge at zero looks the same as no stick.
    batteryText = new wxStaticText(parent, wxID_ANY, wxString::FromUTF8("\u2013"), wxDefaultPosition,
                                   wxSize(parent->GetTextExtent("100 %").x + 4, -1),
                                   wxALIGN_RIGHT | wxST_NO_AUTORESIZE, "ID_STATICTEXT54");
    batteryText->SetToolTip(_("Battery level of the Vitrel stick since it was attached"));
    strip->Add(batteryText, 0, wxTOP | wxBOTTOM | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    deviceStatusPanel =
        new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL12");
    deviceStatusPanel->SetBackgroundColour(wxColour(224, 44, 71));
    wxBoxSizer* statusSizer = new wxBoxSizer(wxHORIZONTAL);
    deviceStatusLabel = new wxStaticText(deviceStatusPanel, wxID_ANY, _("Device Detached"), wxDefaultPosition,
                                         wxSize(150, -1), wxALIGN_CENTRE, "ID_STATICTEXT22");
    statusSizer->Add(deviceStatusLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 6);
    FitPanel(deviceStatusPanel, statusSizer);
    strip->Add(deviceStatusPanel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    wxPanel* beeperPanel =
        new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL13");
    wxBoxSizer* beeperSizer = new wxBoxSizer(wxHORIZONTAL);
    // As tall as the theme draws a check box: at 15 pixels GTK has no room
    // for the box and its padding.
    beeperCheck = new wxCheckBox(beeperPanel, wxID_ANY, _("Beeper"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "ID_CHECKBOX1");
    beeperCheck->SetValue(false);
    beeperSizer->Add(beeperCheck, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    FitPanel(beeperPanel, beeperSizer);
    strip->Add(beeperPanel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    turnOffButton = new wxButton(parent, wxID_ANY, _("Turn Off"), wxDefaultPosition, wxSize(-1, 25), 0,
                                 wxDefaultValidator, "ID_BUTTON15");
    strip->Add(turnOffButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    column->Add(strip, 0, wxEXPAND, 0);
}
