#include "ui/pages/diary_record_panel.h"

#include <algorithm>
#include <utility>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/calctrl.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>
#if wxUSE_HTML
#include <wx/html/htmprint.h>
#include <wx/prntbase.h>
#endif

#include <tinyxml2.h>

#include "diary/diary_export.h"
#include "files/atomic_file.h"
#include "treatments/firing_pattern.h"
#include "ui/common/resource_path.h"
#include "ui/common/translations.h"
#include "ui/widgets/export_file.h"
#include "ui/widgets/message_boxes.h"

namespace {
const char* const NotesKey = "Diary/NoteProgrammes";
const char* const ExportCaption = wxTRANSLATE("Export Diary");
const char* const PrintCaption = wxTRANSLATE("Print Diary");
// Labels with a character beyond ASCII: the C library's conversion, which
// the toolkit uses for a char* text, is that of the "C" locale.
const char* const ExportLabel = wxTRANSLATE("Export…");
const char* const PrintLabel = wxTRANSLATE("Print…");
const char* const UnreadableNotice = wxTRANSLATE(
    "The diary file \"DiaryHistoryDB.xml\" could not be read, so nothing was exported or printed.");
const char* const NoteNotAddedNotice =
    wxTRANSLATE("The programme was written and checked, but the note of it could not be added to the "
                "diary file \"DiaryHistoryDB.xml\".");
const char* const NoteStartedAnewNotice =
    wxTRANSLATE("The diary file \"DiaryHistoryDB.xml\" could not be written back unchanged, so it was kept "
                "as it is under a new name in the same folder. A new diary file was started with every "
                "entry that could be read from it and the note of the programme written.");

#ifndef __WXMSW__
// The settings file in the user's config folder, named so that the program
// and its test programs share it whatever their executable's name.
wxFileName SettingsFile()
{
    wxString folder;
    if (!wxGetEnv("XDG_CONFIG_HOME", &folder) || !wxIsAbsolutePath(folder))
        folder = wxFileName::GetHomeDir() + "/.config";
    return wxFileName(folder + "/vitrel", "vitrel.conf");
}
#endif

// The program's settings: that file on Linux, the program's registry key on
// Windows. Made here, also when the toolkit has made a default one of its
// own, which would lie elsewhere.
wxConfigBase* Settings()
{
    static wxConfigBase* made = nullptr;
    if (made == nullptr || wxConfigBase::Get(false) != made) {
#ifdef __WXMSW__
        made = new wxConfig("Vitrel", "Vitrel");
#else
        made = new wxConfig("vitrel", wxEmptyString, SettingsFile().GetFullPath(), wxEmptyString,
                            wxCONFIG_USE_LOCAL_FILE);
#endif
        delete wxConfigBase::Set(made);
    }
    return made;
}

// A number that orders days: entries are compared by their day only.
long DayKey(const wxDateTime& date)
{
    return date.GetYear() * 10000L + (date.GetMonth() + 1) * 100L + date.GetDay();
}

// The day of a diary entry's Date text: read in the desktop's date format,
// which wrote it, or else as any date the toolkit reads.
bool DayOfDiaryDate(const std::string& date, long& day)
{
    static const DiaryDateReader reader(wxDateTime(3, wxDateTime::Feb, 2001).Format("%x").utf8_string());
    if (reader.DayOf(date, day))
        return true;
    const wxString text = wxString::FromUTF8(date);
    wxDateTime parsed;
    wxString::const_iterator end;
    if (!parsed.ParseDate(text, &end))
        return false;
    day = DayKey(parsed);
    return true;
}
}  // namespace

bool ProgrammeNotesWanted()
{
    return Settings()->ReadBool(NotesKey, true);
}

void SetProgrammeNotesWanted(bool wanted)
{
#ifndef __WXMSW__
    // The toolkit writes the file, but leaves making its folder to us.
    wxFileName::Mkdir(SettingsFile().GetPath(), 0700, wxPATH_MKDIR_FULL);
#endif
    Settings()->Write(NotesKey, wanted);
    Settings()->Flush();
}

DiaryPeriodDialog::DiaryPeriodDialog(wxWindow* parent, const wxString& caption)
    : wxDialog(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE,
               "ID_DIALOG2")
{
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    every = new wxRadioButton(this, wxID_ANY, _("All entries"), wxDefaultPosition, wxDefaultSize, wxRB_GROUP,
                              wxDefaultValidator, "ID_RADIOBUTTON1");
    wxRadioButton* between =
        new wxRadioButton(this, wxID_ANY, _("Only the entries of these days:"), wxDefaultPosition,
                          wxDefaultSize, 0, wxDefaultValidator, "ID_RADIOBUTTON2");
    column->Add(every, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(between, 0, wxLEFT | wxRIGHT | wxTOP, 10);

    // Calendars, not date fields: they show the desktop's month and day
    // names, where a date field would write the date in the toolkit's own
    // format, not the desktop's.
    wxFlexGridSizer* dates = new wxFlexGridSizer(2, 5, 20);
    const wxDateTime today = wxDateTime::Today();
    // TRANSLATORS: above the two calendars of the entries to export or print.
    dates->Add(new wxStaticText(this, wxID_ANY, _("First day:")));
    dates->Add(new wxStaticText(this, wxID_ANY, _("Last day:")));
    from = new wxCalendarCtrl(this, wxID_ANY, today - wxDateSpan::Month(), wxDefaultPosition, wxDefaultSize,
                              wxCAL_SHOW_HOLIDAYS, "ID_CALENDARCTRL1");
    to = new wxCalendarCtrl(this, wxID_ANY, today, wxDefaultPosition, wxDefaultSize, wxCAL_SHOW_HOLIDAYS,
                            "ID_CALENDARCTRL2");
    dates->Add(from);
    dates->Add(to);
    column->Add(dates, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);

    every->SetValue(true);
    from->Disable();
    to->Disable();
    Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
        from->Enable(!every->GetValue());
        to->Enable(!every->GetValue());
    });
}

bool DiaryPeriodDialog::EveryEntry() const
{
    return every->GetValue();
}

wxDateTime DiaryPeriodDialog::From() const
{
    return std::min(from->GetDate(), to->GetDate());
}

wxDateTime DiaryPeriodDialog::To() const
{
    return std::max(from->GetDate(), to->GetDate());
}

DiaryRecordPanel::DiaryRecordPanel(wxWindow* page, std::function<void()> refreshList,
                                   std::function<void(const char* message)> postNotice)
    : wxPanel(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL22"),
      refreshList(std::move(refreshList)),
      postNotice(std::move(postNotice))
{
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    notesBox = new wxCheckBox(this, wxID_ANY, _("Note every programme written in the diary"),
                              wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "ID_CHECKBOX7");
    notesBox->SetValue(ProgrammeNotesWanted());
    notesBox->Bind(wxEVT_CHECKBOX,
                   [this](wxCommandEvent&) { SetProgrammeNotesWanted(notesBox->GetValue()); });
    column->Add(notesBox, 0, wxLEFT | wxRIGHT, 5);

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    wxButton* exportButton =
        new wxButton(this, wxID_ANY, wxGetTranslation(wxString::FromUTF8(ExportLabel)), wxDefaultPosition,
                     wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON16");
    exportButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Export(); });
    buttons->Add(exportButton, 0, wxALL, 5);
#if wxUSE_HTML
    wxButton* printButton =
        new wxButton(this, wxID_ANY, wxGetTranslation(wxString::FromUTF8(PrintLabel)), wxDefaultPosition,
                     wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON17");
    printButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Print(); });
    buttons->Add(printButton, 0, wxALL, 5);
#endif
    column->Add(buttons, 0, wxEXPAND);
    SetSizerAndFit(column);
}

DiaryRecordPanel::~DiaryRecordPanel() = default;

void DiaryRecordPanel::NoteProgramme(const wxString& treatment, const FiringPattern& pattern,
                                     const wxString& bodySpot, const wxString& port, bool late)
{
    if (!notesBox->GetValue())
        return;
    // Stamped as the page stamps a new entry: the desktop's formats.
    const wxDateTime now = wxDateTime::Now();
    WrittenProgramme written;
    written.date = now.Format("%x").utf8_string();
    written.time = now.Format("%X").utf8_string();
    written.treatment = treatment.utf8_string();
    // What the write sent: the slot count times the base frequency.
    written.slotFrequency = pattern.NumberOfSlots * pattern.BaseFrequency;
    for (int i = 0; i < pattern.NumberOfSlots; ++i)
        written.slots.push_back(pattern.Slot[i] == 1);
    written.bodySpot = bodySpot.utf8_string();
    written.port = port.utf8_string();
    written.late = late;

    ProgrammeNoteTexts texts;
    // TRANSLATORS: the summary of the diary entry that notes a programme
    // written to the stick; %s is the treatment's title.
    texts.summaryTreatment = _("Programme written: %s").utf8_string();
    texts.summaryCustom = _("Programme written: custom pattern").utf8_string();
    // TRANSLATORS: lines of that entry; %s is a number with a '.' point, a
    // count, the pattern drawn as squares, a body spot, a port ("/dev/ttyACM1"
    // or "COM3").
    texts.slotFrequency = _("Slot frequency: %s Hz").utf8_string();
    texts.slotCount = _("Number of slots: %s").utf8_string();
    texts.pattern = _("Pattern: %s").utf8_string();
    texts.bodySpot = _("Body spot: %s").utf8_string();
    texts.port = _("Port: %s").utf8_string();
    texts.late = _("The stick confirmed it late, after the check had ended.").utf8_string();
    const DiaryEntry note = ProgrammeNote(written, texts);

    // After the current event: a device tick does not wait for the disk. The
    // append takes the diary's lock and leaves an entry being written alone.
    CallAfter([this, note] {
        tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
        const HistorySaveResult result = AppendHistoryEntry(doc, DiaryFilePath().c_str(), note);
        refreshList();
        if (result == HistorySaveResult::StartedAnew)
            postNotice(NoteStartedAnewNotice);
        else if (result != HistorySaveResult::Saved)
            postNotice(NoteNotAddedNotice);
    });
}

bool DiaryRecordPanel::ChooseEntries(const char* caption, std::vector<DiaryEntry>& entries, wxString& period)
{
    DiaryPeriodDialog dialog(this, wxGetTranslation(caption));
    if (dialog.ShowModal() != wxID_OK)
        return false;
    tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
    if (LoadHistory(doc, DiaryFilePath().c_str()) == HistoryLoadResult::Unreadable) {
        ShowNotice(UnreadableNotice, caption);
        return false;
    }
    entries = ReadHistoryEntries(doc);
    if (dialog.EveryEntry()) {
        period = _("All entries");
        return true;
    }
    // TRANSLATORS: the period of an exported or printed diary; the two %s
    // are dates in the desktop's format.
    period =
        wxString::Format(_("Entries from %s to %s"), dialog.From().Format("%x"), dialog.To().Format("%x"));
    entries = EntriesBetween(entries, DayKey(dialog.From()), DayKey(dialog.To()), DayOfDiaryDate);
    return true;
}

std::string DiaryRecordPanel::PageOf(const std::vector<DiaryEntry>& entries, const wxString& period) const
{
    const wxString language = TranslationLanguage();
    return DiaryHtml(entries, _("Vitrel diary").utf8_string(), period.utf8_string(),
                     language.empty() ? "en" : language.utf8_string());
}

void DiaryRecordPanel::Export()
{
    std::vector<DiaryEntry> entries;
    wxString period;
    if (!ChooseEntries(ExportCaption, entries, period))
        return;
    // Made once: it keeps the folder and the kind chosen last.
    if (exportDialog == nullptr)
        exportDialog =
            new wxFileDialog(this, wxGetTranslation(ExportCaption), wxStandardPaths::Get().GetDocumentsDir(),
                             "VitrelDiary.csv",
                             // TRANSLATORS: the kinds of file the diary is exported as.
                             _("Spreadsheet, CSV (*.csv)|*.csv|Web page, HTML (*.html)|*.html"), wxFD_SAVE);
    ExportFile chosen;
    if (!ChooseExportFile(*exportDialog, {"csv", "html"},
                          // TRANSLATORS: %s is the full path of the file chosen.
                          _("The diary was not exported: \"%s\" is one of Vitrel's own files. Please choose "
                            "another name or folder."),
                          ExportCaption, chosen))
        return;
    // The name says the kind.
    const wxString extension = chosen.name.GetExt().Lower();
    const bool html = extension == "html" || extension == "htm"
                      || (extension != "csv" && exportDialog->GetFilterIndex() == 1);
    DiaryColumnTitles titles;
    titles.date = _("Date").utf8_string();
    titles.time = _("Time").utf8_string();
    titles.summary = _("Summary").utf8_string();
    titles.content = _("Content").utf8_string();
    if (chosen.path.empty()
        || !SaveTextAtomically(html ? PageOf(entries, period) : DiaryCsv(entries, titles),
                               chosen.path.c_str()))
        // TRANSLATORS: %s is the full path of the file chosen.
        ShowNotice(wxString::Format(_("The diary could not be exported to \"%s\". Please choose another "
                                      "name or folder."),
                                    chosen.name.GetFullPath()),
                   ExportCaption);
}

#if wxUSE_HTML
void DiaryRecordPanel::Print()
{
    std::vector<DiaryEntry> entries;
    wxString period;
    if (!ChooseEntries(PrintCaption, entries, period))
        return;
    if (!printing) {
        printing = std::make_unique<wxHtmlEasyPrinting>(_("Vitrel diary"), wxGetTopLevelParent(this));
        // TRANSLATORS: under each printed page; keep @PAGENUM@ (this page's
        // number) and @PAGESCNT@ (the number of pages) as they are.
        printing->SetFooter("<p align=\"center\">" + _("Page @PAGENUM@ of @PAGESCNT@") + "</p>");
    }
    if (!printing->PreviewText(wxString::FromUTF8(PageOf(entries, period))))
        return;
    // The toolkit opens the preview at a fixed small size: as large as the
    // main window, it shows a whole page.
    wxWindow* window = wxGetTopLevelParent(this);
    for (wxWindow* preview : wxTopLevelWindows)
        if (dynamic_cast<wxPreviewFrame*>(preview) != nullptr) {
            preview->SetSize(window->GetRect());
            preview->Layout();
        }
}
#endif
