#include "ui/pages/top_strip.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "ui/common/window_ids.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/theme_colours.h"
#include "ui/widgets/stick_area_panel.h"

TopStrip::TopStrip(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL21")
{
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* strip = new wxBoxSizer(wxHORIZONTAL);

    batteryGauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(-1, 10), wxGA_HORIZONTAL,
                               wxDefaultValidator, "ID_GAUGE1");
    batteryGauge->SetToolTip(_("Battery level of the Vitrel stick, the average of the last five seconds"));
    strip->Add(batteryGauge, 1, wxALL | wxEXPAND, 5);
    // The level in figures: a gauge at zero looks the same as no stick.
    batteryText = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("\u2013"), wxDefaultPosition,
                                   wxSize(GetTextExtent("100 %").x + 4, -1),
                                   wxALIGN_RIGHT | wxST_NO_AUTORESIZE, "ID_STATICTEXT54");
    batteryText->SetToolTip(_("Battery level of the Vitrel stick since it was attached"));
    strip->Add(batteryText, 0, wxTOP | wxBOTTOM | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    deviceStatusPanel =
        new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL12");
    wxBoxSizer* statusSizer = new wxBoxSizer(wxHORIZONTAL);
    deviceStatusLabel = new wxStaticText(deviceStatusPanel, wxID_ANY, _("Device Detached"), wxDefaultPosition,
                                         wxSize(150, -1), wxALIGN_CENTRE, "ID_STATICTEXT22");
    const wxColour detachedColour(224, 44, 71);
    deviceStatusPanel->SetBackgroundColour(detachedColour);
    deviceStatusLabel->SetForegroundColour(TextColourOn(detachedColour));
    statusSizer->Add(deviceStatusLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 6);
    FitPanel(deviceStatusPanel, statusSizer);
    strip->Add(deviceStatusPanel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    wxPanel* beeperPanel =
        new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL13");
    wxBoxSizer* beeperSizer = new wxBoxSizer(wxHORIZONTAL);
    // As tall as the theme draws a check box: at 15 pixels GTK has no room
    // for the box and its padding.
    beeperCheck = new wxCheckBox(beeperPanel, BeeperBoxId, _("Beeper"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "ID_CHECKBOX1");
    beeperCheck->SetValue(false);
    beeperSizer->Add(beeperCheck, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    FitPanel(beeperPanel, beeperSizer);
    strip->Add(beeperPanel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    turnOffButton = new wxButton(this, TurnOffButtonId, _("Turn Off"), wxDefaultPosition, wxSize(-1, 25), 0,
                                 wxDefaultValidator, "ID_BUTTON15");
    strip->Add(turnOffButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    column->Add(strip, 0, wxEXPAND, 0);

    // What the stick runs, under the strip that shows whether it is there:
    // in view whichever page is open, and beside the stick's other state.
    stickArea = new StickAreaPanel(this);
    column->Add(stickArea, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);
    // No fixed minimum: the band grows with what it shows, and the strip
    // with it.
    SetSizer(column);
    column->Fit(this);
}

void TopStrip::ShowDeviceState(const wxString& label, const wxColour& colour, bool attached)
{
    SetLabelIfChanged(deviceStatusLabel, label);
    if (deviceStatusPanel->GetBackgroundColour() != colour) {
        deviceStatusPanel->SetBackgroundColour(colour);
        deviceStatusLabel->SetForegroundColour(TextColourOn(colour));
        deviceStatusPanel->Refresh();
    }
    // Enable and Disable already do nothing when the state is the same.
    turnOffButton->Enable(attached);
    beeperCheck->Enable(attached);
}

void TopStrip::ShowBatteryGauge(int level)
{
    if (batteryGauge->GetValue() != level)
        batteryGauge->SetValue(level);
}

void TopStrip::ShowBatteryText(const wxString& text)
{
    SetLabelIfChanged(batteryText, text);
}

void TopStrip::ShowBeeper(bool on)
{
    beeperCheck->SetValue(on);
}

bool TopStrip::BeeperChecked() const
{
    return beeperCheck->GetValue();
}
