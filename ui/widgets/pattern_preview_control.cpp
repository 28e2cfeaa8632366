#include "ui/widgets/pattern_preview_control.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/intl.h>
#include <wx/settings.h>

#include "treatments/pattern_preview.h"
#include "ui/widgets/theme_colours.h"

namespace {
bool SamePattern(const FiringPattern& a, const FiringPattern& b)
{
    return a.BaseFrequency == b.BaseFrequency && a.NumberOfSlots == b.NumberOfSlots
           && std::equal(a.Slot, a.Slot + FiringPattern::MaxSlots, b.Slot);
}

wxRect ToRect(const PreviewRect& r)
{
    return wxRect(r.x, r.y, r.width, r.height);
}

void DrawLabel(wxDC& dc, const wxString& text, const PreviewLabel& label)
{
    const int width = dc.GetTextExtent(text).x;
    int x = label.x;
    if (label.align == PreviewLabel::Align::Centre)
        x -= width / 2;
    else if (label.align == PreviewLabel::Align::Right)
        x -= width;
    dc.DrawText(text, x, label.y);
}
}  // namespace

// The number with its unit. The numbers keep their '.', as in the fields.
wxString PreviewQuantityText(const PreviewQuantity& quantity)
{
    const wxString number = wxString::FromUTF8(quantity.number);
    switch (quantity.unit) {
        case PreviewUnit::Milliseconds:
            // TRANSLATORS: a duration in milliseconds in the pattern preview; %s is the number.
            return wxString::Format(_("%s ms"), number);
        case PreviewUnit::Seconds:
            // TRANSLATORS: a duration in seconds in the pattern preview; %s is the number.
            return wxString::Format(_("%s s"), number);
        case PreviewUnit::Hertz:
            // TRANSLATORS: a frequency in hertz in the pattern preview; %s is the number.
            return wxString::Format(_("%s Hz"), number);
        case PreviewUnit::None:
            break;
    }
    return number;
}

PatternPreviewControl::PatternPreviewControl(wxWindow* parent, wxWindowID id, const wxString& name)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE, name)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(wxSize(200, 3 * GetCharHeight() + 8));
    Bind(wxEVT_PAINT, &PatternPreviewControl::OnPaint, this);
}

void PatternPreviewControl::ShowPattern(const FiringPattern& shown)
{
    if (SamePattern(shown, pattern))
        return;
    pattern = shown;
    Refresh();
}

void PatternPreviewControl::HideLabels()
{
    labelsShown = false;
    Refresh();
}

void PatternPreviewControl::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxColour background = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    // A dark theme's selection blue is too dark on its ground for a shape
    // (which needs a contrast of 3).
    const wxColour pulse =
        ReadableInHue(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT), background, 3.0);
    const wxColour outline = wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    dc.SetBackground(wxBrush(background));
    dc.Clear();
    dc.SetFont(GetFont());

    const wxSize size = GetClientSize();
    const PatternPreviewLayout layout =
        LayoutPatternPreview(pattern, size.x, size.y, labelsShown ? dc.GetCharHeight() : 0);
    if (layout.outlineCells) {
        dc.SetPen(wxPen(outline));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        for (const PreviewRect& cell : layout.cells)
            dc.DrawRectangle(ToRect(cell));
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(pulse));
    for (const PreviewRect& p : layout.pulses)
        dc.DrawRectangle(ToRect(p));
    dc.SetBrush(wxBrush(text));
    dc.DrawRectangle(ToRect(layout.axis));

    if (!labelsShown)
        return;
    dc.SetTextForeground(text);
    // TRANSLATORS: above the pattern preview, left: the length of one base
    // period; %s is a duration such as "333.3 ms".
    DrawLabel(dc, wxString::Format(_("Base period %s"), PreviewQuantityText(layout.basePeriod.quantity)),
              layout.basePeriod);
    // TRANSLATORS: above the pattern preview, centre: the length of one slot;
    // %s is a duration such as "33.33 ms".
    DrawLabel(dc, wxString::Format(_("Slot %s"), PreviewQuantityText(layout.slotPeriod.quantity)),
              layout.slotPeriod);
    DrawLabel(dc,
              // TRANSLATORS: above the pattern preview, right: slots per second; %s is
              // a frequency such as "30 Hz".
              wxString::Format(_("Slot frequency %s"), PreviewQuantityText(layout.slotFrequency.quantity)),
              layout.slotFrequency);
}
