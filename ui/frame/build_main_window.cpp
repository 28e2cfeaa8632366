#include <wx/notebook.h>
#include <wx/panel.h>

#include "ui/common/window_ids.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/body_picture.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/intro_page.h"
#include "ui/pages/top_strip.h"
#include "ui/pages/treatments_page.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/stick_area_panel.h"

void wxVitrelFrame::BuildControls()
{
    wxPanel* frame =
        new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    wxBoxSizer* outer = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* halves = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* left = new wxBoxSizer(wxVERTICAL);

    // The strip that shows whether the stick is there, and under it what
    // the stick runs: in view whichever page is open.
    topStrip = new TopStrip(frame);
    left->Add(topStrip, 0, wxEXPAND, 0);
    // The pages keep at the smallest window size the room they had there
    // before the "On the stick" area took its band.
    SetMinSize(GetMinSize() + wxSize(0, topStrip->StickArea().GetBestSize().y));

    mainNotebook = new wxNotebook(frame, MainNotebookId, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK3");
    treatmentsPage = new TreatmentsPage(mainNotebook, catalogue);
    mainNotebook->AddPage(treatmentsPage, _("Treatments"), false);
    advancedPage = new AdvancedSettingsPage(mainNotebook);
    mainNotebook->AddPage(advancedPage, _("Advanced Settings"), false);
    diaryPage = new DiaryPage(mainNotebook);
    mainNotebook->AddPage(diaryPage, _("Diary"), false);
    introPage = new IntroPage(mainNotebook);
    mainNotebook->AddPage(introPage, _("Intro"), false);
    // No border above: the "On the stick" area keeps the room it takes from
    // the pages as small as it can.
    left->Add(mainNotebook, 1, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 5);
    halves->Add(left, 1, wxALL | wxEXPAND, 0);

    wxBoxSizer* right = new wxBoxSizer(wxHORIZONTAL);
    bodyPicture = new BodyPicture(frame);
    right->Add(bodyPicture, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    halves->Add(right, 0, wxALL | wxEXPAND, 0);

    outer->Add(halves, 1, wxALL | wxEXPAND, 0);
    FitPanel(frame, outer);
}
