// The device timer ticks the stick session (device/stick_session.h), and the
// window shows what the session reports.
#include <chrono>

#include <wx/datetime.h>
#include <wx/statusbr.h>

#include "device/instruction.h"
#include "device/port_watch.h"
#include "device/serial.h"
#include "device/stick_session.h"
#include "ui/frame/status_bar_fields.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/stick_commands.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/top_strip.h"
#include "ui/widgets/stick_area_panel.h"

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#include <dbt.h>
#endif

namespace {
const wxColour AttachedColour(64, 191, 86);
const wxColour DetachedColour(224, 44, 71);

// Where the stick at one-based port number `port` is, as the user knows it
// ("/dev/ttyACM1", "COM3"), and the name its USB serial bridge gives itself
// (empty when it gives none).
wxString StickPortName(int port, wxString* product = nullptr)
{
    char where[256];
    char bridge[256];
    SerialDescribePort(port - 1, where, sizeof where, bridge, sizeof bridge);
    if (product != nullptr)
        *product = wxString::FromUTF8(bridge);
    return wxString::FromUTF8(where);
}

// The status bar is set only where it changes, like the top strip: this
// runs ten times a second for the whole run.
void ShowStatus(wxStatusBar* bar, const wxString& text)
{
    if (bar->GetStatusText() != text)
        bar->SetStatusText(text);
}
}  // namespace

void wxVitrelFrame::OnDeviceTimer(wxTimerEvent&)
{
    const auto started = std::chrono::steady_clock::now();
    session->Tick(SteadyMilliseconds());
    notices.ScheduleShowing();
    const long long took =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started)
            .count();
    if (took > longestDeviceTick)
        longestDeviceTick = took;
}

void wxVitrelFrame::StickAttached()
{
    statusBar->SetStatusText(wxEmptyString, CheckStatusField);
    wxString product;
    const wxString where = StickPortName(session->Link().port, &product);
    topStrip->StickArea().ShowAsking(where, product);
}

void wxVitrelFrame::StickGone()
{
    statusBar->SetStatusText(wxEmptyString, CheckStatusField);
    topStrip->StickArea().ShowNoStick();
}

void wxVitrelFrame::ShowBeeper(bool on)
{
    // Setting the value raises no click event, so nothing is sent back.
    topStrip->ShowBeeper(on);
}

void wxVitrelFrame::ShowBatteryGauge(int level)
{
    topStrip->ShowBatteryGauge(level);
}

void wxVitrelFrame::ShowBatteryPercent(int percent)
{
    // TRANSLATORS: the battery level beside its gauge; %d is the percentage.
    static const wxString format = _("%d %%");  // looked up once, as below
    topStrip->ShowBatteryText(percent == StickSession::NoBatteryFigure ? wxString::FromUTF8("\u2013")
                                                                       : wxString::Format(format, percent));
}

void wxVitrelFrame::BatteryLow()
{
    PostNotice(wxTRANSLATE("The battery of the Vitrel stick is low. A treatment may stop "
                           "before its end: please charge the stick."),
               wxTRANSLATE("Vitrel Battery"));
}

void wxVitrelFrame::RememberWriteForDiary(const wxString& treatment, const wxString& bodySpot)
{
    writtenTreatment = treatment;
    writtenSpot = bodySpot;
}

// The diary names the port as the "On the stick" band does.
void wxVitrelFrame::ProgrammeConfirmed(const FiringPattern& written, bool late)
{
    confirmedAt = wxDateTime::Now().Format("%H:%M");
    diaryPage->NoteProgramme(writtenTreatment, written, writtenSpot, StickPortName(session->Link().port),
                             late);
}

void wxVitrelFrame::ShowStickProgramme(const StickProgramme& programme, const FiringPattern& pattern,
                                       bool checked, bool afterWrite)
{
    const int treatment = MatchingTreatment(catalogue, programme, session->Link());
    topStrip->StickArea().ShowProgramme(
        pattern, treatment >= 0 ? wxString::FromUTF8(catalogue.Record(treatment).Title) : wxString(),
        checked ? confirmedAt : wxString(), afterWrite);
}

void wxVitrelFrame::StickProgrammeUnsure()
{
    topStrip->StickArea().ShowAskingAgain();
}

void wxVitrelFrame::ShowProgrammeUnanswered()
{
    topStrip->StickArea().ShowNoAnswer();
}

void wxVitrelFrame::ShowPortsBeyondSearch(const std::vector<int>& numbers)
{
    topStrip->StickArea().ShowPortsBeyondSearch(numbers);
}

// The status bar, the device label and its colour, and the controls that need
// the stick: what every tick shows for a stick that is attached or not.
void wxVitrelFrame::ShowDeviceState(const wxString& status, const wxString& label, const wxColour& colour,
                                    bool attached)
{
    ShowStatus(statusBar, status);
    topStrip->ShowDeviceState(label, colour, attached);
}

// The texts are looked up once: the lookup converts them anew each time, which
// cost more than the rest of an idle tick.
void wxVitrelFrame::ShowDeviceAttached()
{
    static const wxString status = _("Vitrel USB Device Detected !!!");
    static const wxString label = _("Device Attached");
    ShowDeviceState(status, label, AttachedColour, true);
}

void wxVitrelFrame::ShowDeviceDetached()
{
    static const wxString status = _("Vitrel NOT Found !!!");
    static const wxString label = _("Device Detached");
    ShowDeviceState(status, label, DetachedColour, false);
    topStrip->ShowBatteryGauge(0);
}

void wxVitrelFrame::DeviceDenied(const char* path)
{
    const wxString denied(path);
    // After this tick: a modal box inside the timer handler would hold it.
    CallAfter([denied] {
        ShowNotice(wxString::Format(_("A device was found at %s, but you may not open it, so "
                                      "the Vitrel stick cannot be reached there. Add yourself "
                                      "to the \"dialout\" group (for example: sudo adduser "
                                      "$USER dialout), then log out and log in again."),
                                    denied),
                   "Vitrel USB Device");
    });
}

void wxVitrelFrame::ShowProgrammeOnPage(double baseTimePeriod, const std::vector<unsigned char>& states)
{
    advancedPage->ShowProgrammeRead(baseTimePeriod, static_cast<int>(states.size()), states.data());
}

void wxVitrelFrame::ShowCheckOutcome(ProgrammeCheck::Outcome outcome, bool tellUser)
{
    const char* notice = NotConfirmedNotice;
    switch (outcome) {
        case ProgrammeCheck::Outcome::None:
            return;
        case ProgrammeCheck::Outcome::Waiting:
            statusBar->SetStatusText(_("Checking the programme on the stick..."), CheckStatusField);
            return;
        // Not to be told (tellUser false): the stick answered after the
        // deadline, and the texts say so.
        case ProgrammeCheck::Outcome::Confirmed:
            statusBar->SetStatusText(
                wxString::Format(tellUser ? _("Programme written and checked, %s")
                                          : _("Programme written and checked late, %s: the stick answered "
                                              "after the check had ended"),
                                 wxDateTime::Now().FormatISOTime()),
                CheckStatusField);
            return;
        case ProgrammeCheck::Outcome::Differs:
            statusBar->SetStatusText(tellUser ? _("Programme NOT confirmed: the stick holds another one")
                                              : _("Programme NOT confirmed: the stick answered late, and "
                                                  "holds another one"),
                                     CheckStatusField);
            break;
        case ProgrammeCheck::Outcome::NoReply:
            statusBar->SetStatusText(_("Programme NOT confirmed: the stick did not answer"),
                                     CheckStatusField);
            break;
        case ProgrammeCheck::Outcome::NotSent:
            statusBar->SetStatusText(_("Programme NOT confirmed: writing to the stick failed"),
                                     CheckStatusField);
            notice = WriteFailedNotice;
            break;
    }
    if (tellUser)
        PostNotice(notice, ProgramCaption);
}

#ifdef __WXMSW__
// Windows announces ports arriving and leaving to every top-level window.
WXLRESULT wxVitrelFrame::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam)
{
    if (message == WM_DEVICECHANGE && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
        const DEV_BROADCAST_HDR* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (wParam == DBT_DEVICEARRIVAL && header != nullptr && header->dbch_devicetype == DBT_DEVTYP_PORT) {
            // The window is a Unicode one, so the port's name comes in wide characters.
            const wchar_t* wide = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(header)->dbcp_name;
            char name[SerialPortNameSize] = {};
            for (int i = 0; i + 1 < SerialPortNameSize && wide[i] != L'\0'; ++i)
                name[i] = static_cast<char>(wide[i]);
            const int number = PortNumberFromName(name);
            if (number != 0)
                SerialNotePortArrival(number - 1);
        }
        PortWatchNoteDeviceChange();
    }
    return wxFrame::MSWWindowProc(message, wParam, lParam);
}
#endif
