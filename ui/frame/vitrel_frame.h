#pragma once

#include <memory>

#include <wx/frame.h>
#include <wx/timer.h>

#include "device/stick_session.h"
#include "treatments/treatment_catalogue.h"
#include "ui/widgets/message_boxes.h"

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

// The one main window: the notebook of pages, the top strip and the body
// picture, menus, status bar, help and About, and the device timer that
// ticks the stick session. The pages own their controls and do the work. The
// frame binds its handlers to the controls' fixed ids (ui/common/window_ids.h)
// and they forward to the page or the session; the frame wires the pages to
// each other and to the session, whose reports it passes on to them.
class wxVitrelFrame : public wxFrame, private StickSession::Listener {
public:
    wxVitrelFrame(wxWindow* parent, wxWindowID id = -1);
    ~wxVitrelFrame() override;

    TreatmentsPage& Treatments() const { return *treatmentsPage; }
    AdvancedSettingsPage& AdvancedSettings() const { return *advancedPage; }
    DiaryPage& Diary() const { return *diaryPage; }
    // The longest run of the device timer's handler so far, in microseconds.
    long long LongestDeviceTick() const { return longestDeviceTick; }

private:
    // Construction (ui/frame/frame_construction.cpp, ui/frame/build_main_window.cpp).
    void BuildControls();
    void BuildMenuBar();
    void BuildStatusBar();
    void BindHandlers();
    void WirePages();

    // What the diary's note of the write now being checked names: the
    // treatment (empty: a custom pattern) and its body spot (empty: none).
    void RememberWriteForDiary(const wxString& treatment, const wxString& bodySpot);

    // What the stick session reports (ui/frame/session_reports.cpp).
    void ShowDeviceAttached() override;
    void ShowDeviceDetached() override;
    void ShowDeviceState(const wxString& status, const wxString& label, const wxColour& colour,
                         bool attached);
    void StickAttached() override;
    void StickGone() override;
    void ShowBeeper(bool on) override;
    void ShowBatteryGauge(int level) override;
    void ShowBatteryPercent(int percent) override;
    void ShowProgrammeOnPage(double baseTimePeriod, const std::vector<unsigned char>& states) override;
    void ShowStickProgramme(const StickProgramme& programme, const FiringPattern& pattern, bool checked,
                            bool afterWrite) override;
    void StickProgrammeUnsure() override;
    void ShowProgrammeUnanswered() override;
    void ShowCheckOutcome(ProgrammeCheck::Outcome outcome, bool tellUser) override;
    void ProgrammeConfirmed(const FiringPattern& written, bool late) override;
    void BatteryLow() override;
    void DeviceDenied(const char* path) override;
    void ShowPortsBeyondSearch(const std::vector<int>& numbers) override;
    void PostNotice(const char* message, const char* caption) { notices.Post(message, caption); }
#ifdef __WXMSW__
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

    // Handlers, in the order of the binding table (BindHandlers); the
    // treatment list's select handler and the frame's close handler are not
    // in the table. The pages' forwards are in ui/frame/handler_forwards.cpp,
    // the frame's own handlers in ui/frame/shell_handlers.cpp.
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
    void OnFrameClose(wxCloseEvent& event);

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
    // first asked for (ui/frame/shell_handlers.cpp).
    std::unique_ptr<wxHtmlHelpController> helpViewer;
    void CloseHelpViewer();
#endif

    std::unique_ptr<StickSession> session;  // made where the start-up looks for the stick
    long long longestDeviceTick = 0;  // see LongestDeviceTick
    wxString confirmedAt;  // when (HH:MM) the session last confirmed a write
    // What the diary notes of the last write once it is confirmed: its
    // treatment's title (empty: a custom pattern) and body spot (empty: none).
    wxString writtenTreatment, writtenSpot;
};
