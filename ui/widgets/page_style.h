#pragma once

#include <algorithm>

#include <wx/button.h>
#include <wx/font.h>
#include <wx/panel.h>
#include <wx/window.h>
#include <wx/sizer.h>

#include "ui/widgets/theme_colours.h"

// Shared look of the pages: all fonts are of the swiss family, upright.
inline wxFont PageFont(int points, wxFontWeight weight, const wxString& face = wxEmptyString)
{
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, weight, false, face,
                  wxFONTENCODING_DEFAULT);
}

// Gives a text control the font and colour of a heading (made readable on
// the theme's ground, see ShowInGivenColour). Its minimum size is
// measured with the new font at once: the toolkit applies fonts lazily and
// would otherwise lay the text out at the old font's size, clipping it.
inline void StyleText(wxWindow* text, const wxFont& font, const wxColour& colour = wxNullColour)
{
    text->SetFont(font);
    if (colour.IsOk())
        ShowInGivenColour(text, colour);
    int width = 0;
    int height = 0;
    text->GetTextExtent(text->GetLabel(), &width, &height, nullptr, nullptr, &font);
    const wxSize best = text->GetBestSize();
    text->SetMinSize(wxSize(std::max(width + 4, best.x), std::max(height, best.y)));
}

// A number field: at least `width` pixels, and wide enough for the longest
// number the page shows in the window's own font.
inline wxSize NumberFieldSize(wxWindow* parent, int width)
{
    return wxSize(std::max(width, parent->GetTextExtent("0000.000000").x + 24), -1);
}

// A numbered page row: a horizontal sizer added to the page's column,
// filling, without border.
inline wxBoxSizer* AddPageRow(wxBoxSizer* column, int proportion = 0)
{
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    column->Add(row, proportion, wxEXPAND, 0);
    return row;
}

// The grey bar the Advanced Settings and diary entry pages put their buttons on.
inline wxPanel* NewToolbar(wxWindow* page, const char* name)
{
    wxPanel* bar = new wxPanel(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, name);
    bar->SetBackgroundColour(wxColour(208, 208, 208));
    return bar;
}

// A button with id `id`, named `name`, at the end of a row, centred in its
// height.
inline wxButton* AddToolButton(wxWindow* bar, wxBoxSizer* row, wxWindowID id, const wxString& label,
                               const char* name, int border)
{
    wxButton* button =
        new wxButton(bar, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
    row->Add(button, 0, wxALL | wxALIGN_CENTER_VERTICAL, border);
    return button;
}

// Panels are laid out by their sizer and take its size hints.
inline void FitPanel(wxWindow* panel, wxSizer* sizer)
{
    panel->SetSizer(sizer);
    sizer->Fit(panel);
    sizer->SetSizeHints(panel);
}

// A label set only where it changes: setting a control to what it already
// shows still costs a redraw (and the label a new layout), and the device
// timer shows its state ten times a second for the whole run.
inline void SetLabelIfChanged(wxWindow* text, const wxString& label)
{
    if (text->GetLabel() != label)
        text->SetLabel(label);
}
