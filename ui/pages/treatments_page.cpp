#include <algorithm>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filename.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "treatments/treatment_catalogue.h"
#include "ui/common/translations.h"
#include "ui/common/window_ids.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/theme_colours.h"
#include "ui/pages/treatments_page.h"
#include "ui/widgets/message_boxes.h"
#include "ui/widgets/pattern_preview_control.h"

namespace {
// A spot on the body pictures (1 to 24) as the spot choice names it.
wxString SpotName(int spot)
{
    // TRANSLATORS: an item of the spot choice; %d is the number of a spot
    // on the body pictures (1 to 24).
    return wxString::Format(_("Spot %d"), spot);
}

// The titles of the catalogue's records that spot choice `selection` stands
// for into `list`, translated, in one insertion: the list box then sizes
// itself once.
void ShowTitles(const TreatmentCatalogue& catalogue, int selection, wxListBox* list)
{
    std::vector<std::string> titles;
    catalogue.FillTitleList(selection, titles);
    wxArrayString shown;
    shown.reserve(titles.size());
    for (const std::string& title : titles)
        shown.push_back(CatalogueText(title));
    list->Clear();
    list->Append(shown);
}

wxStaticLine* AddSeparatorRow(wxWindow* page, wxBoxSizer* column, const char* name)
{
    wxStaticLine* line =
        new wxStaticLine(page, wxID_ANY, wxDefaultPosition, wxSize(10, -1), wxLI_HORIZONTAL, name);
    AddPageRow(column)->Add(line, 1, wxALL | wxALIGN_CENTER_VERTICAL, 0);
    return line;
}
}  // namespace

TreatmentsPage::TreatmentsPage(wxWindow* parent, const TreatmentCatalogue& catalogue)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL4"),
      catalogue(catalogue)
{
    wxPanel* page = this;
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
    spotChoice = new wxChoice(page, SpotChoiceId, wxDefaultPosition, wxSize(126, -1), 0, nullptr, 0,
                              wxDefaultValidator, "ID_CHOICE1");
    spotChoice->Append(_("All"));
    spotChoice->Append(_("General Treatments"));
    for (int spot = 1; spot <= 24; ++spot)
        spotChoice->Append(SpotName(spot));
    spotChoice->SetSelection(0);
    spotChoice->SetToolTip(_("Select Point"));
    spotChoice->SetHelpText(_("Select Point"));
    spotRow->Add(spotChoice, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    AddPageRow(column);

    treatmentList = new wxListBox(page, TreatmentListId, wxDefaultPosition, wxSize(465, 165), 0, nullptr,
                                  wxLB_SINGLE, wxDefaultValidator, "ID_LISTBOX1");
    // It scrolls: a shorter minimum leaves room for a caution that wraps to
    // more lines in another language.
    treatmentList->SetMinSize(wxSize(465, 130));
    AddPageRow(column)->Add(treatmentList, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    // Empty unless the highlighted row is not the treatment shown below; it
    // keeps its height so that nothing moves when it speaks.
    listHint = new wxStaticText(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxST_NO_AUTORESIZE, "ID_STATICTEXT41");
    listHint->SetMinSize(wxSize(-1, listHint->GetCharHeight()));
    AddPageRow(column)->Add(listHint, 1, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    AddSeparatorRow(page, column, "ID_STATICLINE7");

    wxPanel* titlePanel =
        new wxPanel(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL10");
    const wxColour bandColour(199, 199, 199);
    titlePanel->SetBackgroundColour(bandColour);
    wxBoxSizer* titleSizer = new wxBoxSizer(wxHORIZONTAL);
    wxStaticText* titleCaption = new wxStaticText(titlePanel, wxID_ANY, _("Treatment:"), wxDefaultPosition,
                                                  wxDefaultSize, 0, "ID_STATICTEXT21");
    StyleText(titleCaption, PageFont(10, wxFONTWEIGHT_BOLD));
    titleSizer->Add(titleCaption, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    treatmentTitle =
        new wxStaticText(titlePanel, wxID_ANY, "-", wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT24");
    StyleText(treatmentTitle, PageFont(10, wxFONTWEIGHT_BOLD));
    for (wxStaticText* text : {titleCaption, treatmentTitle})
        text->SetForegroundColour(TextColourOn(bandColour));
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
    preview = new PatternPreviewControl(page, wxID_ANY, "ID_PATTERNPREVIEW1");
    column->Add(preview, 0, wxALL | wxEXPAND, 5);

    wxBoxSizer* buttons = AddPageRow(column);
    AddToolButton(page, buttons, ApplyButtonId, _("Apply"), "ID_BUTTON10", 5);
    AddToolButton(page, buttons, WriteTreatmentButtonId, _("Write Vitrel"), "ID_BUTTON9", 5);

    FitPanel(page, column);
}

void TreatmentsPage::ShowCatalogue()
{
    ShowTitles(catalogue, 0, treatmentList);
    selectedTreatment = 0;
    spotFilter = 0;
    if (catalogue.Count() > 0) {
        treatmentList->SetSelection(0);
        treatmentTitle->SetLabel(CatalogueText(catalogue.Record(0).Title));
        treatmentDescription->SetValue(CatalogueText(catalogue.Record(0).Description));
    }
    ShowPickedTreatment();
}

void TreatmentsPage::FilterByChosenSpot()
{
    ShowSpotFilter(spotChoice->GetSelection());
}

void TreatmentsPage::ChooseSpot(int selection)
{
    spotChoice->SetSelection(selection);
    ShowSpotFilter(selection);
}

// The list narrowed to spot choice `selection`.
void TreatmentsPage::ShowSpotFilter(int selection)
{
    ShowTitles(catalogue, selection, treatmentList);
    spotFilter = selection;
    SelectShownTreatmentRow();
    if (spotFilterChanged)
        spotFilterChanged(selection);
}

// The list highlights the treatment shown below it, when the list holds it.
void TreatmentsPage::SelectShownTreatmentRow()
{
    const std::vector<int> rows = catalogue.Matching(spotFilter);
    const auto row = std::find(rows.begin(), rows.end(), selectedTreatment);
    if (row != rows.end())
        treatmentList->SetSelection(static_cast<int>(row - rows.begin()));
    else if (treatmentList->GetSelection() != wxNOT_FOUND)
        treatmentList->SetSelection(wxNOT_FOUND);
    ShowListHint();
}

// A row highlighted by a single click is not yet the treatment that Apply and
// Write Vitrel use: the hint under the list says so while the two differ.
void TreatmentsPage::ShowListHint()
{
    const std::vector<int> rows = catalogue.Matching(spotFilter);
    const int row = treatmentList->GetSelection();
    const bool differs = row >= 0 && row < static_cast<int>(rows.size()) && rows[row] != selectedTreatment;
    listHint->SetLabel(differs ? _("Double-click a treatment to show it. Apply and Write Vitrel "
                                   "use the one shown below.")
                               : wxString());
}

void TreatmentsPage::PickRow(int row)
{
    // Row k of the list is the k-th record the current filter shows.
    const std::vector<int> shown = catalogue.Matching(spotFilter);
    if (row < 0 || row >= static_cast<int>(shown.size()))
        return;
    selectedTreatment = shown[row];
    const TreatmentRecord& record = catalogue.Record(selectedTreatment);
    treatmentTitle->SetLabel(CatalogueText(record.Title));
    treatmentDescription->SetValue(CatalogueText(record.Description));
    ShowPickedTreatment();
    SelectShownTreatmentRow();
}

void TreatmentsPage::ShowPickedTreatment()
{
    const TreatmentRecord* picked = PickedTreatment();
    preview->ShowPattern(picked != nullptr ? picked->Pattern : FiringPattern());
}

const TreatmentRecord* TreatmentsPage::PickedTreatment() const
{
    if (selectedTreatment < 0 || selectedTreatment >= catalogue.Count())
        return nullptr;  // an empty catalogue has nothing to apply
    return &catalogue.Record(selectedTreatment);
}

void TreatmentsPage::ApplyPickedTreatment()
{
    if (!ConfirmAction("Would you like to apply treatment settings?", "Treatment Settings"))
        return;
    const TreatmentRecord* picked = PickedTreatment();
    if (picked != nullptr && applyPattern)
        applyPattern(picked->Pattern);
}

wxString TreatmentsPage::PickedSpotName() const
{
    const TreatmentRecord* picked = PickedTreatment();
    return picked != nullptr && picked->BodySpot >= 1 ? SpotName(picked->BodySpot) : wxString();
}

wxString CatalogueProblemNotice(CatalogueProblem problem, const wxString& path)
{
    wxFileName file(path);
    file.MakeAbsolute();
    const wxString shown = file.GetFullPath();
    // What is not an ordinary file is named with the missing files.
    if (problem == CatalogueProblem::NotOpened && !file.FileExists())
        problem = CatalogueProblem::Missing;
    switch (problem) {
        case CatalogueProblem::None:
        case CatalogueProblem::Missing:  // named with the other missing files
            return wxString();
        case CatalogueProblem::NotOpened:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" could not be opened: check that it is "
                                      "a file you may read. The list of treatments stays empty."),
                                    shown);
        case CatalogueProblem::NotXml:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" could not be read: it is not a "
                                      "well-formed XML file. The list of treatments stays empty."),
                                    shown);
        case CatalogueProblem::NotACatalogue:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" could not be used: it is not a "
                                      "treatments list (it has no VitrelTreatmentsList element), for "
                                      "example an exported pattern saved over it. The list of "
                                      "treatments stays empty."),
                                    shown);
        case CatalogueProblem::NoUsableTreatment:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" holds no treatment that can be used. "
                                      "The list of treatments stays empty."),
                                    shown);
    }
    return wxString();
}
