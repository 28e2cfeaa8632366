#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/page_style.h"
#include "app/pattern_preview_control.h"
#include "app/vitrel_frame.h"

namespace {
wxStaticLine* AddSeparatorRow(wxWindow* page, wxBoxSizer* column, const char* name)
{
    wxStaticLine* line =
        new wxStaticLine(page, wxID_ANY, wxDefaultPosition, wxSize(10, -1), wxLI_HORIZONTAL, name);
    AddPageRow(column)->Add(line, 1, wxALL | wxALIGN_CENTER_VERTICAL, 0);
    return line;
}
}  // namespace

wxPanel* wxVitrelFrame::BuildTreatmentsPage(wxNotebook* book)
{
    wxPanel* page =
        new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL4");
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* heading = AddPageRow(column);
    wxStaticText* product =
        new wxStaticText(page, wxID_ANY, _("Vitrel"), wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT18");
    StyleText(product, PageFont(20, wxFONTWEIGHT_BOLD, "Arial"), wxColour(39, 34, 140));
    heading->Add(product, 0, wxALIGN_CENTER_VERTICAL, 0);
    heading->Add(8, 20, 0, 0, 0);
    wxStaticText* subtitle = new wxStaticText(page, wxID_ANY, _("Health Programmes"), wxDefaultPosition,
                                              wxDefaultSize, 0, "ID_STATICTEXT19");
    StyleText(subtitle, PageFont(14, wxFONTWEIGHT_NORMAL, "Arial"), wxColour(160, 22, 44));
    heading->Add(subtitle, 0, wxALL | wxALIGN_BOTTOM, 5);

    AddSeparatorRow(page, column, "ID_STATICLINE6");

    const wxString caution =
        _("Based on recent scientific work and experience in the field of pulsed magnetic field "
          "impact on human body and cells, there were determined most common Vitrel programmes "
          "for particular health condition.\nCAUTION: Please consult with your doctor before "
          "using this product.");
    wxStaticText* intro = new wxStaticText(page, wxID_ANY, caution, wxDefaultPosition, wxSize(465, 61),
                                           wxST_NO_AUTORESIZE, "ID_STATICTEXT20");
    AddPageRow(column)->Add(intro, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    // The caution is wrapped to the width its row gives it, and the row is
    // as tall as the wrapped lines, so it is whole at every window size.
    intro->Bind(wxEVT_SIZE, [intro, caution, page, wrappedWidth = 0](wxSizeEvent& event) mutable {
        event.Skip();
        const int width = event.GetSize().x;
        if (width <= 0 || width == wrappedWidth)
            return;
        wrappedWidth = width;
        intro->SetLabel(caution);
        intro->Wrap(width);
        intro->SetMinSize(wxSize(-1, intro->GetBestSize().y));
        page->CallAfter([page] { page->Layout(); });
    });

    wxBoxSizer* spotRow = AddPageRow(column);
    spotRow->Add(new wxStaticText(page, wxID_ANY, _("Select Point Number From Picture:"), wxDefaultPosition,
                                  wxDefaultSize, 0, "ID_STATICTEXT1"),
                 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    spotChoice = new wxChoice(page, wxID_ANY, wxDefaultPosition, wxSize(126, -1), 0, nullptr, 0,
                              wxDefaultValidator, "ID_CHOICE1");
    spotChoice->Append(_("All"));
    spotChoice->Append(_("General Treatments"));
    for (int spot = 1; spot <= 24; ++spot) {
        // TRANSLATORS: an item of the spot choice; %d is the number of a spot
        // on the body pictures (1 to 24).
        spotChoice->Append(wxString::Format(_("Spot %d"), spot));
    }
    spotChoice->SetSelection(0);
    spotChoice->SetToolTip(_("Select Point"));
    spotChoice->SetHelpText(_("Select Point"));
    spotRow->Add(spotChoice, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    AddPageRow(column);

    treatmentList = new wxListBox(page, wxID_ANY, wxDefaultPosition, wxSize(465, 165), 0, nullptr,
                                  wxLB_SINGLE, wxDefaultValidator, "ID_LISTBOX1");
    // It scrolls: a shorter minimum leaves room for a caution that wraps to
    // more lines in another language.
    treatmentList->SetMinSize(wxSize(465, 130));
    AddPageRow(column)->Add(treatmentList, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    // Empty unless the highlighted row is not the treatment shown below; it
    // keeps its height so that nothing moves when it speaks.
    treatmentListHint = new wxStaticText(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                         wxST_NO_AUTORESIZE, "ID_STATICTEXT41");
    treatmentListHint->SetMinSize(wxSize(-1, treatmentListHint->GetCharHeight()));
    AddPageRow(column)->Add(treatmentListHint, 1, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    AddSeparatorRow(page, column, "ID_STATICLINE7");

    wxPanel* titlePanel =
        new wxPanel(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL10");
    titlePanel->SetBackgroundColour(wxColour(199, 199, 199));
    wxBoxSizer* titleSizer = new wxBoxSizer(wxHORIZONTAL);
    wxStaticText* titleCaption = new wxStaticText(titlePanel, wxID_ANY, _("Treatment:"), wxDefaultPosition,
                                                  wxDefaultSize, 0, "ID_STATICTEXT21");
    StyleText(titleCaption, PageFont(10, wxFONTWEIGHT_BOLD));
    titleSizer->Add(titleCaption, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    treatmentTitle =
        new wxStaticText(titlePanel, wxID_ANY, "-", wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT24");
    StyleText(treatmentTitle, PageFont(10, wxFONTWEIGHT_BOLD));
    titleSizer->Add(treatmentTitle, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    FitPanel(titlePanel, titleSizer);
    AddPageRow(column)->Add(titlePanel, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    AddPageRow(column);

    wxBoxSizer* descriptionRow = new wxBoxSizer(wxVERTICAL);
    treatmentDescription =
        new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(475, 122),
                       wxTE_MULTILINE | wxBORDER_NONE, wxDefaultValidator, "ID_TEXTCTRL13");
    // It takes whatever height the page has left, and scrolls: a shorter
    // minimum leaves room for a caution that wraps to more lines in another
    // language, beside the "On the stick" band.
    treatmentDescription->SetMinSize(wxSize(475, 72));
    descriptionRow->Add(treatmentDescription, 1, wxALL | wxEXPAND, 5);
    column->Add(descriptionRow, 1, wxEXPAND, 0);

    // The pattern that Apply and Write Vitrel use: the picked treatment's.
    treatmentPreview = new PatternPreviewControl(page, wxID_ANY, "ID_PATTERNPREVIEW1");
    column->Add(treatmentPreview, 0, wxALL | wxEXPAND, 5);

    wxBoxSizer* buttons = AddPageRow(column);
    applyButton = new wxButton(page, wxID_ANY, _("Apply"), wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, "ID_BUTTON10");
    buttons->Add(applyButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    writeTreatmentButton = new wxButton(page, wxID_ANY, _("Write Vitrel"), wxDefaultPosition, wxDefaultSize,
                                        0, wxDefaultValidator, "ID_BUTTON9");
    buttons->Add(writeTreatmentButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    FitPanel(page, column);
    return page;
}
