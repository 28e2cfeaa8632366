#pragma once

#include <functional>

#include <wx/bmpbuttn.h>

#include "treatments/body_spots.h"

// The body picture beside the pages: one of three views (front, back, left
// side), with a ring on the spot the treatments filter shows when that view
// has it. A click on a numbered spot chooses that spot; any other click, and
// Space or Enter on the focused picture, turns it to the next view.
class BodyPicture : public wxBitmapButton {
public:
    explicit BodyPicture(wxWindow* parent);

    // Reads the spots' places on the views.
    void LoadSpots(const char* path);
    // What the picture's click does.
    void Click();
    // The treatments list was narrowed to spot choice `selection`: the
    // picture turns to a view that shows the chosen spot when the one on
    // screen does not, and rings it.
    void ShowSpotFilter(int selection);

    // Told the spot choice's selection for a spot clicked on the picture.
    std::function<void(int selection)> spotChosen;

private:
    void Redraw();
    void OnMouseUp(wxMouseEvent& event);

    int view = 0;  // the view shown: 0 front, 1 back, 2 left side
    int spotFilter = 0;  // the spot choice's selection the list shows
    bool clicked = false;  // released by the mouse at clickAt
    wxPoint clickAt;
    BodySpotTable spots;
};
