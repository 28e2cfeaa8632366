// The platform-independent part of the serial layer: argument checks, the
// mode string, the write tap, the write queues, the writes, the list of
// present ports and port names.
#include "device/serial.h"
#include "device/serial_internal.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include "device/diagnostics.h"
#include "device/write_queue.h"
#include "device/steady_clock.h"

namespace {

const int SupportedBaudRates[] = {110,   300,   600,    1200,   2400,   4800,   9600,   19200,
                                  38400, 57600, 115200, 128000, 256000, 500000, 1000000};

char modeString[64];

SerialWriteTap writeTap = nullptr;
void* writeTapContext = nullptr;

WriteQueue writeQueues[SerialPortCount];

// Closes under way on their own threads, per port.
std::atomic<int> closesUnderway[SerialPortCount];

void ReportDropped(const std::vector<int>& sizes, const char* reason)
{
    for (int size : sizes) {
        char line[128];
        std::snprintf(line, sizeof line, "Dropped a write of %d bytes %s", size, reason);
        DiagnosticLine(line);
    }
}

void ReportNoRoom(int size)
{
    ReportDropped({size}, "that found the port's write queue full");
}

// Sends what waits; false when the port failed.
bool SendWaiting(int index, long long nowMs)
{
    // Every write and read comes here first; mostly nothing waits.
    if (writeQueues[index].Empty())
        return true;
    std::vector<int> dropped;
    const bool sent = writeQueues[index].Pump(
        [index](const unsigned char* bytes, int count) { return SerialPlatformWrite(index, bytes, count); },
        nowMs, dropped);
    if (dropped.empty())
        return sent;
    char reason[64];
    std::snprintf(reason, sizeof reason, "that the port did not take within %lld ms",
                  WriteQueue::DeadlineMilliseconds);
    ReportDropped(dropped, reason);
    return sent;
}

// The bytes from `taken` on that end the frame the first `taken` bytes began:
// up to and with the next end byte, as the stick's receiver ends a frame at
// its first 0xFF. None when the last byte taken ended a frame.
int RestOfBegunFrame(const unsigned char* bytes, int taken, int count)
{
    if (taken == 0 || bytes[taken - 1] == 0xFF)
        return 0;
    const unsigned char* end = std::find(bytes + taken, bytes + count, 0xFF);
    return static_cast<int>(end - bytes) + (end == bytes + count ? 0 : 1) - taken;
}

// The writes of SerialWritePort (`mayWait`) and SerialWritePortAtOnce.
int Write(int index, const unsigned char* bytes, int count, bool mayWait)
{
    if (!SerialIndexInTable(index))
        return -1;
    WriteQueue& queue = writeQueues[index];
    const long long now = SteadyMilliseconds();
    if (!SendWaiting(index, now))
        return -1;
    if (!queue.Empty()) {
        // Older bytes wait: these go behind them, never past them.
        if (!mayWait)
            return 0;
        if (queue.Append(bytes, count, false, now))
            return count;
        ReportNoRoom(count);
        return 0;
    }
    const int taken = SerialPlatformWrite(index, bytes, count);
    if (taken < 0 || taken == count || (taken == 0 && !mayWait))
        return taken;
    // A write the user is told about goes no further than the frame the port
    // began: the stick would read the next frame into its unfinished rest.
    const int rest = mayWait ? count - taken : RestOfBegunFrame(bytes, taken, count);
    if (!queue.Append(bytes + taken, rest, taken > 0, now)) {
        ReportNoRoom(rest);
        return taken;
    }
    return taken + rest;
}

}  // namespace

bool SerialIndexInTable(int index)
{
    return static_cast<unsigned>(index) < static_cast<unsigned>(SerialPortCount);
}

void SerialCloseOffThread(int index, std::function<void()> close)
{
    ++closesUnderway[index];
    auto finish = [index, close = std::move(close)] {
        close();
        --closesUnderway[index];
    };
    // Without a thread to spare, the close is made here rather than not at all.
    try {
        std::thread(finish).detach();
    } catch (const std::system_error&) {
        finish();
    }
}

bool SerialPortClosing(int index)
{
    return SerialIndexInTable(index) && closesUnderway[index] > 0;
}

int SerialCheckOpenArguments(int index, int baud)
{
    if (!SerialIndexInTable(index)) {
        DiagnosticLine("illegal comport number");
        return 1;
    }
    for (int rate : SupportedBaudRates) {
        if (rate == baud) {
            std::snprintf(modeString, sizeof modeString, "baud=%d data=8 parity=N stop=1 dtr=on rts=on",
                          baud);
            return 0;
        }
    }
    DiagnosticLine("invalid baudrate");
    return 1;
}

const char* SerialModeString()
{
    return modeString;
}

void SerialSetWriteTap(SerialWriteTap tap, void* context)
{
    writeTap = tap;
    writeTapContext = tap ? context : nullptr;
}

void SerialNotifyWriteTap(int index, const unsigned char* bytes, int count)
{
    if (writeTap)
        writeTap(index, bytes, count, writeTapContext);
}

int SerialWritePort(int index, const unsigned char* source, int count)
{
    if (count < 0 || (source == nullptr && count > 0))
        return -1;
    SerialNotifyWriteTap(index, source, count);
    return Write(index, source, count, true);
}

int SerialWritePortAtOnce(int index, const unsigned char* source, int count)
{
    if (count < 0 || (source == nullptr && count > 0))
        return -1;
    SerialNotifyWriteTap(index, source, count);
    return Write(index, source, count, false);
}

int SerialWriteByte(int index, unsigned char byte)
{
    SerialNotifyWriteTap(index, &byte, 1);
    Write(index, &byte, 1, true);
    return 0;
}

int SerialReadPort(int index, unsigned char* destination, int maxBytes)
{
    if (!SerialIndexInTable(index) || destination == nullptr || maxBytes <= 0)
        return 0;
    SerialSendWaitingWrites(index);
    return SerialPlatformRead(index, destination, maxBytes);
}

int SerialPendingBytes(int index)
{
    return SerialIndexInTable(index) ? writeQueues[index].Bytes() : 0;
}

void SerialSendWaitingWrites(int index)
{
    if (SerialIndexInTable(index) && !writeQueues[index].Empty())
        SendWaiting(index, SteadyMilliseconds());
}

bool SerialDropWaitingWrites(int index)
{
    if (!SerialIndexInTable(index) || writeQueues[index].Empty())
        return false;
    ReportDropped(writeQueues[index].Clear(), "that was still waiting when the port was closed");
    return true;
}

int SerialWriteText(int index, const char* text)
{
    if (text == nullptr)
        return 0;
    for (const char* c = text; *c != '\0'; ++c)
        SerialWriteByte(index, static_cast<unsigned char>(*c));
    return 0;
}

int SerialListPresentPorts(SerialPortName list[SerialPortListSize])
{
    int stored = 0;
    for (int number = 1; number <= 9; ++number) {
        bool mayOpen;
        if (SerialPortPresence(number - 1, mayOpen) != 0)
            std::snprintf(list[stored++], SerialPortNameSize, "COM%d", number);
    }
    return stored;
}

int PortNumberFromName(const char* name)
{
    if (name == nullptr)
        return 0;
    char candidate[SerialPortNameSize];
    for (int number = 1; number <= 14; ++number) {
        std::snprintf(candidate, sizeof candidate, "COM%d", number);
        if (std::strcmp(name, candidate) == 0)
            return number;
    }
    return 0;
}
