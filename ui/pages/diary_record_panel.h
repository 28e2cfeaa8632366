#pragma once
// The diary as a treatment record, on the Diary page: a box that has every
// programme the stick confirmed noted in the diary, and the diary exported
// (CSV or HTML) and printed for someone else to read.

#include <functional>
#include <memory>
#include <vector>

#include <wx/dialog.h>
#include <wx/panel.h>

#include "diary/diary_file.h"

class wxCheckBox;
class wxCalendarCtrlBase;
class wxFileDialog;
class wxHtmlEasyPrinting;
class wxRadioButton;
struct FiringPattern;

// Which entries an export or a printout holds: every one, or those of the
// days from one date to another.
class DiaryPeriodDialog : public wxDialog {
public:
    DiaryPeriodDialog(wxWindow* parent, const wxString& caption);

    bool EveryEntry() const;
    wxDateTime From() const;
    wxDateTime To() const;

private:
    wxRadioButton* every = nullptr;  // ID_RADIOBUTTON1
    wxCalendarCtrlBase* from = nullptr;  // ID_CALENDARCTRL1
    wxCalendarCtrlBase* to = nullptr;  // ID_CALENDARCTRL2
};

// Whether confirmed programmes are noted in the diary: on unless the user
// switched it off. Kept in the toolkit's configuration (a file in the user's
// config folder, $XDG_CONFIG_HOME/vitrel/vitrel.conf on Linux; the registry
// on Windows).
bool ProgrammeNotesWanted();
void SetProgrammeNotesWanted(bool wanted);

// The box "Note every programme written in the diary" and the buttons
// "Export…" and "Print…", placed under the history list.
class DiaryRecordPanel : public wxPanel {
public:
    // `refreshList` shows the diary file in the page's list again;
    // `postNotice` tells the user later, once no other box is open (English
    // text, looked up for translation when shown).
    DiaryRecordPanel(wxWindow* page, std::function<void()> refreshList,
                     std::function<void(const char* message)> postNotice);
    ~DiaryRecordPanel() override;

    // A programme the stick confirmed, now: noted in the diary when the box
    // is on, after the current event. `treatment` is its title, empty for a
    // custom pattern; `bodySpot` the treatment's body spot, empty for none;
    // `port` the stick's port as the "On the stick" band names it; `late`
    // when the stick confirmed it after the check's deadline.
    void NoteProgramme(const wxString& treatment, const FiringPattern& pattern, const wxString& bodySpot,
                       const wxString& port, bool late);

private:
    void Export();
#if wxUSE_HTML
    void Print();
#endif
    // The diary's entries of the period the user chooses, and that period
    // in words; false when the user cancelled or the diary cannot be read.
    bool ChooseEntries(const char* caption, std::vector<DiaryEntry>& entries, wxString& period);
    std::string PageOf(const std::vector<DiaryEntry>& entries, const wxString& period) const;

    std::function<void()> refreshList;
    std::function<void(const char* message)> postNotice;
    wxCheckBox* notesBox = nullptr;  // ID_CHECKBOX7
    wxFileDialog* exportDialog = nullptr;  // made when first asked for
#if wxUSE_HTML
    std::unique_ptr<wxHtmlEasyPrinting> printing;  // made when first asked for; keeps the page setup
#endif
};
