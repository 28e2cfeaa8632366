#pragma once

#include <wx/font.h>
#include <wx/sizer.h>

// Shared look of the pages: all fonts are of the swiss family, upright.
inline wxFont PageFont(int points, wxFontWeight weight, const wxString& face = wxEmptyString)
{
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, weight, false, face,
                  wxFONTENCODING_DEFAULT);
}

// A numbered page row: a horizontal sizer added to the page's column,
// filling, without border.
inline wxBoxSizer* AddPageRow(wxBoxSizer* column, int proportion = 0)
{
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    column->Add(row, proportion, wxEXPAND, 0);
    return row;
}

// Panels are laid out by their sizer and take its size hints.
inline void FitPanel(wxWindow* panel, wxSizer* sizer)
{
    panel->SetSizer(sizer);
    sizer->Fit(panel);
    sizer->SetSizeHints(panel);
}
