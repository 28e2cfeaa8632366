#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <tinyxml2.h>

#include "ui/common/resource_path.h"
#include "ui/common/window_ids.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/diary_record_panel.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/history_list_view.h"

namespace {
wxStaticText* NewLabel(wxWindow* page, const wxString& text, const char* name)
{
    return new wxStaticText(page, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0, name);
}
}  // namespace

DiaryPage::DiaryPage(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL8"),
      HistoryDocument(std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE))
{
    // The controls are made when the page is first shown (CreateContent).
}

void DiaryPage::CreateContent()
{
    if (notebook != nullptr)
        return;
    wxPanel* page = this;
    wxBoxSizer* pageSizer = new wxBoxSizer(wxHORIZONTAL);
    notebook = new wxNotebook(page, wxID_ANY, wxDefaultPosition, wxSize(455, 522), 0, "ID_NOTEBOOK1");
    // It fills the page's height; its minimum leaves room for the "On the
    // stick" band and for texts that run longer in another language.
    notebook->SetMinSize(wxSize(455, 420));

    wxPanel* historyPage =
        new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL2");
    wxBoxSizer* historyColumn = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* historyRow = new wxBoxSizer(wxHORIZONTAL);
    historyList = new HistoryListView(historyPage, HistoryListId, "ID_LISTVIEW1");
    historyRow->Add(historyList, 1, wxALL | wxEXPAND, 5);
    historyColumn->Add(historyRow, 1, wxEXPAND, 0);
    record = new DiaryRecordPanel(
        historyPage, [this] { RefreshHistoryList(DiaryFilePath().c_str()); },
        [this](const char* message) {
            if (postNotice)
                postNotice(message);
        });
    historyColumn->Add(record, 0, wxEXPAND, 0);
    FitPanel(historyPage, historyColumn);

    wxPanel* entryPage =
        new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL3");
    wxBoxSizer* entryColumn = new wxBoxSizer(wxVERTICAL);
    wxPanel* toolbar = NewToolbar(entryPage, "ID_PANEL11");
    wxBoxSizer* tools = new wxBoxSizer(wxHORIZONTAL);
    // TRANSLATORS: the diary's buttons: start a new entry, save it, and go
    // back to the list of entries.
    AddToolButton(toolbar, tools, DiaryNewButtonId, _("New"), "ID_BUTTON13", 2);
    AddToolButton(toolbar, tools, DiarySaveButtonId, _("Save"), "ID_BUTTON12", 2);
    AddToolButton(toolbar, tools, DiaryCloseButtonId, _("Close"), "ID_BUTTON14", 5);
    FitPanel(toolbar, tools);
    AddPageRow(entryColumn)->Add(toolbar, 1, wxEXPAND, 0);

    // While an entry is only viewed, how to write one.
    hint = NewLabel(entryPage, _("Press New to write an entry"), "ID_STATICTEXT40");
    hint->SetMinSize(hint->GetBestSize());
    AddPageRow(entryColumn)->Add(hint, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    wxBoxSizer* stampRow = AddPageRow(entryColumn);
    // TRANSLATORS: beside the diary entry's date and its time of day.
    stampRow->Add(NewLabel(entryPage, _("Date"), "ID_STATICTEXT4"), 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    dateField = new wxTextCtrl(entryPage, wxID_ANY, "21.11.2015.", wxDefaultPosition, wxSize(92, -1),
                               wxTE_READONLY | wxTE_CENTRE, wxDefaultValidator, "ID_TEXTCTRL2");
    stampRow->Add(dateField, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    stampRow->Add(NewLabel(entryPage, _("Time"), "ID_STATICTEXT5"), 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    timeField = new wxTextCtrl(entryPage, wxID_ANY, "21:15", wxDefaultPosition, wxDefaultSize,
                               wxTE_READONLY | wxTE_CENTRE, wxDefaultValidator, "ID_TEXTCTRL3");
    stampRow->Add(timeField, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    entryColumn->Add(new wxStaticLine(entryPage, wxID_ANY, wxDefaultPosition, wxSize(10, -1), wxLI_HORIZONTAL,
                                      "ID_STATICLINE1"),
                     0, wxALL | wxEXPAND, 5);

    wxBoxSizer* summaryRow = AddPageRow(entryColumn);
    summaryRow->Add(NewLabel(entryPage, _("Summary:"), "ID_STATICTEXT6"), 0, wxALL | wxALIGN_CENTER_VERTICAL,
                    5);
    summaryField = new wxTextCtrl(entryPage, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "ID_TEXTCTRL4");
    summaryRow->Add(summaryField, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    contentField = new wxTextCtrl(entryPage, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  wxTE_MULTILINE, wxDefaultValidator, "ID_TEXTCTRL5");
    AddPageRow(entryColumn, 1)->Add(contentField, 1, wxALL | wxEXPAND, 5);
    FitPanel(entryPage, entryColumn);

    // TRANSLATORS: the diary's tabs: the list of saved entries, and one entry.
    notebook->AddPage(historyPage, _("History"), false);
    notebook->AddPage(entryPage, _("Entry"), false);
    pageSizer->Add(notebook, 1, wxALL | wxEXPAND, 5);
    // The page already has its size in the window's notebook: laid out at
    // that size, not fitted to its content.
    page->SetSizer(pageSizer);
    page->Layout();

    // TRANSLATORS: the diary list's columns: the entry's date, its time of
    // day, and its summary.
    historyList->InsertColumn(0, _("Date"), wxLIST_FORMAT_CENTRE, wxLIST_AUTOSIZE);
    historyList->InsertColumn(1, _("Time"), wxLIST_FORMAT_CENTRE, wxLIST_AUTOSIZE);
    historyList->InsertColumn(2, _("Summary"), wxLIST_FORMAT_LEFT, wxLIST_AUTOSIZE_USEHEADER);

    // What was read at start-up, and the entry stamped then; the diary still
    // being read beside the window shows once its reading has ended.
    if (readPath.empty())
        ShowHistory();
    StampEntry(false, startMoment.IsValid() ? startMoment : wxDateTime::Now());
    // The read-only fields' grey is the theme's: taken again when it changes.
    Bind(wxEVT_SYS_COLOUR_CHANGED, [this](wxSysColourChangedEvent& event) {
        ShowState();
        event.Skip();
    });
}
