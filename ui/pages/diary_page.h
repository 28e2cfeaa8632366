#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <wx/datetime.h>
#include <wx/panel.h>

#include "diary/diary_file.h"

class wxButton;
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
class DiaryPage : public wxPanel {
public:
    explicit DiaryPage(wxWindow* parent);
    ~DiaryPage() override;

    // Reads the diary at `path` into the list and stamps the entry with this
    // moment, viewing, not composing: Save warns until New.
    void ReadAtStart(const char* path);
    // The list from the diary file at `path`.
    void RefreshHistoryList(const char* path);

    // What the page's handlers do: a row activated, New, Save, Close; the
    // Summary column fitted to the row; the page shown.
    void OpenEntry(long row);
    void NewEntry();
    void SaveEntry();
    void CloseEntry();
    void FitSummaryColumn();
    void Shown();
    // Asks whether typed, unsaved entry text is to be saved; false when the
    // page is to stay as it is (the user went back, or the save failed).
    bool SettleUnsavedEntry(bool mayStay);

    // A programme the stick confirmed, now: noted in the diary unless the
    // user switched the notes off. `treatment` is its title, empty for a
    // custom pattern; `bodySpot` the spot chosen, empty for none; `port` the
    // stick's one-based port number; `late` when the stick confirmed it after
    // the check's deadline.
    void NoteProgramme(const wxString& treatment, const FiringPattern& pattern, const wxString& bodySpot,
                       int port, bool late);
    // Told an English notice (looked up for translation when shown) to show
    // once no other box is open: a note that could not be added.
    std::function<void(const char* message)> postNotice;

    // Makes the page's controls unless they exist; tells contentCreated,
    // for binding their events.
    void CreateContent();
    bool HasContent() const { return notebook != nullptr; }
    std::function<void()> contentCreated;

    // The controls whose events the frame binds; null until CreateContent.
    wxWindow* HistoryList() const;
    wxWindow* NewButton() const;
    wxWindow* SaveButton() const;
    wxWindow* CloseButton() const;

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
    wxButton* newButton = nullptr;  // ID_BUTTON13
    wxButton* saveButton = nullptr;  // ID_BUTTON12
    wxButton* closeButton = nullptr;  // ID_BUTTON14
    wxTextCtrl* dateField = nullptr;  // ID_TEXTCTRL2
    wxTextCtrl* timeField = nullptr;  // ID_TEXTCTRL3
    wxTextCtrl* summaryField = nullptr;  // ID_TEXTCTRL4
    wxTextCtrl* contentField = nullptr;  // ID_TEXTCTRL5
    wxStaticText* hint = nullptr;  // ID_STATICTEXT40
    DiaryRecordPanel* record = nullptr;  // ID_PANEL22: programme notes, export, print

    wxDateTime startMoment;  // the entry's stamp until the page is first shown
    std::unique_ptr<tinyxml2::XMLDocument> document;
    FileStamp documentStamp;  // the diary file as the document holds it; empty when it may differ
    std::thread reader;  // reads a long diary at start-up into beingRead
    std::unique_ptr<tinyxml2::XMLDocument> beingRead;
    HistoryLoadResult readResult = HistoryLoadResult::NoFile;
    FileStamp readStamp;
    std::string readPath;
};
