#include "device/device_link.h"

#include <cmath>

#include "device/instruction.h"
#include "device/serial.h"
#include "device/steady_clock.h"

namespace {

// The stick's slot timer counts 4 MHz / (4 x prescaler) times a second in a
// 16-bit counter loaded with 65535 - count, and overflows twice per slot.
constexpr double TimerClockHz = 4000000.0;
constexpr int LargestPrescaler = 256;
// F0: the lowest overflow rate, count 65536 at the largest prescaler.
constexpr double LowestOverflowHz = TimerClockHz / (4.0 * LargestPrescaler * 65536.0);
constexpr double HighestOverflowHz = 500000.0;

}  // namespace

DeviceLink::DeviceLink(const char* calibrationPath)
{
    calibration.Load(calibrationPath);
}

bool DeviceLink::RecheckingStick() const
{
    return probe.RecheckingStick(SteadyMilliseconds());
}

int DeviceLink::ProbePorts()
{
    const long long nowMs = SteadyMilliseconds();
    if (port != 0)
        probe.StickFellSilent(port, nowMs);
    port = 0;
    return probe.Step(nowMs, portWatch.Changed());
}

int DeviceLink::SendInstruction(signed char code, const unsigned char* first, const unsigned char* second,
                                const unsigned char* third)
{
    if (port == 0)
        return 0;
    unsigned char frame[MaxInstructionFrameBytes];
    int length = BuildInstructionFrame(code, first, second, third, frame);
    if (length > 0)
        SerialWritePort(port - 1, frame, length);
    return 0;
}

bool DeviceLink::EncodeSlotFrequency(double hz, unsigned char& lo, unsigned char& hi,
                                     unsigned char& sel) const
{
    if (!(hz > 0.0) || !std::isfinite(hz))
        return false;
    double deviceHz = calibration.ToDevice(hz);
    if (!(deviceHz > 0.0) || !std::isfinite(deviceHz))
        return false;
    double overflowHz = 2.0 * deviceHz;
    if (!(overflowHz > LowestOverflowHz && overflowHz <= HighestOverflowHz))
        return false;

    // Band k (F0 * 2^k <= a < F0 * 2^(k+1)) takes selector 7 - k; from F7 up,
    // selector 0. The prescaler is 2^(selector + 1).
    int selector = 7;
    for (double edge = 2.0 * LowestOverflowHz; selector > 0 && overflowHz >= edge; edge *= 2.0)
        --selector;
    int prescaler = 2 << selector;
    long count = static_cast<long>(TimerClockHz / (overflowHz * prescaler * 4.0));

    // At a band's lower edge the count is 65536, one more than the counter holds.
    if (count > 65535)
        count = 65535;
    // A zero low byte of the count makes lo 0xFF, which ends the frame early at
    // the stick; count + 1 lies nearer the exact value than count - 1 would.
    if ((count & 0xFF) == 0)
        ++count;
    // Below 256 hi is 0xFF whatever the neighbour: such a rate cannot be sent.
    if (count < 256)
        return false;

    unsigned reload = 65535u - static_cast<unsigned>(count);
    lo = static_cast<unsigned char>(reload & 0xFF);
    hi = static_cast<unsigned char>(reload >> 8);
    sel = static_cast<unsigned char>(selector);
    return true;
}

double DeviceLink::DecodeSlotFrequency(unsigned char lo, unsigned char hi, unsigned char sel) const
{
    signed char selector = static_cast<signed char>(sel);
    int prescaler = (selector >= 1 && selector <= 7) ? (2 << selector) : 2;
    int count = (255 - hi) * 256 + (255 - lo);
    if (count == 0)
        return 0.0;
    double deviceHz = TimerClockHz / (8.0 * prescaler * count);
    return calibration.FromDevice(deviceHz);
}
