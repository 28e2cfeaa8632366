#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <wx/frame.h>
#include <wx/timer.h>

#include "device/battery_level.h"
#include "device/programme_check.h"
#include "treatments/body_spots.h"
#include "diary/diary_file.h"
#include "treatments/stick_programme.h"
#include "treatments/treatment_catalogue.h"

class wxBitmapButton;
class wxBoxSizer;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxFileDialog;
class wxGauge;
class HistoryListView;
class DiaryRecordPanel;
class wxListBox;
class wxListEvent;
class wxMediaCtrl;
class wxMediaEvent;
class wxMouseEvent;
class wxBookCtrlEvent;
class wxCloseEvent;
class wxNotebook;
class wxPanel;
class wxScrolledWindow;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;
class wxVitrelAboutPanelDialog;
class wxHtmlHelpController;
class wxUpdateUIEvent;
class PatternPreviewControl;
class StickAreaPanel;
struct DeviceLink;
namespace tinyxml2 {
class XMLDocument;
}

// The slot check boxes of the Advanced Settings page: box i shows slot i of the
// working pattern (checked = the slot fires).
struct SlotBoxes {
    wxCheckBox* boxes[FiringPattern::MaxSlots] = {};
    int count = 0;
    wxBoxSizer* sizer = nullptr;  // the scrolled window's sizer
};

// The modal message boxes of every question and refusal: no parent window.
// `message` and `caption` are the English texts, which the boxes look up
// for translation themselves: pass string literals (or constants marked
// with wxTRANSLATE), never _() texts. po/extract knows these helpers, so
// their literal arguments reach the translation template.
bool ConfirmAction(const char* message, const char* caption);
void ShowNotice(const char* message, const char* caption);
// A message already translated and filled in, for example
// wxString::Format(_("... %s ..."), name); only the caption is looked up.
void ShowNotice(const wxString& shownMessage, const char* caption);
bool ConfirmAction(const wxString& shownMessage, const char* caption);
// A question answered Yes or No, and Cancel when `cancellable`: wxID_YES,
// wxID_NO or wxID_CANCEL.
int AskYesNo(const char* message, const char* caption, bool cancellable);
// Starts counting the modal dialogs that are open, for notices posted for
// later (wxVitrelFrame::PostNotice); called once, before any dialog opens.
void WatchModalDialogs();

// What the user is told when the treatments list at `path` gave no
// treatment; empty when there is nothing to tell.
wxString CatalogueProblemNotice(CatalogueProblem problem, const wxString& path);

// The one main window. It owns every control, the device link and its timer,
// the treatments catalogue, the working XML documents and the dialogs. Its
// methods live beside the subsystem they serve.
class wxVitrelFrame : public wxFrame {
public:
    wxVitrelFrame(wxWindow* parent, wxWindowID id = -1);
    ~wxVitrelFrame() override;

    // Advanced Settings page (treatments/advanced_settings_page.cpp)
    void SaveAdvancedSettings(const char* path);
    void LoadAdvancedSettings(const char* path);
    void RebuildSlotBoxes(int count);
    void RefreshSlotPattern();
    std::vector<unsigned char> BuildSlotStateBytes() const;

    // Treatments page (treatments/treatment_flows.cpp)
    void ApplyTreatmentToPattern(const TreatmentRecord& record);
    void ShowPickedTreatmentPattern();

    // The pattern that the Advanced Settings page's fields and boxes hold now
    // (treatments/advanced_settings_page.cpp).
    FiringPattern WorkingPattern() const;

    // Diary page (diary/diary_page.cpp)
    void RefreshHistoryList(const char* path);

    // Read by tests and by the flows.
    int SpotFilter = 0;
    int SelectedTreatment = 0;
    const SlotBoxes& Slots() const { return slotBoxes; }
    // The longest run of the device timer's handler so far, in microseconds.
    long long LongestDeviceTick() const { return longestDeviceTick; }

private:
    // Construction, split per page in creation order (app/).
    void BuildControls();
    void BuildTopStrip(wxPanel* parent, wxBoxSizer* column);
    wxPanel* BuildTreatmentsPage(wxNotebook* book);
    wxPanel* BuildAdvancedSettingsPage(wxNotebook* book);
    wxPanel* BuildDiaryPage(wxNotebook* book);
    wxPanel* BuildIntroPage(wxNotebook* book);
    // The intro video in its place on the Intro page, once.
    void CreateIntroMedia();
    void BuildMenuBar();
    void BuildStatusBar();
    void BindHandlers();
    void CreateDefaultSlotBoxes(int count);
    void PlaceSlotBoxes();
    // Unchecked boxes named windowName from the current count up to count.
    void AddSlotBoxes(int count, const wxString& windowName);
    void DestroySlotBoxes();

    // Advanced Settings page (treatments/advanced_settings_page.cpp)
    void DeriveFromBaseFrequencyField();
    void DeriveFromBaseTimePeriodField();
    void DeriveFromField(wxTextCtrl* field, void (FiringPattern::*derive)(double, double), double taken);
    void ApplySlotCountField(bool rewriteBaseFrequency, bool afterFocusChange = false);
    void ShowPatternFields(const FiringPattern& pattern);
    int SlotCountInEffect() const;
    void FinishPendingSlotRebuild();
    void ShowPatternOnPage(const FiringPattern& pattern);
    bool PageShowsOnePattern() const;
    bool SavePatternFile(const char* path, std::string& reason);
    bool LoadPatternFile(const char* path, std::string& reason);
    void OnPatternPreviewUpdateUI(wxUpdateUIEvent& event);

    // Diary page (diary/diary_page.cpp). A long diary is read beside the
    // window at start-up; whatever needs the diary before that reading has
    // ended waits for it.
    void ReadDiaryAtStart(const char* path);
    void FinishDiaryReading();
    // The current moment into Date and
    // Time, Summary and Content emptied and editable only when composing.
    void StampDiaryEntry(bool composing);
    // The Summary column at least as wide as its header, filling the row.
    void FitSummaryColumn();
    // Appends the entry being composed, telling the user when it failed.
    bool SaveComposedEntry();
    // Asks whether typed, unsaved entry text is to be saved; false when the
    // page is to stay as it is (the user went back, or the save failed).
    bool SettleUnsavedDiaryEntry(bool mayStay);
    // Summary and Content look read-only while viewing, and the hint tells
    // how to write an entry.
    void ShowDiaryState();

    // Writes to the stick and the read-back check that follows a programme
    // (treatments/treatment_flows.cpp).
    bool StickAttachedFor(const char* nothingDoneNotice, const char* caption);
    bool WriteToStick(const unsigned char* bytes, int length, const char* caption);
    void StartProgrammeCheck(const unsigned char (&timer)[3], const std::vector<unsigned char>& states,
                             const FiringPattern& written);
    void TakeCheckReply(const StickProgramme* programme, bool decided);
    void ExpireProgrammeCheck();
    void ShowProgrammeCheckOutcome(bool tellUser = true);

    // The "On the stick" area (device/device_monitor.cpp): a stick was found
    // (ask for its beeper and programme; forget what the last one said), or
    // is gone; what a programme reply says it holds.
    void StickFound();
    void ShowStickGone();
    void ShowStickProgramme(const StickProgramme& programme, bool afterWrite);
    void ShowBatteryLevel();

    // A notice shown once no other modal box is open, after the current
    // handler (app/message_boxes.cpp): a box opened from the timer handler
    // would hold it, and one opened over another box hides what it answers.
    void PostNotice(const char* message, const char* caption);
    void ScheduleShowingPostedNotices();  // also called by every tick
    void ShowPostedNotices();

    // The body picture of the view on screen, with the ring on the spot the
    // filter shows when that view has it (app/shell_handlers.cpp).
    void ShowBodyPicture();
    void OnBodyPictureMouseUp(wxMouseEvent& event);
    // Treatments page (treatments/treatment_flows.cpp)
    void ShowSpotFilter(int selection);
    void SelectShownTreatmentRow();
    void ShowTreatmentListHint();

    // Device monitor (device/device_monitor.cpp)
    void ShowDeviceAttached();
    void ShowDeviceDetached();
    void ShowDeviceState(const wxString& status, const wxString& label, const wxColour& colour,
                         bool attached);
    void HandleReply(const unsigned char* instruction, int length);
    void ShowProgrammeFromDevice(const unsigned char* instruction, int length);
    void CheckLiveness();
    void OpenFoundStick();
#ifdef __WXMSW__
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

    // Handlers, in the order they are bound.
    void OnBeeperClick(wxCommandEvent& event);
    void OnTurnOffClick(wxCommandEvent& event);
    void OnSpotChoiceSelect(wxCommandEvent& event);
    void OnTreatmentListDClick(wxCommandEvent& event);
    void OnTreatmentListSelect(wxCommandEvent& event);
    void OnApplyClick(wxCommandEvent& event);
    void OnWriteTreatmentClick(wxCommandEvent& event);
    void OnAdvancedWriteClick(wxCommandEvent& event);
    void OnReadDeviceClick(wxCommandEvent& event);
    void OnExportXmlClick(wxCommandEvent& event);
    void OnImportXmlClick(wxCommandEvent& event);
    void OnBaseTimePeriodEnter(wxCommandEvent& event);
    void OnBaseFrequencyEnter(wxCommandEvent& event);
    void OnSlotCountEnter(wxCommandEvent& event);
    void OnHistoryItemActivated(wxListEvent& event);
    void OnHistoryColumnEndDrag(wxListEvent& event);
    void OnDiaryNewClick(wxCommandEvent& event);
    void OnDiarySaveClick(wxCommandEvent& event);
    void OnDiaryCloseClick(wxCommandEvent& event);
    void OnMediaResize(wxSizeEvent& event);
    void OnMainNotebookPageChanged(wxBookCtrlEvent& event);
    void OnBodyPictureClick(wxCommandEvent& event);
    void OnQuit(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnDeviceTimer(wxTimerEvent& event);
    void OnMediaLoaded(wxMediaEvent& event);
    void OnBaseTimePeriodKillFocus(wxFocusEvent& event);
    void OnBaseFrequencyKillFocus(wxFocusEvent& event);
    void OnSlotCountKillFocus(wxFocusEvent& event);
    void OnFrameClose(wxCloseEvent& event);
    void OnMediaFinished(wxMediaEvent& event);

    // Top strip and body picture
    wxGauge* batteryGauge = nullptr;  // ID_GAUGE1
    wxStaticText* batteryText = nullptr;  // ID_STATICTEXT54: the level in percent
    StickAreaPanel* stickArea = nullptr;  // ID_PANEL20: "On the stick"
    wxPanel* deviceStatusPanel = nullptr;  // ID_PANEL12
    wxStaticText* deviceStatusLabel = nullptr;  // ID_STATICTEXT22
    wxCheckBox* beeperCheck = nullptr;  // ID_CHECKBOX1
    wxButton* turnOffButton = nullptr;  // ID_BUTTON15
    wxBitmapButton* bodyPicture = nullptr;  // ID_BITMAPBUTTON1
    int bodyView = 0;  // the view shown: 0 front, 1 back, 2 left side
    bool bodyPictureClicked = false;  // released by the mouse at bodyPictureClickAt
    wxPoint bodyPictureClickAt;
    BodySpotTable bodySpots;
    wxNotebook* mainNotebook = nullptr;  // ID_NOTEBOOK3

    // Treatments page
    wxChoice* spotChoice = nullptr;  // ID_CHOICE1
    wxListBox* treatmentList = nullptr;  // ID_LISTBOX1
    wxStaticText* treatmentListHint = nullptr;  // ID_STATICTEXT41
    wxStaticText* treatmentTitle = nullptr;  // ID_STATICTEXT24
    wxTextCtrl* treatmentDescription = nullptr;  // ID_TEXTCTRL13
    wxButton* applyButton = nullptr;  // ID_BUTTON10
    wxButton* writeTreatmentButton = nullptr;  // ID_BUTTON9
    PatternPreviewControl* treatmentPreview = nullptr;  // ID_PATTERNPREVIEW1

    // Advanced Settings page
    wxButton* advancedWriteButton = nullptr;  // ID_BUTTON4
    wxButton* readDeviceButton = nullptr;  // ID_BUTTON5
    wxButton* exportButton = nullptr;  // ID_BUTTON7
    wxButton* importButton = nullptr;  // ID_BUTTON8
    wxTextCtrl* baseTimePeriodField = nullptr;  // ID_TEXTCTRL7
    wxTextCtrl* baseFrequencyField = nullptr;  // ID_TEXTCTRL11
    wxTextCtrl* periodPerSlotField = nullptr;  // ID_TEXTCTRL9
    wxTextCtrl* slotFrequencyField = nullptr;  // ID_TEXTCTRL12
    wxTextCtrl* slotCountField = nullptr;  // ID_TEXTCTRL8
    wxScrolledWindow* slotWindow = nullptr;  // ID_SCROLLEDWINDOW1
    PatternPreviewControl* advancedPreview = nullptr;  // ID_PATTERNPREVIEW2

    // Diary page
    wxNotebook* diaryNotebook = nullptr;  // ID_NOTEBOOK1
    HistoryListView* historyList = nullptr;  // ID_LISTVIEW1
    wxButton* diaryNewButton = nullptr;  // ID_BUTTON13
    wxButton* diarySaveButton = nullptr;  // ID_BUTTON12
    wxButton* diaryCloseButton = nullptr;  // ID_BUTTON14
    wxTextCtrl* diaryDateField = nullptr;  // ID_TEXTCTRL2
    wxTextCtrl* diaryTimeField = nullptr;  // ID_TEXTCTRL3
    wxTextCtrl* diarySummaryField = nullptr;  // ID_TEXTCTRL4
    wxTextCtrl* diaryContentField = nullptr;  // ID_TEXTCTRL5
    wxStaticText* diaryHint = nullptr;  // ID_STATICTEXT40
    DiaryRecordPanel* diaryRecord = nullptr;  // ID_PANEL21: programme notes, export, print

    // Intro page
    wxPanel* introPage = nullptr;  // ID_PANEL6
    wxMediaCtrl* introMedia = nullptr;  // ID_MEDIA, made when its page is first shown
    bool introVideoLoaded = false;  // loaded when its page is first shown
    bool introVideoEnded = false;  // played to its end: next time from the start

    wxStatusBar* statusBar = nullptr;  // ID_STATUSBAR

    wxTimer deviceTimer;
    TreatmentCatalogue catalogue;
    SlotBoxes slotBoxes;
    int pendingSlotCount = -1;  // a rebuild to the count left in Number of Slots, not yet made
    // What the base fields go back to when their text is not taken: the
    // values the page last showed or took.
    FiringPattern takenPattern;
    std::unique_ptr<tinyxml2::XMLDocument> advancedSettingsDocument;
    bool advancedSettingsRefused = false;  // the file held at start-up could not be used
    bool advancedSettingsNotRegular = false;  // a folder or special file held its name
    std::unique_ptr<tinyxml2::XMLDocument> HistoryDocument;
    FileStamp historyStamp;  // the diary file as HistoryDocument holds it; empty when it may differ
    std::thread diaryReader;  // reads a long diary at start-up into diaryBeingRead
    std::unique_ptr<tinyxml2::XMLDocument> diaryBeingRead;
    HistoryLoadResult diaryReadResult = HistoryLoadResult::NoFile;
    FileStamp diaryReadStamp;
    std::string diaryReadPath;
    wxVitrelAboutPanelDialog* aboutDialog = nullptr;  // made when first asked for
#if wxUSE_HTML
    // The help viewer where no .chm viewer exists; made when the help is
    // first asked for (app/shell_handlers.cpp).
    std::unique_ptr<wxHtmlHelpController> helpViewer;
    void CloseHelpViewer();
#endif
    wxFileDialog* exportDialog = nullptr;
    wxFileDialog* importDialog = nullptr;
    std::unique_ptr<DeviceLink> deviceLink;
    unsigned char rawFrame[768];  // frames a handler writes to the port itself
    std::unique_ptr<BatteryLevelEstimator> batteryEstimator;
    ProgrammeCheck programmeCheck;  // the read-back after the last write
    long long longestDeviceTick = 0;  // see LongestDeviceTick
    FiringPattern checkedPattern;  // the pattern of the last check's write
    wxString checkedTreatment;  // its treatment's title; empty for a custom pattern
    // The last programme this run wrote and checked on the stick attached
    // now, as written, and when (HH:MM); empty time: none.
    StickProgramme confirmedProgramme;
    FiringPattern confirmedPattern;
    wxString confirmedAt;
    LowBatteryWatch lowBattery;
    bool stickShownAttached = false;  // the area and the status bar show an attached stick
    struct PostedNotice {
        const char* message;  // English texts, as ShowNotice takes them
        const char* caption;
    };
    std::vector<PostedNotice> postedNotices;
    bool postedNoticesDue = false;  // ShowPostedNotices runs after the current handler
};
