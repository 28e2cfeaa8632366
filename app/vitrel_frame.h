#pragma once

#include <memory>

#include <wx/frame.h>
#include <wx/timer.h>

#include "app/message_boxes.h"
#include "device/battery_level.h"
#include "device/programme_check.h"
#include "treatments/stick_programme.h"
#include "treatments/treatment_catalogue.h"

class wxBookCtrlEvent;
class wxHtmlHelpController;
class wxListEvent;
class wxMediaEvent;
class wxNotebook;
class wxStatusBar;
class wxVitrelAboutPanelDialog;
class AdvancedSettingsPage;
class BodyPicture;
class DiaryPage;
class IntroPage;
class TopStrip;
class TreatmentsPage;
struct DeviceLink;

// The one main window: the notebook of pages, the top strip and the body
// picture, menus, status bar, help and About, and the device timer. The
// pages own their controls and do the work; the frame's handlers forward to
// them, and the frame wires the pages to each other and to the stick.
class wxVitrelFrame : public wxFrame {
public:
    wxVitrelFrame(wxWindow* parent, wxWindowID id = -1);
    ~wxVitrelFrame() override;

    TreatmentsPage& Treatments() const { return *treatmentsPage; }
    AdvancedSettingsPage& AdvancedSettings() const { return *advancedPage; }
    DiaryPage& Diary() const { return *diaryPage; }
    // The longest run of the device timer's handler so far, in microseconds.
    long long LongestDeviceTick() const { return longestDeviceTick; }

private:
    // Construction (app/frame_construction.cpp, app/build_main_window.cpp).
    void BuildControls();
    void BuildMenuBar();
    void BuildStatusBar();
    void BindHandlers();
    void WirePages();

    // Writes to the stick and the read-back check that follows a programme
    // (treatments/treatment_flows.cpp).
    bool StickAttachedFor(const char* nothingDoneNotice, const char* caption);
    bool WriteToStick(const unsigned char* bytes, int length, const char* caption);
    void StartProgrammeCheck(const unsigned char (&timer)[3], const std::vector<unsigned char>& states,
                             const FiringPattern& written);
    void TakeCheckReply(const StickProgramme* programme, bool decided);
    void ExpireProgrammeCheck();
    void ShowProgrammeCheckOutcome(bool tellUser = true);

    // The device monitor (device/device_monitor.cpp): a stick was found (ask
    // for its beeper and programme; forget what the last one said), or is
    // gone; what a programme reply says it holds; what each tick shows.
    void StickFound();
    void ShowStickGone();
    void ShowStickProgramme(const StickProgramme& programme, bool afterWrite);
    void ShowBatteryLevel();
    void ShowDeviceAttached();
    void ShowDeviceDetached();
    void ShowDeviceState(const wxString& status, const wxString& label, const wxColour& colour,
                         bool attached);
    void HandleReply(const unsigned char* instruction, int length);
    void ShowProgrammeFromDevice(const unsigned char* instruction, int length);
    void CheckLiveness();
    void OpenFoundStick();
    void PostNotice(const char* message, const char* caption) { notices.Post(message, caption); }
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

    TopStrip* topStrip = nullptr;  // ID_PANEL21, with "On the stick"
    BodyPicture* bodyPicture = nullptr;  // ID_BITMAPBUTTON1
    wxNotebook* mainNotebook = nullptr;  // ID_NOTEBOOK3
    TreatmentsPage* treatmentsPage = nullptr;  // ID_PANEL4
    AdvancedSettingsPage* advancedPage = nullptr;  // ID_PANEL5
    DiaryPage* diaryPage = nullptr;  // ID_PANEL8
    IntroPage* introPage = nullptr;  // ID_PANEL6
    wxStatusBar* statusBar = nullptr;  // ID_STATUSBAR
    wxTimer deviceTimer;
    TreatmentCatalogue catalogue;
    NoticeQueue notices {this};
    wxVitrelAboutPanelDialog* aboutDialog = nullptr;  // made when first asked for
#if wxUSE_HTML
    // The help viewer where no .chm viewer exists; made when the help is
    // first asked for (app/shell_handlers.cpp).
    std::unique_ptr<wxHtmlHelpController> helpViewer;
    void CloseHelpViewer();
#endif

    // The stick: its link, the frames a handler writes to the port itself,
    // the battery estimate, the read-back check of the last write.
    std::unique_ptr<DeviceLink> deviceLink;
    unsigned char rawFrame[768];
    std::unique_ptr<BatteryLevelEstimator> batteryEstimator;
    ProgrammeCheck programmeCheck;
    long long longestDeviceTick = 0;  // see LongestDeviceTick
    FiringPattern checkedPattern;  // the pattern of the last check's write
    // The last programme this run wrote and checked on the stick attached
    // now, as written, and when (HH:MM); empty time: none.
    StickProgramme confirmedProgramme;
    FiringPattern confirmedPattern;
    wxString confirmedAt;
    LowBatteryWatch lowBattery;
    bool stickShownAttached = false;  // the area and the status bar show an attached stick
};
