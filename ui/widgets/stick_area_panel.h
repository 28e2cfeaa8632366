#pragma once

#include <vector>

#include <wx/panel.h>

#include "treatments/firing_pattern.h"

class PatternPreviewControl;
class wxStaticText;

// The "On the stick" area, always in view above the pages: what the stick
// attached now runs (drawn, its slot frequency and slot count, the catalogue
// treatment it is or "Custom pattern"), whether this run wrote and checked
// it, whether its field was turned off, or that no stick is attached.
class StickAreaPanel : public wxPanel {
public:
    explicit StickAreaPanel(wxWindow* parent);

    // No stick attached.
    void ShowNoStick();
    // A stick attached; its programme was asked for and is not known yet.
    // `where` names the port it was found on ("/dev/ttyUSB0", "COM3"),
    // `product` the USB device it is behind where the system tells it.
    void ShowAsking(const wxString& where, const wxString& product);
    // The stick's programme is asked for again, on the port it was found on:
    // what it holds may have changed without a check (a write that reached
    // it in part).
    void ShowAskingAgain();
    // The stick did not answer the request for its programme.
    void ShowNoAnswer();
    // The stick holds `pattern`: the catalogue treatment `title`, or a custom
    // pattern when `title` is empty. `checkedAt` (HH:MM) when this run wrote
    // and checked it, else empty. `written`: the reply to a write's check,
    // which ends the field-off state.
    void ShowProgramme(const FiringPattern& pattern, const wxString& title, const wxString& checkedAt,
                       bool written);
    // Turn Off went out at `time` (HH:MM): the field is off until the next
    // write or attach.
    void ShowFieldOff(const wxString& time);
    // The serial ports numbered 10 and above that the system lists, where
    // the stick is never looked for: named while no stick is attached.
    void ShowPortsBeyondSearch(const std::vector<int>& numbers);

private:
    enum class State { NoStick, Asking, NoAnswer, Programme };
    void Render();

    PatternPreviewControl* preview = nullptr;  // ID_PATTERNPREVIEW3
    wxStaticText* titleLine = nullptr;  // ID_STATICTEXT51
    wxStaticText* detailLine = nullptr;  // ID_STATICTEXT52
    wxStaticText* stateLine = nullptr;  // ID_STATICTEXT53
    State state = State::NoStick;
    FiringPattern pattern;
    wxString title;
    wxString checkedAt;
    bool fieldOff = false;
    wxString fieldOffTime;
    wxString portText;  // where the stick was found; empty without a stick
    std::vector<int> portsBeyondSearch;  // numbered 10 and above, named while no stick is attached
};
