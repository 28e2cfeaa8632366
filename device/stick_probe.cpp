#include "device/stick_probe.h"

#include "device/instruction.h"
#include "device/serial.h"

namespace {

constexpr int Candidates = 9;  // COM1 .. COM9
constexpr int StickBaud = 9600;
constexpr long long Never = -1;
constexpr long long NewPortMs = 10000;  // the time a port counts as new

// Whether `bytes` hold an Identify instruction: 00 0C, any payload, FF.
// Noise before it is skipped as the instruction parser skips it, and so are
// frames with other codes. A 00 right before a 00 is taken for noise too (a
// line glitch as the port opens), not for the start of a frame.
bool HoldsIdentifyAnswer(const unsigned char* bytes, int count)
{
    int i = 0;
    while (i < count) {
        if (bytes[i] != 0x00 || (i + 1 < count && bytes[i + 1] == 0x00)) {
            ++i;
            continue;
        }
        int end = i + 2;
        while (end < count && bytes[end] != 0xFF)
            ++end;
        if (end >= count)
            return false;  // not complete yet
        if (bytes[i + 1] == static_cast<unsigned char>(Identify))
            return true;
        i = end + 1;
    }
    return false;
}

}  // namespace

struct StickProbe::Port {
    unsigned long long stamp = 0;  // the device's presence stamp; 0 = absent
    bool mayOpen = false;
    long long appearedMs = 0;
    int probes = 0;  // Identify sent since the device appeared
    long long firstProbeMs = 0;
    long long nextMs = 0;  // earliest time of the next probe, or Never
    bool silentStick = false;  // the stick's own port after it fell silent
    bool probing = false;  // open, Identify sent, answer not yet taken
    long long sentMs = 0;
    int received = 0;
    unsigned char bytes[ProbeBufferSize];
};

StickProbe::StickProbe() : ports(new Port[Candidates]) { }

StickProbe::~StickProbe()
{
    Stop();
    delete[] ports;
}

void StickProbe::Stop()
{
    for (int number = 1; number <= Candidates; ++number) {
        if (!ports[number - 1].probing)
            continue;
        SerialClosePort(number - 1);
        ports[number - 1].probing = false;
    }
}

void StickProbe::RefreshPresence(long long nowMs)
{
    lastPresenceMs = nowMs;
    presenceKnown = true;
    for (int number = 1; number <= Candidates; ++number) {
        Port& port = ports[number - 1];
        bool mayOpen = false;
        const unsigned long long stamp = SerialPortPresence(number - 1, mayOpen);
        const bool replaced = stamp != port.stamp;
        if (number == recheckedPort && (replaced || stamp == 0))
            recheckedPort = 0;
        if (replaced) {
            // Gone, or another device on this number: whatever was known of the
            // old one no longer counts.
            if (port.probing)
                SerialClosePort(number - 1);
            port = Port();
            port.stamp = stamp;
            port.appearedMs = nowMs;
        }
        port.mayOpen = mayOpen;
    }
}

void StickProbe::StartProbes(long long nowMs)
{
    unsigned char identify[MaxInstructionFrameBytes];
    const int length = BuildInstructionFrame(Identify, nullptr, nullptr, nullptr, identify);
    int opened = 0;
    for (int number = 1; number <= Candidates && opened < OpensPerStep; ++number) {
        Port& port = ports[number - 1];
        if (port.stamp == 0 || port.probing || port.nextMs == Never || port.nextMs > nowMs)
            continue;
        if (!port.silentStick && port.probes > 0 && nowMs - port.appearedMs >= NewPortMs) {
            port.nextMs = Never;  // no longer new: its turn to answer is over
            continue;
        }
        // A port that cannot be opened (busy, or not allowed) was not disturbed:
        // it is tried again later.
        if (!port.mayOpen || SerialOpenPort(number - 1, StickBaud) != 0) {
            port.nextMs = nowMs + RetryMs;
            if (number == recheckedPort)
                recheckedPort = 0;
            continue;
        }
        ++opened;
        SerialWritePort(number - 1, identify, length);
        if (port.probes == 0)
            port.firstProbeMs = nowMs;
        port.probing = true;
        port.sentMs = nowMs;
        port.received = 0;
        ++port.probes;
    }
}

void StickProbe::Collect(int number)
{
    Port& port = ports[number - 1];
    if (port.received < ProbeBufferSize)
        port.received +=
            SerialReadPort(number - 1, port.bytes + port.received, ProbeBufferSize - port.received);
}

void StickProbe::EndProbe(int number, long long nowMs)
{
    Port& port = ports[number - 1];
    SerialClosePort(number - 1);
    port.probing = false;
    if (number == recheckedPort)
        recheckedPort = 0;
    if (port.silentStick) {
        port.nextMs = port.sentMs + RetryMs;
        return;
    }
    port.nextMs = Never;
    if (port.probes <= 3) {
        const long long next = port.firstProbeMs + NewPortReprobeMs[port.probes - 1];
        if (next < port.appearedMs + NewPortMs)
            port.nextMs = next > nowMs ? next : nowMs;
    }
}

int StickProbe::Step(long long nowMs, bool devicesChanged)
{
    if (devicesChanged || !presenceKnown || nowMs - lastPresenceMs >= RetryMs)
        RefreshPresence(nowMs);
    StartProbes(nowMs);

    // The first port in ascending order decides: an answer from a higher port
    // waits while a lower one may still answer.
    int found = 0;
    for (int number = 1; number <= Candidates && found == 0; ++number) {
        Port& port = ports[number - 1];
        if (!port.probing)
            continue;
        Collect(number);
        if (HoldsIdentifyAnswer(port.bytes, port.received)) {
            found = number;
        } else if (nowMs - port.sentMs >= AnswerDeadlineMs) {
            EndProbe(number, nowMs);
        } else {
            break;
        }
    }
    if (found == 0)
        return 0;

    // Probes cut short by the find count as made.
    for (int number = 1; number <= Candidates; ++number)
        if (ports[number - 1].probing)
            EndProbe(number, nowMs);
    for (int number = 1; number <= Candidates; ++number)
        ports[number - 1].silentStick = false;
    return found;
}

void StickProbe::StickFellSilent(int number, long long nowMs)
{
    if (number < 1 || number > Candidates)
        return;
    Port& port = ports[number - 1];
    port.silentStick = true;
    port.nextMs = nowMs;
    recheckedPort = number;
    recheckSinceMs = nowMs;
    presenceKnown = false;  // an unplugged stick is not tried at all
}

bool StickProbe::RecheckingStick(long long nowMs) const
{
    return recheckedPort != 0 && nowMs - recheckSinceMs < RecheckShownMs;
}
