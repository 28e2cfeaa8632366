#include "ui/pages/body_picture.h"

#include <string>

#include <wx/dcmemory.h>
#include <wx/intl.h>

#include "ui/common/resource_path.h"
#include "ui/common/window_ids.h"

namespace {
// The ring around the chosen spot: outside the drawn spot (radius 9.5 with
// its white edge), in a colour the picture does not use.
const wxColour SpotRingColour(0, 110, 220);
constexpr int SpotRingRadius = 15;
constexpr int SpotRingWidth = 4;
// A click this close to a spot's centre is on the spot: the drawn spot's
// radius and its white edge, and a little more.
constexpr int SpotClickRadius = 13;
}  // namespace

BodyPicture::BodyPicture(wxWindow* parent)
    : wxBitmapButton(parent, BodyPictureId, LoadResourceBitmap("share\\HumanBodyFront.png"),
                     wxDefaultPosition, wxDefaultSize, wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator,
                     "ID_BITMAPBUTTON1")
{
    SetToolTip(_("Click a numbered spot to choose it, anywhere else to turn the picture"));
    Bind(wxEVT_LEFT_UP, &BodyPicture::OnMouseUp, this);
}

void BodyPicture::LoadSpots(const char* path)
{
    spots.Load(path);
}

void BodyPicture::Click()
{
    if (clicked) {
        clicked = false;
        const wxBitmap shown = GetBitmapLabel();
        // The picture is drawn in the middle of the button.
        const wxSize margin = (GetClientSize() - shown.GetSize()) / 2;
        const int spot = spots.SpotAt(view, clickAt.x - margin.x, clickAt.y - margin.y, SpotClickRadius);
        if (spot > 0 && spotChosen) {
            spotChosen(spot + 1);
            return;
        }
    }
    view = (view + 1) % BodyViewCount;
    Redraw();
}

// Where the button was released: the click it makes follows at once.
void BodyPicture::OnMouseUp(wxMouseEvent& event)
{
    clicked = true;
    clickAt = event.GetPosition();
    CallAfter([this] { clicked = false; });
    event.Skip();
}

void BodyPicture::ShowSpotFilter(int selection)
{
    spotFilter = selection;
    const int spot = selection - 1;
    if (spot >= 1 && spots.Find(view, spot) == nullptr && spots.ViewShowing(spot) >= 0)
        view = spots.ViewShowing(spot);
    Redraw();
}

void BodyPicture::Redraw()
{
    const std::string file = std::string("share\\") + BodyViewFiles[view];
    wxBitmap picture = LoadResourceBitmap(file.c_str());
    // Filter item k + 1 shows spot k; "All" and "General Treatments" mark nothing.
    const BodySpotPosition* spot = spots.Find(view, spotFilter - 1);
    if (spot != nullptr && picture.IsOk()) {
        wxMemoryDC dc(picture);
        dc.SetPen(wxPen(SpotRingColour, SpotRingWidth));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawCircle(spot->x, spot->y, SpotRingRadius);
        dc.SelectObject(wxNullBitmap);
    }
    SetBitmapLabel(picture);
}
