// The device timer: every 100 ms show whether the stick is attached, handle
// what it sent, poll it, and look for it while none is attached; once a
// second check that it still answers.
#include <chrono>
#include <cmath>
#include <cstdio>

#include <wx/statusbr.h>

#include "app/status_bar_fields.h"
#include "app/advanced_settings_page.h"
#include "app/stick_area_panel.h"
#include "app/top_strip.h"
#include "app/vitrel_frame.h"
#include "device/battery_level.h"
#include "device/device_link.h"
#include "device/diagnostics.h"
#include "device/instruction.h"
#include "device/port_watch.h"
#include "device/serial.h"

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#include <dbt.h>
#endif

namespace {
// Ticks since the last liveness check, and status replies received since then.
int ticks = 0;
int alive = 0;

constexpr int TicksPerCheck = 10;
constexpr int MinRepliesPerCheck = 5;
constexpr int ReadChunkBytes = 512;

// The user is told once per run about a device they may not open.
bool deniedDeviceNamed = false;

const wxColour AttachedColour(64, 191, 86);
const wxColour DetachedColour(224, 44, 71);

// The status bar is set only where it changes, like the top strip: this
// runs ten times a second for the whole run.
void ShowStatus(wxStatusBar* bar, const wxString& text)
{
    if (bar->GetStatusText() != text)
        bar->SetStatusText(text);
}

// Instruction layout: [0] 0x00, [1] code, payload, 0xFF at [length - 1].
int PayloadLength(int length)
{
    return length - 3;
}

// The battery text while no level is known: a dash, not 0 %.
wxString BatteryUnknown()
{
    return wxString::FromUTF8("\u2013");
}
}  // namespace

void wxVitrelFrame::OnDeviceTimer(wxTimerEvent&)
{
    const auto started = std::chrono::steady_clock::now();
    if (deviceLink->port != 0) {
        ShowDeviceAttached();

        unsigned char chunk[ReadChunkBytes + 1];
        const int count = SerialReadPort(deviceLink->port - 1, chunk, ReadChunkBytes);
        chunk[count > 0 ? count : 0] = 0;
        InstructionReceiver& receiver = TheInstructionReceiver();
        receiver.position = 0;
        while (receiver.position < count) {
            if (ParseInstruction(chunk, count))
                HandleReply(receiver.instruction, receiver.length);
            else
                DiagnosticLine("Bad Instruction!!!");
        }
        // A poll the stick has not taken yet asks the same question: another
        // behind it would only pile up.
        if (SerialPendingBytes(deviceLink->port - 1) == 0) {
            deviceLink->SendInstruction(PollStatus, nullptr, nullptr, nullptr);
            programmeCheck.PollSent();
        }
    } else if (!deviceLink->RecheckingStick()) {
        // A stick that fell silent stays shown until its port was asked again.
        ShowDeviceDetached();
        if (stickShownAttached)
            ShowStickGone();
    }
    ExpireProgrammeCheck();
    if (stickShownAttached && !programmeCheck.Awaits(ProgrammeCheck::Asker::Area, SteadyMilliseconds()))
        topStrip->StickArea().ShowNoAnswer();
    notices.ScheduleShowing();
    CheckLiveness();
    FlushDiagnosticLines();
    const long long took =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started)
            .count();
    if (took > longestDeviceTick)
        longestDeviceTick = took;
}

void wxVitrelFrame::StickFound()
{
    // The requests still open were put to the stick that went away, and
    // what the status bar said of a write was said of it.
    programmeCheck.ForgetRequests();
    statusBar->SetStatusText(wxEmptyString, CheckStatusField);
    confirmedAt.clear();
    if (batteryEstimator)
        batteryEstimator->StartAfresh();
    lowBattery.Restart();
    topStrip->ShowBatteryText(BatteryUnknown());
    stickShownAttached = true;
    topStrip->StickArea().ShowAsking();

    deviceLink->SendInstruction(QueryBeeper, nullptr, nullptr, nullptr);
    unsigned char request[3];
    const int length = BuildInstructionFrame(ReadProgramme, nullptr, nullptr, nullptr, request);
    if (SerialWritePort(deviceLink->port - 1, request, length) == length)
        programmeCheck.ReadRequested(SteadyMilliseconds(), ProgrammeCheck::Asker::Area);
}

void wxVitrelFrame::ShowStickGone()
{
    programmeCheck.ForgetRequests();
    statusBar->SetStatusText(wxEmptyString, CheckStatusField);
    confirmedAt.clear();
    topStrip->ShowBatteryText(BatteryUnknown());
    stickShownAttached = false;
    topStrip->StickArea().ShowNoStick();
}

void wxVitrelFrame::ShowBatteryLevel()
{
    float level = 0.0f;
    if (!batteryEstimator->FreshAverage(level)) {
        topStrip->ShowBatteryText(BatteryUnknown());
        return;
    }
    // TRANSLATORS: the battery level beside its gauge; %d is the percentage.
    static const wxString percent = _("%d %%");  // looked up once, as above
    topStrip->ShowBatteryText(wxString::Format(percent, static_cast<int>(level)));
    if (lowBattery.Update(level, SteadyMilliseconds()))
        PostNotice(wxTRANSLATE("The battery of the Vitrel stick is low. A treatment may stop "
                               "before its end: please charge the stick."),
                   wxTRANSLATE("Vitrel Battery"));
}

void wxVitrelFrame::ShowStickProgramme(const StickProgramme& programme, bool afterWrite)
{
    // The programme this run wrote and checked is shown as it was written,
    // with the time; any other as the stick reports it.
    const bool checked = !confirmedAt.empty() && programme.SameAs(confirmedProgramme);
    FiringPattern shown = confirmedPattern;
    if (!checked && !PatternOfProgramme(programme, *deviceLink, shown))
        return;
    const int treatment = MatchingTreatment(catalogue, programme, *deviceLink);
    topStrip->StickArea().ShowProgramme(
        shown, treatment >= 0 ? wxString::FromUTF8(catalogue.Record(treatment).Title) : wxString(),
        checked ? confirmedAt : wxString(), afterWrite);
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

    if (deniedDeviceNamed)
        return;
    const wxString denied(SerialDeniedDevice());
    if (denied.empty())
        return;
    deniedDeviceNamed = true;
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

void wxVitrelFrame::HandleReply(const unsigned char* instruction, int length)
{
    const int payload = PayloadLength(length);
    switch (instruction[1]) {
        case QueryBeeper:
            // A state byte of 0xFF ended the frame early; it means on, as any
            // nonzero state does. Setting the value raises no click event, so
            // nothing is sent back.
            topStrip->ShowBeeper(payload < 1 || instruction[2] != 0);
            break;
        case ReadProgramme: {
            // Each reply goes to the request it answers, late or not. Only Read
            // Vitrel's is put on the page: decoding the timer would turn the
            // user's exact frequency into a near one. Every reply tells the
            // "On the stick" area what the stick holds.
            StickProgramme programme;
            const bool usable = ReadProgrammeReply(instruction, length, programme);
            const ProgrammeCheck::Outcome before = programmeCheck.outcome();
            switch (programmeCheck.Offer(instruction, length, SteadyMilliseconds())) {
                case ProgrammeCheck::Asker::Check:
                    TakeCheckReply(usable ? &programme : nullptr, programmeCheck.outcome() != before);
                    break;
                case ProgrammeCheck::Asker::ReadVitrel:
                    ShowProgrammeFromDevice(instruction, length);
                    [[fallthrough]];
                default:
                    if (usable)
                        ShowStickProgramme(programme, false);
                    break;
            }
            break;
        }
        case PollStatus:
            // Every status reply shows the stick is there. A reading of 0xFF ends
            // the frame early: one payload byte means the second reading was 255;
            // none means the first was, and the second is unknown.
            ++alive;
            programmeCheck.StatusReplied();
            if (payload >= 1) {
                batteryEstimator->AddReading(instruction[2], payload >= 2 ? instruction[3] : 0xFF);
                topStrip->ShowBatteryGauge(static_cast<int>(batteryEstimator->Average()));
                ShowBatteryLevel();
            }
            break;
        default:
            break;
    }
}

void wxVitrelFrame::ShowProgrammeFromDevice(const unsigned char* instruction, int length)
{
    const int payload = PayloadLength(length);
    const int states = payload - 3;
    if (states < 1 || states > FiringPattern::MaxSlots) {
        std::printf("Ignored programme reply with %d slot states\n", states < 0 ? 0 : states);
        return;
    }
    const double slotFrequency =
        deviceLink->DecodeSlotFrequency(instruction[2], instruction[3], instruction[4]);
    if (!(slotFrequency > 0.0) || !std::isfinite(slotFrequency)) {
        std::puts("Ignored programme reply without a usable slot frequency");
        return;
    }

    advancedPage->ShowProgrammeRead(states / slotFrequency, states, instruction + 5);
}

void wxVitrelFrame::CheckLiveness()
{
    ++ticks;
    if (ticks < TicksPerCheck) {
        // Between the checks the search goes on: answers are read and new
        // devices probed on every tick.
        if (deviceLink->port == 0 && (deviceLink->port = deviceLink->ProbePorts()) != 0)
            OpenFoundStick();
        return;
    }
    if (ticks > alive + MinRepliesPerCheck) {
        const bool hadPort = deviceLink->port != 0;
        if (hadPort)
            SerialClosePort(deviceLink->port - 1);
        deviceLink->port = deviceLink->ProbePorts();
        // Without a stick before and after, opening no port would only
        // repeat "illegal comport number" every second: it is said when the
        // stick is lost.
        if (hadPort || deviceLink->port != 0)
            SerialOpenPort(deviceLink->port - 1, deviceLink->baudRate);
        if (deviceLink->port != 0)
            StickFound();
    }
    ticks = 0;
    alive = 0;
}

// Shown at once rather than on the next tick. The stick gets a whole second
// of polls before its first liveness check.
void wxVitrelFrame::OpenFoundStick()
{
    ShowDeviceAttached();
    SerialOpenPort(deviceLink->port - 1, deviceLink->baudRate);
    StickFound();
    ticks = 0;
    alive = 0;
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
