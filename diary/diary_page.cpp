// Diary page: the history list and composing entries.
#include <wx/datetime.h>
#include <wx/filename.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <tinyxml2.h>

#ifdef __WXGTK__
#include <gdk/gdk.h>
#endif

#include "app/resource_path.h"
#include "app/vitrel_frame.h"
#include "diary/diary_file.h"
#include "diary/history_list_view.h"

namespace {
const char* const DiaryFileName = "DiaryHistoryDB.xml";

// A diary file from this size on (about 5,000 entries) is read beside the
// window at start-up: reading a long one takes longer than opening the window.
constexpr std::uintmax_t ReadBesideFromBytes = 1 << 20;
}  // namespace

void wxVitrelFrame::ReadDiaryAtStart(const char* path)
{
    const FileStamp stamp = StampOf(path);
    if (!stamp.exists || stamp.size < ReadBesideFromBytes) {
        RefreshHistoryList(path);
        return;
    }
    // While diaryReadPath is set, the diary is being read or about to be. The
    // reader touches only the document, path and result it is given here,
    // and hands them over once it has ended.
    diaryReadPath = path;
    diaryReadStamp = stamp;
    diaryBeingRead = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    // Started once the window is up: before, it would take processor time
    // from opening the window.
    CallAfter([this] {
        if (diaryReadPath.empty() || diaryReader.joinable())
            return;
        diaryReader = std::thread([this] {
            diaryReadResult = LoadHistory(*diaryBeingRead, diaryReadPath.c_str());
            CallAfter(&wxVitrelFrame::FinishDiaryReading);
        });
    });
}

void wxVitrelFrame::FinishDiaryReading()
{
    if (diaryReadPath.empty())
        return;
    if (diaryReader.joinable())
        diaryReader.join();
    else  // needed before the reader was started
        diaryReadResult = LoadHistory(*diaryBeingRead, diaryReadPath.c_str());
    const std::string path = diaryReadPath;
    diaryReadPath.clear();
    historyList->ShowNothing();
    HistoryDocument = std::move(diaryBeingRead);
    historyStamp = diaryReadResult == HistoryLoadResult::Loaded ? diaryReadStamp : FileStamp();
    RefreshHistoryList(path.c_str());
}

void wxVitrelFrame::RefreshHistoryList(const char* path)
{
    FinishDiaryReading();
    // A file unchanged since the document was read from it is not read
    // again: for a long diary that reading is nearly all of a refresh. The
    // stamp is taken first, so a change made while reading shows next time.
    const FileStamp stamp = StampOf(path);
    if (!stamp.exists || !(stamp == historyStamp)) {
        // The list reads its rows from the document: it must let go of them
        // before the document is reloaded.
        historyList->ShowNothing();
        historyStamp = LoadHistory(*HistoryDocument, path) == HistoryLoadResult::Loaded ? stamp : FileStamp();
    }
    historyList->ShowEntries(*HistoryDocument);
    // Date and Time fit what they now hold (the rows on show) and what New
    // writes, and never get narrower than their titles; Summary takes the rest
    // of the row.
    const wxDateTime now = wxDateTime::Now();
    historyList->SetColumnWidth(0, historyList->WidthToShow(0, now.Format("%x")));
    historyList->SetColumnWidth(1, historyList->WidthToShow(1, now.Format("%X")));
    FitSummaryColumn();
}

void wxVitrelFrame::OnHistoryItemActivated(wxListEvent& event)
{
    FinishDiaryReading();
    DiaryEntry entry;
    if (!ReadHistoryEntry(*HistoryDocument, static_cast<int>(event.GetIndex()), entry))
        return;
    // Asked as for New; a save reloads the document, so the entry is read again.
    if (!SettleUnsavedDiaryEntry(true)
        || !ReadHistoryEntry(*HistoryDocument, static_cast<int>(event.GetIndex()), entry))
        return;
    diaryNotebook->SetSelection(1);
    diaryDateField->SetValue(wxString::FromUTF8(entry.Date));
    diaryDateField->SetEditable(false);
    diaryTimeField->SetValue(wxString::FromUTF8(entry.Time));
    diaryTimeField->SetEditable(false);
    diarySummaryField->SetValue(wxString::FromUTF8(entry.Summary));
    diarySummaryField->SetEditable(false);
    diaryContentField->SetValue(wxString::FromUTF8(entry.Content));
    diaryContentField->SetEditable(false);
    ShowDiaryState();
}

void wxVitrelFrame::OnHistoryColumnEndDrag(wxListEvent& event)
{
    FitSummaryColumn();
    event.Skip();
}

void wxVitrelFrame::FitSummaryColumn()
{
    // At least as wide as its header, and filling the rest of the row.
    historyList->SetColumnWidth(2, wxLIST_AUTOSIZE_USEHEADER);
    const int rest =
        historyList->GetClientSize().x - historyList->GetColumnWidth(0) - historyList->GetColumnWidth(1);
    if (rest > historyList->GetColumnWidth(2))
        historyList->SetColumnWidth(2, rest);
}

void wxVitrelFrame::StampDiaryEntry(bool composing)
{
    // The entry is stamped with this moment, in the user's formats (LC_TIME
    // comes from the environment); Date and Time stay read-only.
    const wxDateTime now = wxDateTime::Now();
    diaryTimeField->SetValue(now.Format("%X"));
    diaryDateField->SetValue(now.Format("%x"));
    diarySummaryField->SetValue(wxEmptyString);
    diarySummaryField->SetEditable(composing);
    diaryContentField->SetValue(wxEmptyString);
    diaryContentField->SetEditable(composing);
    ShowDiaryState();
}

// GTK draws a read-only field like an editable one, caret and all: the fields
// that cannot be edited get the grey of the window's face, as on Windows.
void wxVitrelFrame::ShowDiaryState()
{
    const wxColour readOnly = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    for (wxTextCtrl* field : {diaryDateField, diaryTimeField, diarySummaryField, diaryContentField}) {
        field->SetBackgroundColour(field->IsEditable() ? wxNullColour : readOnly);
        field->Refresh();
    }
    // The row keeps its height, so the fields do not move.
    diaryHint->SetLabel(diarySummaryField->IsEditable() ? wxString() : _("Press New to write an entry"));
}

void wxVitrelFrame::OnDiaryNewClick(wxCommandEvent&)
{
    if (SettleUnsavedDiaryEntry(true))
        StampDiaryEntry(true);
}

// The message boxes look their texts up for translation themselves.
void wxVitrelFrame::OnDiarySaveClick(wxCommandEvent&)
{
    // Only an entry started with "New" can be saved: saved entries never change.
    if (!diarySummaryField->IsEditable()) {
        ShowNotice("Existing entry cannot be saved !!!", "Warning");
        return;
    }
    if (ConfirmAction("Do you want to save entry to history ?", "Save Entry to History"))
        SaveComposedEntry();
    else
        RefreshHistoryList(ResourceFilePath(DiaryFileName).c_str());
}

bool wxVitrelFrame::SaveComposedEntry()
{
    FinishDiaryReading();
    DiaryEntry entry;
    entry.Date = diaryDateField->GetValue().utf8_string();
    entry.Time = diaryTimeField->GetValue().utf8_string();
    entry.Summary = diarySummaryField->GetValue().utf8_string();
    entry.Content = diaryContentField->GetValue().utf8_string();
    // On failure the page stays composing, so what the user wrote is still
    // there to save again or copy elsewhere. The append reloads the
    // document the list reads from.
    historyList->ShowNothing();
    historyStamp = FileStamp();
    std::string keptAs;
    const HistorySaveResult result =
        AppendHistoryEntry(*HistoryDocument, ResourceFilePath(DiaryFileName).c_str(), entry, &keptAs);
    switch (result) {
        case HistorySaveResult::Saved:
            diarySummaryField->SetEditable(false);
            diaryContentField->SetEditable(false);
            ShowDiaryState();
            break;
        case HistorySaveResult::StartedAnew: {
            diarySummaryField->SetEditable(false);
            diaryContentField->SetEditable(false);
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
    RefreshHistoryList(ResourceFilePath(DiaryFileName).c_str());
    return result == HistorySaveResult::Saved || result == HistorySaveResult::StartedAnew;
}

// Typed text of an entry being composed is not dropped without a word, when
// "New" starts another entry, another entry is opened or the program closes.
// Cancel goes back to the text, unless the program is closing for good; a
// save that fails keeps the text on the page where it can stay.
bool wxVitrelFrame::SettleUnsavedDiaryEntry(bool mayStay)
{
    if (!diarySummaryField->IsEditable() || (diarySummaryField->IsEmpty() && diaryContentField->IsEmpty()))
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

void wxVitrelFrame::OnFrameClose(wxCloseEvent& event)
{
    if (!SettleUnsavedDiaryEntry(event.CanVeto())) {
        event.Veto();
        return;
    }
    // The window goes now. The exit save forces its file and folder to the
    // disk, which on a busy machine takes seconds: a window left on screen
    // that long is a close box that seems to do nothing, and a second click
    // does nothing either. No tick runs meanwhile.
    deviceTimer.Stop();
    Hide();
#ifdef __WXGTK__
    gdk_display_flush(gdk_display_get_default());
#endif
    event.Skip();
}
