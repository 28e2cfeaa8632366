#include "device/stick_session.h"

#include <cmath>
#include <cstdio>

#include "device/diagnostics.h"
#include "device/serial.h"

namespace {

constexpr int TicksPerCheck = 10;
constexpr int MinRepliesPerCheck = 5;
constexpr int ReadChunkBytes = 512;

// Instruction layout: [0] 0x00, [1] code, payload, 0xFF at [length - 1].
int PayloadLength(int length)
{
    return length - 3;
}

class SerialPort : public StickPort {
public:
    int Open(int index, int baud) override { return SerialOpenPort(index, baud); }
    void Close(int index) override { SerialClosePort(index); }
    int Read(int index, unsigned char* destination, int maxBytes) override
    {
        return SerialReadPort(index, destination, maxBytes);
    }
    int Write(int index, const unsigned char* bytes, int count) override
    {
        return SerialWritePort(index, bytes, count);
    }
    int WriteAtOnce(int index, const unsigned char* bytes, int count) override
    {
        return SerialWritePortAtOnce(index, bytes, count);
    }
    int PendingBytes(int index) override { return SerialPendingBytes(index); }
    int ProbePorts(DeviceLink& link) override { return link.ProbePorts(); }
    bool RecheckingStick(const DeviceLink& link) override { return link.RecheckingStick(); }
    const char* DeniedDevice() override { return SerialDeniedDevice(); }
    int PortsBeyondSearch(int numbers[], int room) override
    {
        return SerialListPortsBeyondSearch(numbers, room);
    }
};

}  // namespace

std::unique_ptr<StickPort> SerialStickPort()
{
    return std::make_unique<SerialPort>();
}

StickSession::StickSession(Listener& listener, const char* calibrationPath, std::unique_ptr<StickPort> port)
    : listener(listener), port(port ? std::move(port) : SerialStickPort()), link(calibrationPath)
{ }

void StickSession::Start(long long nowMs)
{
    link.port = port->ProbePorts(link);
    port->Open(link.port - 1, link.baudRate);
    if (link.port != 0)
        StickFound(nowMs);
    LookBeyondSearch();
}

void StickSession::Tick(long long nowMs)
{
    if (link.port != 0) {
        listener.ShowDeviceAttached();
        ReadReplies(nowMs);
        // A poll the stick has not taken yet asks the same question: another
        // behind it would only pile up.
        if (port->PendingBytes(link.port - 1) == 0)
            Send(PollStatus);
    } else if (!port->RecheckingStick(link)) {
        // A stick that fell silent stays shown until its port was asked again.
        listener.ShowDeviceDetached();
        const char* denied = port->DeniedDevice();
        if (!deniedDeviceTold && denied != nullptr && denied[0] != '\0') {
            deniedDeviceTold = true;
            listener.DeviceDenied(denied);
        }
        if (shownAttached)
            ShowStickGone();
    }
    // After the replies read above: a busy window reads a reply late, and it
    // still answers its request.
    if (check.Expire(nowMs))
        listener.ShowCheckOutcome(check.outcome(), true);
    check.EndOverdueRequests(nowMs);
    if (shownAttached && !check.Awaits(ProgrammeCheck::Asker::Area, nowMs))
        listener.ShowProgrammeUnanswered();
    CheckLiveness(nowMs);
    FlushDiagnosticLines();
}

void StickSession::ReadReplies(long long nowMs)
{
    unsigned char chunk[ReadChunkBytes + 1];
    const int count = port->Read(link.port - 1, chunk, ReadChunkBytes);
    chunk[count > 0 ? count : 0] = 0;
    receiver.position = 0;
    while (receiver.position < count) {
        if (ParseInstruction(receiver, chunk, count))
            HandleReply(receiver.instruction, receiver.length, nowMs);
        else
            DiagnosticLine("Bad Instruction!!!");
    }
}

void StickSession::HandleReply(const unsigned char* instruction, int length, long long nowMs)
{
    const int payload = PayloadLength(length);
    switch (instruction[1]) {
        case QueryBeeper:
            // A state byte of 0xFF ended the frame early; it means on, as any
            // nonzero state does.
            listener.ShowBeeper(payload < 1 || instruction[2] != 0);
            break;
        case ReadProgramme: {
            // Each reply goes to the request it answers. The replies to the
            // program's own reads stay off the page: decoding the timer would
            // turn the user's exact frequency into a near one. Every reply
            // tells the "On the stick" area what the stick holds.
            StickProgramme programme;
            const bool usable = ReadProgrammeReply(instruction, length, programme);
            const ProgrammeCheck::Outcome before = check.outcome();
            switch (check.Offer(instruction, length, nowMs)) {
                case ProgrammeCheck::Asker::Check:
                    TakeCheckReply(usable ? &programme : nullptr, check.outcome() != before);
                    break;
                case ProgrammeCheck::Asker::Area:
                    if (usable)
                        ShowStickProgramme(programme, false);
                    break;
                default:  // Read Vitrel's, or sent unasked
                    ShowProgrammeOnPage(instruction, length);
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
            if (payload >= 1) {
                battery.AddReading(instruction[2], payload >= 2 ? instruction[3] : 0xFF);
                listener.ShowBatteryGauge(static_cast<int>(battery.Average()));
                ShowBatteryLevel(nowMs);
            }
            break;
        default:
            break;
    }
}

void StickSession::ShowProgrammeOnPage(const unsigned char* instruction, int length)
{
    const int states = PayloadLength(length) - 3;
    if (states < 1 || states > FiringPattern::MaxSlots) {
        std::printf("Ignored programme reply with %d slot states\n", states < 0 ? 0 : states);
        return;
    }
    const double slotFrequency = link.DecodeSlotFrequency(instruction[2], instruction[3], instruction[4]);
    if (!(slotFrequency > 0.0) || !std::isfinite(slotFrequency)) {
        std::puts("Ignored programme reply without a usable slot frequency");
        return;
    }
    listener.ShowProgrammeOnPage(states / slotFrequency,
                                 std::vector<unsigned char>(instruction + 5, instruction + 5 + states));
}

void StickSession::ShowStickProgramme(const StickProgramme& programme, bool afterWrite)
{
    // The programme this session wrote and checked is shown as it was
    // written; any other as the stick reports it.
    const bool checked = confirmed && programme.SameAs(confirmedProgramme);
    FiringPattern shown = confirmedPattern;
    if (!checked && !PatternOfProgramme(programme, link, shown))
        return;
    listener.ShowStickProgramme(programme, shown, checked, afterWrite);
}

void StickSession::TakeCheckReply(const StickProgramme* programme, bool decided)
{
    if (programme && check.outcome() == ProgrammeCheck::Outcome::Confirmed && decided) {
        confirmed = true;
        confirmedProgramme = *programme;
        confirmedPattern = checkedPattern;
        listener.ProgrammeConfirmed(confirmedPattern, check.Late());
    }
    // Every reply is what the stick held then; only the latest check's
    // reply ends the field-off state and changes the outcome.
    if (programme)
        ShowStickProgramme(*programme, decided);
    if (!decided)
        return;
    // A reply after the deadline follows the notice the user already has.
    listener.ShowCheckOutcome(check.outcome(), !check.Late());
}

void StickSession::ShowBatteryLevel(long long nowMs)
{
    // The figure is the gauge's own once every reading it averages came from
    // this stick: until then the gauge climbs, and a full stick would read as
    // nearly empty. The warning keeps to the readings since the attach.
    const bool settled = battery.fresh >= BatterySampleCount;
    ShowBatteryPercent(settled ? static_cast<int>(battery.Average()) : NoBatteryFigure);
    float level = 0.0f;
    if (battery.FreshAverage(level) && lowBattery.Update(level, nowMs))
        listener.BatteryLow();
}

// Told only when the figure changes: most polls give the same one, and the
// window would format and compare its text ten times a second.
void StickSession::ShowBatteryPercent(int percent)
{
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    listener.ShowBatteryPercent(percent);
}

void StickSession::CheckLiveness(long long nowMs)
{
    ++ticks;
    if (ticks < TicksPerCheck) {
        // Between the checks the search goes on: answers are read and new
        // devices probed on every tick.
        if (link.port == 0 && (link.port = port->ProbePorts(link)) != 0)
            OpenFoundStick(nowMs);
        return;
    }
    if (ticks > alive + MinRepliesPerCheck) {
        const bool hadPort = link.port != 0;
        if (hadPort)
            port->Close(link.port - 1);
        link.port = port->ProbePorts(link);
        // Without a stick before and after, opening no port would only
        // repeat "illegal comport number" every second: it is said when the
        // stick is lost.
        if (hadPort || link.port != 0)
            port->Open(link.port - 1, link.baudRate);
        if (link.port != 0)
            StickFound(nowMs);
    }
    ticks = 0;
    alive = 0;
    LookBeyondSearch();
}

// A stick on a port the search never tries is never found: the user is told
// of such ports, once a second, and only when they changed.
void StickSession::LookBeyondSearch()
{
    int numbers[16];
    const std::vector<int> found(numbers, numbers + port->PortsBeyondSearch(numbers, 16));
    if (found != portsBeyondSearch)
        listener.ShowPortsBeyondSearch(portsBeyondSearch = found);
}

// Shown at once rather than on the next tick. The stick gets a whole second
// of polls before its first liveness check.
void StickSession::OpenFoundStick(long long nowMs)
{
    listener.ShowDeviceAttached();
    port->Open(link.port - 1, link.baudRate);
    StickFound(nowMs);
    ticks = 0;
    alive = 0;
}

void StickSession::StickFound(long long nowMs)
{
    // The requests still open were put to the stick that went away, and
    // what was said of a write was said of it.
    check.ForgetRequests();
    confirmed = false;
    battery.StartAfresh();
    lowBattery.Restart();
    shownAttached = true;
    listener.StickAttached();
    ShowBatteryPercent(NoBatteryFigure);

    Send(QueryBeeper);
    AskProgrammeForArea(nowMs);
}

void StickSession::AskProgrammeForArea(long long nowMs)
{
    unsigned char request[3];
    const int length = BuildInstructionFrame(ReadProgramme, nullptr, nullptr, nullptr, request);
    if (port->Write(link.port - 1, request, length) == length)
        check.ReadRequested(nowMs, ProgrammeCheck::Asker::Area);
}

void StickSession::ShowStickGone()
{
    check.ForgetRequests();
    confirmed = false;
    shownAttached = false;
    listener.StickGone();
    ShowBatteryPercent(NoBatteryFigure);
}

void StickSession::Send(InstructionCode code)
{
    unsigned char frame[MaxInstructionFrameBytes];
    const int length = BuildInstructionFrame(code, nullptr, nullptr, nullptr, frame);
    if (link.port != 0 && length > 0)
        port->Write(link.port - 1, frame, length);
}

// Whether the stick took the whole write now. The user is told at once when
// it did not, and the write is not sent later behind their back. `taken`,
// when given, grows by the bytes that reach the stick.
bool StickSession::TakenAtOnce(const unsigned char* bytes, int length, int* taken)
{
    const int took = port->WriteAtOnce(link.port - 1, bytes, length);
    if (taken != nullptr && took > 0)
        *taken += took;
    return took == length;
}

StickSession::Result StickSession::WriteProgramme(const unsigned char (&timer)[3],
                                                  const std::vector<unsigned char>& states,
                                                  const FiringPattern& written, Writes writes,
                                                  long long nowMs)
{
    if (link.port == 0)
        return Result::NoStick;
    const unsigned char count = static_cast<unsigned char>(states.size());
    unsigned char bytes[2 * MaxInstructionFrameBytes];
    const int timerLength = BuildInstructionFrame(SetSlotTimer, &timer[0], &timer[1], &timer[2], bytes);
    int taken = 0;  // bytes that reach the stick
    if (writes == Writes::FrameByFrame) {
        if (!TakenAtOnce(bytes, timerLength, &taken))
            return WriteFailedAfter(taken, nowMs);
        if (!TakenAtOnce(bytes, BuildInstructionFrame(SetSlotPattern, &count, states.data(), nullptr, bytes),
                         &taken))
            return WriteFailedAfter(taken, nowMs);
    } else {
        const int length =
            timerLength
            + BuildInstructionFrame(SetSlotPattern, &count, states.data(), nullptr, bytes + timerLength);
        if (!TakenAtOnce(bytes, length, &taken))
            return WriteFailedAfter(taken, nowMs);
    }

    checkedPattern = written;
    check.Start(timer, states, nowMs);
    unsigned char request[3];
    const int length = BuildInstructionFrame(ReadProgramme, nullptr, nullptr, nullptr, request);
    if (port->Write(link.port - 1, request, length) != length)
        check.Fail();
    listener.ShowCheckOutcome(check.outcome(), true);
    return Result::Done;
}

// A write that reached the stick in part may have changed its programme (a
// new timer, the old pattern): the "On the stick" area asks the stick what it
// holds rather than go on showing the last programme as held.
StickSession::Result StickSession::WriteFailedAfter(int bytesTaken, long long nowMs)
{
    if (bytesTaken > 0) {
        listener.StickProgrammeUnsure();
        AskProgrammeForArea(nowMs);
    }
    return Result::WriteFailed;
}

StickSession::Result StickSession::Read(long long nowMs)
{
    if (link.port == 0)
        return Result::NoStick;
    unsigned char request[3];
    if (!TakenAtOnce(request, BuildInstructionFrame(ReadProgramme, nullptr, nullptr, nullptr, request)))
        return Result::WriteFailed;
    check.ReadRequested(nowMs);
    return Result::Done;
}

StickSession::Result StickSession::TurnOff()
{
    unsigned char bytes[MaxInstructionFrameBytes];
    if (!TakenAtOnce(bytes,
                     BuildInstructionFrame(InstructionCode::TurnOff, nullptr, nullptr, nullptr, bytes)))
        return Result::WriteFailed;
    // What was said of the last write no longer holds.
    confirmed = false;
    return Result::Done;
}

StickSession::Result StickSession::SetBeeper(bool on)
{
    unsigned char bytes[3];
    return TakenAtOnce(bytes,
                       BuildInstructionFrame(on ? BeeperOn : BeeperOff, nullptr, nullptr, nullptr, bytes))
               ? Result::Done
               : Result::WriteFailed;
}
