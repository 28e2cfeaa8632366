#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <wx/datetime.h>
#include <wx/panel.h>

#include "diary/diary_file.h"
#include "ui/pages/notebook_page.h"

class wxNotebook;
class wxStaticText;
class wxTextCtrl;
class DiaryRecordPanel;
class HistoryListView;
struct FiringPattern;
namespace tinyxml2 {
class XMLDocument;
}

// The Diary page: the history list of "DiaryHistoryDB.xml" with the box that
// notes programmes and the Export and Print buttons under it, and one entry,
// viewed or being composed. A long diary is read beside the window at
// start-up; whatever needs the diary before that reading has ended waits
// for it. The page's controls are made when it is first shown, or when a
// programme is noted before that; until then the page keeps to the document.
// Their events reach the frame by their ids (ui/common/window_ids.h).
class DiaryPage : public wxPanel, public NotebookPage {
public:
    explicit DiaryPage(wxWindow* parent);
    ~DiaryPage() override;

    // Reads the diary at `path` into the list and stamps the entry with this
    // moment, viewing, not composing: Save warns until New.
    void ReadAtStart(const char* path);
    // The list from the diary file at `path`.
    void RefreshHistoryList(const char* path);

    // What the page's handlers do: a row activated, New, Save, Close; the
    // Summary column fitted to the row.
    void OpenEntry(long row);
    void NewEntry();
    void SaveEntry();
    void CloseEntry();
    void FitSummaryColumn();
    // Asks whether typed, unsaved entry text is to be saved; false when the
    // page is to stay as it is (the user went back, or the save failed).
    bool SettleUnsavedEntry(bool mayStay);

    // A programme the stick confirmed, now: noted in the diary unless the
    // user switched the notes off. `treatment` is its title, empty for a
    // custom pattern; `bodySpot` the treatment's body spot, empty for none;
    // `port` the stick's port as the "On the stick" band names it; `late`
    // when the stick confirmed it after the check's deadline.
    void NoteProgramme(const wxString& treatment, const FiringPattern& pattern, const wxString& bodySpot,
                       const wxString& port, bool late);
    // Told an English notice (looked up for translation when shown) to show
    // once no other box is open: a note that could not be added.
    std::function<void(const char* message)> postNotice;

    // Makes the page's controls unless they exist.
    void CreateContent() override;
    bool HasContent() const { return notebook != nullptr; }
    // The page in view: the diary read beside the window shown, and the
    // Summary column fitted to the list's final width.
    void Shown() override;

private:
    void ReadFile(const char* path);
    void FinishReading();
    // The current moment into Date and Time, Summary and Content emptied and
    // editable only when composing.
    void StampEntry(bool composing, const wxDateTime& moment = wxDateTime::Now());
    // The document's entries into the list, its columns fitted.
    void ShowHistory();
    // Appends the entry being composed, telling the user when it failed.
    bool SaveComposedEntry();
    // Summary and Content look read-only while viewing, and the hint tells
    // how to write an entry.
    void ShowState();

    wxNotebook* notebook = nullptr;  // ID_NOTEBOOK1
    HistoryListView* historyList = nullptr;  // ID_LISTVIEW1
    wxTextCtrl* dateField = nullptr;  // ID_TEXTCTRL2
    wxTextCtrl* timeField = nullptr;  // ID_TEXTCTRL3
    wxTextCtrl* summaryField = nullptr;  // ID_TEXTCTRL4
    wxTextCtrl* contentField = nullptr;  // ID_TEXTCTRL5
    wxStaticText* hint = nullptr;  // ID_STATICTEXT40
    DiaryRecordPanel* record = nullptr;  // ID_PANEL22: programme notes, export, print

    wxDateTime startMoment;  // the entry's stamp until the page is first shown
    // The diary as last read: row k of the list is its entry k.
    std::unique_ptr<tinyxml2::XMLDocument> HistoryDocument;
    FileStamp historyStamp;  // the diary file as HistoryDocument holds it; empty when it may differ
    std::thread reader;  // reads a long diary at start-up into beingRead
    std::unique_ptr<tinyxml2::XMLDocument> beingRead;
    HistoryLoadResult readResult = HistoryLoadResult::NoFile;
    FileStamp readStamp;
    std::string readPath;
};
