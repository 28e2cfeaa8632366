#pragma once

#include <wx/panel.h>

class wxButton;
class wxCheckBox;
class wxGauge;
class wxStaticText;
class StickAreaPanel;
class StickSession;

// The strip above the pages: the battery gauge and its percent, whether the
// stick is attached, the Beeper box and Turn Off; under it the "On the
// stick" band. What it shows is set from the device timer, only where it
// changes. The events of Beeper and Turn Off reach the frame by their ids
// (ui/common/window_ids.h).
class TopStrip : public wxPanel {
public:
    explicit TopStrip(wxWindow* parent);

    // The device label on its colour; Turn Off and Beeper work only with a
    // stick attached.
    void ShowDeviceState(const wxString& label, const wxColour& colour, bool attached);
    void ShowBatteryGauge(int level);
    void ShowBatteryText(const wxString& text);
    // The Beeper box as the stick reports it; setting it raises no click.
    void ShowBeeper(bool on);
    bool BeeperChecked() const;

    // Turn Off: asks, sends it through `session` and shows the field off;
    // true when it went out.
    bool TurnOff(StickSession& session);
    // The Beeper box clicked: its state sent through `session`, or the box
    // put back when the stick did not take it.
    void SendBeeper(StickSession& session);

    StickAreaPanel& StickArea() const { return *stickArea; }

private:
    wxGauge* batteryGauge = nullptr;  // ID_GAUGE1
    wxStaticText* batteryText = nullptr;  // ID_STATICTEXT54: the level in percent
    wxPanel* deviceStatusPanel = nullptr;  // ID_PANEL12
    wxStaticText* deviceStatusLabel = nullptr;  // ID_STATICTEXT22
    wxCheckBox* beeperCheck = nullptr;  // ID_CHECKBOX1
    wxButton* turnOffButton = nullptr;  // ID_BUTTON15
    StickAreaPanel* stickArea = nullptr;  // ID_PANEL20: "On the stick"
};
