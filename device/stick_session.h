#pragma once
// The stick as the program keeps company with it: found and opened, polled
// ten times a second and given up when it stops answering, its replies sent
// where they belong, programmes written and read back, its battery. Plain
// logic: the window ticks it with a steady clock, gives it the user's
// commands, and shows what it reports through StickSession::Listener. The
// port is reached through StickPort, so that a fake stick and a fake clock
// can stand in for both.

#include <memory>
#include <vector>

#include "device/battery_level.h"
#include "device/device_link.h"
#include "device/instruction.h"
#include "device/programme_check.h"
#include "treatments/firing_pattern.h"
#include "treatments/stick_programme.h"

// The way to the serial ports. Ports are addressed by serial index (the
// port number minus one), as in device/serial.h, whose functions the default
// implementation (SerialStickPort) calls.
class StickPort {
public:
    virtual ~StickPort() = default;
    virtual int Open(int index, int baud) = 0;  // SerialOpenPort: 0 when opened
    virtual void Close(int index) = 0;
    virtual int Read(int index, unsigned char* destination, int maxBytes) = 0;
    virtual int Write(int index, const unsigned char* bytes, int count) = 0;  // SerialWritePort
    virtual int WriteAtOnce(int index, const unsigned char* bytes, int count) = 0;  // SerialWritePortAtOnce
    virtual int PendingBytes(int index) = 0;
    // One step of the search (DeviceLink::ProbePorts): `link.port` is still
    // set when the stick on that port fell silent. Returns the port number
    // found, or 0.
    virtual int ProbePorts(DeviceLink& link) = 0;
    virtual bool RecheckingStick(const DeviceLink& link) = 0;  // DeviceLink::RecheckingStick
    virtual const char* DeniedDevice() = 0;  // SerialDeniedDevice
    // SerialListPortsBeyondSearch; none unless a port says otherwise.
    virtual int PortsBeyondSearch(int[], int) { return 0; }
};

std::unique_ptr<StickPort> SerialStickPort();

class StickSession {
public:
    // What a command did; the window tells the user about the last two.
    enum class Result {
        Done,
        NoStick,  // no stick attached: nothing was sent
        WriteFailed,  // the port did not take the whole write at once
    };

    // How a programme goes out: both frames in one write (the Treatments
    // page), or one write per frame (the Advanced Settings page).
    enum class Writes { Together, FrameByFrame };

    // The battery text until the gauge averages the readings since the attach
    // alone (BatterySampleCount of them).
    static constexpr int NoBatteryFigure = -1;

    class Listener {
    public:
        virtual ~Listener() = default;
        // Every tick, while a stick is known (its port open), or while none is
        // and no silent stick's port is being asked again.
        virtual void ShowDeviceAttached() = 0;
        virtual void ShowDeviceDetached() = 0;
        // A stick was found: whatever was said of the last one is void, and its
        // programme is being asked for. Gone: the stick shown attached is not
        // there any more.
        virtual void StickAttached() = 0;
        virtual void StickGone() = 0;
        // The stick's answer to QueryBeeper.
        virtual void ShowBeeper(bool on) = 0;
        // The gauge (0 to 100) after a status reply, and the level in figures:
        // the gauge's, once it averages this stick's readings alone, else
        // NoBatteryFigure (the gauge still climbs from 0 or from the last stick).
        virtual void ShowBatteryGauge(int level) = 0;
        virtual void ShowBatteryPercent(int percent) = 0;
        // A programme for the Advanced Settings page: Read Vitrel's reply, or
        // one the stick sent unasked. States are 1 on, anything else off.
        virtual void ShowProgrammeOnPage(double baseTimePeriod, const std::vector<unsigned char>& states) = 0;
        // What the stick holds, drawn as `pattern`; `checked` when it is the
        // programme this run wrote and checked; `afterWrite` for the reply
        // that decided a check.
        virtual void ShowStickProgramme(const StickProgramme& programme, const FiringPattern& pattern,
                                        bool checked, bool afterWrite) = 0;
        // A programme write went out only in part: the stick may run a new
        // timer with its old pattern. What it holds is being asked for again.
        virtual void StickProgrammeUnsure() = 0;
        // The last request for the programme for the "On the stick" area (at
        // the attach, or after a write that went out in part) is over without
        // an answer; told on every tick while the stick stays attached.
        virtual void ShowProgrammeUnanswered() = 0;
        // The check confirmed the write of `written`; told before the programme
        // it confirmed. `late`: by a reply that came after the check's deadline.
        virtual void ProgrammeConfirmed(const FiringPattern& written, bool late) = 0;
        // The check's outcome; `tellUser` when the user is to get a notice
        // for it: false only for a reply that came after the deadline, which
        // follows the notice already given.
        virtual void ShowCheckOutcome(ProgrammeCheck::Outcome outcome, bool tellUser) = 0;
        // The battery stayed low (once per attach).
        virtual void BatteryLow() = 0;
        // A device at `path` that the user may not open (once per session).
        virtual void DeviceDenied(const char* path) = 0;
        // The numbers of the ports the search never tries (10 and above) that
        // the system lists: at the start, then whenever they change.
        virtual void ShowPortsBeyondSearch(const std::vector<int>& numbers) = 0;
    };

    // Loads the link's frequency table from `calibrationPath`; `port` null:
    // the serial layer.
    StickSession(Listener& listener, const char* calibrationPath, std::unique_ptr<StickPort> port = nullptr);
    StickSession(const StickSession&) = delete;
    StickSession& operator=(const StickSession&) = delete;

    // The search at start-up: probes, opens the port found and asks the stick
    // for its beeper and its programme. Without a stick the open is refused
    // with one "illegal comport number" line.
    void Start(long long nowMs);

    // Every 100 ms: show the state, read and route what the stick sent, poll
    // it, look for it, and once a second check that it still answers.
    void Tick(long long nowMs);

    // Writes a programme (SetSlotTimer `timer`, SetSlotPattern `states`) and
    // starts its check; `written` is the pattern it stores, shown once
    // confirmed.
    Result WriteProgramme(const unsigned char (&timer)[3], const std::vector<unsigned char>& states,
                          const FiringPattern& written, Writes writes, long long nowMs);
    // Read Vitrel: the reply goes to the page.
    Result Read(long long nowMs);
    Result TurnOff();
    Result SetBeeper(bool on);

    const DeviceLink& Link() const { return link; }

private:
    void ReadReplies(long long nowMs);
    void HandleReply(const unsigned char* instruction, int length, long long nowMs);
    void ShowProgrammeOnPage(const unsigned char* instruction, int length);
    void ShowStickProgramme(const StickProgramme& programme, bool afterWrite);
    void TakeCheckReply(const StickProgramme* programme, bool decided);
    void ShowBatteryLevel(long long nowMs);
    void ShowBatteryPercent(int percent);
    void CheckLiveness(long long nowMs);
    void LookBeyondSearch();
    void OpenFoundStick(long long nowMs);
    void StickFound(long long nowMs);
    void ShowStickGone();
    void Send(InstructionCode code);
    void AskProgrammeForArea(long long nowMs);
    bool TakenAtOnce(const unsigned char* bytes, int length, int* taken = nullptr);
    Result WriteFailedAfter(int bytesTaken, long long nowMs);

    Listener& listener;
    std::unique_ptr<StickPort> port;
    DeviceLink link;
    InstructionReceiver receiver;
    ProgrammeCheck check;  // the requests for the stick's programme
    BatteryLevelEstimator battery;
    LowBatteryWatch lowBattery;
    // Ticks since the last liveness check, and status replies received since then.
    int ticks = 0;
    int alive = 0;
    bool shownAttached = false;  // the window shows an attached stick
    int shownPercent = NoBatteryFigure - 1;  // the battery figure last told (none yet)
    bool deniedDeviceTold = false;
    std::vector<int> portsBeyondSearch;  // as last told
    FiringPattern checkedPattern;  // the pattern of the last check's write
    // The last programme this session wrote and checked on the stick
    // attached now, as written.
    bool confirmed = false;
    StickProgramme confirmedProgramme;
    FiringPattern confirmedPattern;
};
