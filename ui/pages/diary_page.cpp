// Diary page: the history list and composing entries.
#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/event.h>
#include <wx/filename.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <tinyxml2.h>

#include "diary/diary_file.h"
#include "ui/common/resource_path.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/diary_record_panel.h"
#include "ui/widgets/history_list_view.h"
#include "ui/widgets/message_boxes.h"

namespace {
// A diary file from this size on (about 5,000 entries) is read beside the
// window at start-up: reading a long one takes longer than opening the window.
constexpr std::uintmax_t ReadBesideFromBytes = 1 << 20;
}  // namespace

DiaryPage::~DiaryPage()
{
    if (reader.joinable())
        reader.join();
}

void DiaryPage::ReadAtStart(const char* path)
{
    // The settings the page's controls will show are read now too, with the
    // diary: the switch for programme notes.
    ProgrammeNotesWanted();
    startMoment = wxDateTime::Now();
    ReadFile(path);
    if (HasContent())
        StampEntry(false, startMoment);
}

void DiaryPage::ReadFile(const char* path)
{
    const FileStamp stamp = StampOf(path);
    if (!stamp.exists || stamp.size < ReadBesideFromBytes) {
        RefreshHistoryList(path);
        return;
    }
    // While readPath is set, the diary is being read or about to be. The
    // reader touches only the document, path and result it is given here,
    // and hands them over once it has ended.
    readPath = path;
    readStamp = stamp;
    beingRead = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    // Started once the window is up: before, it would take processor time
    // from opening the window.
    CallAfter([this] {
        if (readPath.empty() || reader.joinable())
            return;
        reader = std::thread([this] {
            readResult = LoadHistory(*beingRead, readPath.c_str());
            CallAfter(&DiaryPage::FinishReading);
        });
    });
}

void DiaryPage::FinishReading()
{
    if (readPath.empty())
        return;
    if (reader.joinable())
        reader.join();
    else  // needed before the reader was started
        readResult = LoadHistory(*beingRead, readPath.c_str());
    const std::string path = readPath;
    readPath.clear();
    if (historyList != nullptr)
        historyList->ShowNothing();
    HistoryDocument = std::move(beingRead);
    historyStamp = readResult == HistoryLoadResult::Loaded ? readStamp : FileStamp();
    RefreshHistoryList(path.c_str());
}

void DiaryPage::RefreshHistoryList(const char* path)
{
    FinishReading();
    // A file unchanged since the document was read from it is not read
    // again: for a long diary that reading is nearly all of a refresh. The
    // stamp is taken first, so a change made while reading shows next time.
    const FileStamp stamp = StampOf(path);
    if (!stamp.exists || !(stamp == historyStamp)) {
        // The list reads its rows from the document: it must let go of them
        // before the document is reloaded.
        if (historyList != nullptr)
            historyList->ShowNothing();
        historyStamp = LoadHistory(*HistoryDocument, path) == HistoryLoadResult::Loaded ? stamp : FileStamp();
    }
    if (HasContent())
        ShowHistory();
}

void DiaryPage::ShowHistory()
{
    historyList->ShowEntries(*HistoryDocument);
    // Date and Time fit what they now hold (the rows on show) and what New
    // writes, and never get narrower than their titles; Summary takes the rest
    // of the row.
    const wxDateTime now = wxDateTime::Now();
    historyList->SetColumnWidth(0, historyList->WidthToShow(0, now.Format("%x")));
    historyList->SetColumnWidth(1, historyList->WidthToShow(1, now.Format("%X")));
    FitSummaryColumn();
}

void DiaryPage::OpenEntry(long row)
{
    CreateContent();
    FinishReading();
    DiaryEntry entry;
    if (!ReadHistoryEntry(*HistoryDocument, static_cast<int>(row), entry))
        return;
    // Asked as for New; a save reloads the document, so the entry is read again.
    if (!SettleUnsavedEntry(true) || !ReadHistoryEntry(*HistoryDocument, static_cast<int>(row), entry))
        return;
    notebook->SetSelection(1);
    dateField->SetValue(wxString::FromUTF8(entry.Date));
    dateField->SetEditable(false);
    timeField->SetValue(wxString::FromUTF8(entry.Time));
    timeField->SetEditable(false);
    summaryField->SetValue(wxString::FromUTF8(entry.Summary));
    summaryField->SetEditable(false);
    contentField->SetValue(wxString::FromUTF8(entry.Content));
    contentField->SetEditable(false);
    ShowState();
}

void DiaryPage::FitSummaryColumn()
{
    if (!HasContent())
        return;
    // At least as wide as its header, and filling the rest of the row.
    historyList->SetColumnWidth(2, wxLIST_AUTOSIZE_USEHEADER);
    const int rest =
        historyList->GetClientSize().x - historyList->GetColumnWidth(0) - historyList->GetColumnWidth(1);
    if (rest > historyList->GetColumnWidth(2))
        historyList->SetColumnWidth(2, rest);
}

void DiaryPage::StampEntry(bool composing, const wxDateTime& now)
{
    // The entry is stamped with this moment, in the user's formats (LC_TIME
    // comes from the environment); Date and Time stay read-only.
    timeField->SetValue(now.Format("%X"));
    dateField->SetValue(now.Format("%x"));
    summaryField->SetValue(wxEmptyString);
    summaryField->SetEditable(composing);
    contentField->SetValue(wxEmptyString);
    contentField->SetEditable(composing);
    ShowState();
}

// GTK draws a read-only field like an editable one, caret and all: the fields
// that cannot be edited get the grey of the window's face, as on Windows.
void DiaryPage::ShowState()
{
    const wxColour readOnly = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    for (wxTextCtrl* field : {dateField, timeField, summaryField, contentField}) {
        field->SetBackgroundColour(field->IsEditable() ? wxNullColour : readOnly);
        field->Refresh();
    }
    // The row keeps its height, so the fields do not move.
    hint->SetLabel(summaryField->IsEditable() ? wxString() : _("Press New to write an entry"));
}

void DiaryPage::NewEntry()
{
    CreateContent();
    if (SettleUnsavedEntry(true))
        StampEntry(true);
}

// The message boxes look their texts up for translation themselves.
void DiaryPage::SaveEntry()
{
    CreateContent();
    // Only an entry started with "New" can be saved: saved entries never change.
    if (!summaryField->IsEditable()) {
        ShowNotice("Existing entry cannot be saved !!!", "Warning");
        return;
    }
    if (ConfirmAction("Do you want to save entry to history ?", "Save Entry to History"))
        SaveComposedEntry();
    else
        RefreshHistoryList(DiaryFilePath().c_str());
}

bool DiaryPage::SaveComposedEntry()
{
    FinishReading();
    DiaryEntry entry;
    entry.Date = dateField->GetValue().utf8_string();
    entry.Time = timeField->GetValue().utf8_string();
    entry.Summary = summaryField->GetValue().utf8_string();
    entry.Content = contentField->GetValue().utf8_string();
    // On failure the page stays composing, so what the user wrote is still
    // there to save again or copy elsewhere. The append reloads the
    // document the list reads from.
    historyList->ShowNothing();
    historyStamp = FileStamp();
    std::string keptAs;
    const HistorySaveResult result =
        AppendHistoryEntry(*HistoryDocument, DiaryFilePath().c_str(), entry, &keptAs);
    switch (result) {
        case HistorySaveResult::Saved:
            summaryField->SetEditable(false);
            contentField->SetEditable(false);
            ShowState();
            break;
        case HistorySaveResult::StartedAnew: {
            summaryField->SetEditable(false);
            contentField->SetEditable(false);
            wxFileName kept(wxString(keptAs.c_str(), *wxConvFileName));
            kept.MakeAbsolute();
            ShowNotice(wxString::Format(_("The diary file \"DiaryHistoryDB.xml\" could not be written back "
                                          "unchanged, so it was kept as it is under this name:\n%s\nA new "
                                          "diary file was started with every entry that could be read from "
                                          "it and the entry you saved."),
                                        kept.GetFullPath()),
                       "Warning");
            break;
        }
        case HistorySaveResult::Unreadable:
            ShowNotice("The diary file \"DiaryHistoryDB.xml\" could not be read, so the entry "
                       "was not saved. The file was left as it is.",
                       "Warning");
            break;
        case HistorySaveResult::NotWritten:
            ShowNotice("The diary file \"DiaryHistoryDB.xml\" could not be written, so the "
                       "entry was not saved.",
                       "Warning");
            break;
    }
    RefreshHistoryList(DiaryFilePath().c_str());
    return result == HistorySaveResult::Saved || result == HistorySaveResult::StartedAnew;
}

// Typed text of an entry being composed is not dropped without a word, when
// "New" starts another entry, another entry is opened or the program closes.
// Cancel goes back to the text, unless the program is closing for good; a
// save that fails keeps the text on the page where it can stay.
bool DiaryPage::SettleUnsavedEntry(bool mayStay)
{
    // A page never shown holds no typed text.
    if (!HasContent() || !summaryField->IsEditable() || (summaryField->IsEmpty() && contentField->IsEmpty()))
        return true;
    switch (AskYesNo("The diary entry you are writing has not been saved. Do you want to save it?",
                     "Save Entry to History", mayStay)) {
        case wxID_YES:
            return SaveComposedEntry() || !mayStay;
        case wxID_NO:
            return true;
        default:  // Cancel, or the box closed
            return !mayStay;
    }
}

void DiaryPage::NoteProgramme(const wxString& treatment, const FiringPattern& pattern,
                              const wxString& bodySpot, const wxString& port, bool late)
{
    // The switch for the notes is on the page: its controls are made now if
    // it was never shown.
    CreateContent();
    record->NoteProgramme(treatment, pattern, bodySpot, port, late);
}

void DiaryPage::CloseEntry()
{
    CreateContent();
    notebook->SetSelection(0);
}

// The list gets its final width only once its page is laid out: the Summary
// column fills the row from the first time the diary is shown.
void DiaryPage::Shown()
{
    FinishReading();
    FitSummaryColumn();
}
