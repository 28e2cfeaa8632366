// The serial layer on Windows.
#include "device/serial.h"
#include "device/serial_internal.h"

#include <cstdio>
#include <set>

#include <windows.h>

#include "device/diagnostics.h"

namespace {

// SerialPortTable: the handle of the last open of each index. A close clears
// its slot so that no later call reaches a handle value Windows may already
// have given to something else.
struct PortTable {
    HANDLE handle[SerialPortCount];
    PortTable()
    {
        for (HANDLE& slot : handle)
            slot = INVALID_HANDLE_VALUE;
    }
    // The ports are left open at exit, for the system to close, which would
    // wait for a stalled stick's output (see ClosePortHandle): it is
    // discarded first.
    ~PortTable()
    {
        for (HANDLE slot : handle)
            if (slot != INVALID_HANDLE_VALUE)
                PurgeComm(slot, PURGE_TXABORT | PURGE_TXCLEAR);
    }
};
PortTable table;

// The longest a write waits for the port to take bytes; what it has not
// taken by then waits in the layer's write queue.
constexpr DWORD WriteWaitMilliseconds = 10;

// The device-namespace form also reaches ports numbered 10 and above.
const char* const PortDeviceNames[SerialPortCount] = {
    "\\\\.\\COM1",  "\\\\.\\COM2",  "\\\\.\\COM3",  "\\\\.\\COM4",  "\\\\.\\COM5",  "\\\\.\\COM6",
    "\\\\.\\COM7",  "\\\\.\\COM8",  "\\\\.\\COM9",  "\\\\.\\COM10", "\\\\.\\COM11", "\\\\.\\COM12",
    "\\\\.\\COM13", "\\\\.\\COM14", "\\\\.\\COM15", "\\\\.\\COM16"};

// The error of the last failed open of each index, 0 after one that
// succeeded: a port that stays busy or missing is reported once, not at
// every probe.
DWORD openFailure[SerialPortCount];

// Closes a port without waiting for the device to take what it has not
// taken: the output still held is discarded first. A USB serial driver may
// still hold bytes it handed on, and then CloseHandle waits for them: such a
// close runs off the caller's thread. A port that cannot tell (one removed)
// has nothing to wait for.
BOOL ClosePortHandle(int index, HANDLE handle)
{
    PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
    DWORD errors = 0;
    COMSTAT status;
    if (!ClearCommError(handle, &errors, &status) || status.cbOutQue == 0)
        return CloseHandle(handle);
    SerialCloseOffThread(index, [handle] { CloseHandle(handle); });
    return TRUE;
}

int FailOpen(int index, const char* message)
{
    DiagnosticLine(message);
    ClosePortHandle(index, table.handle[index]);
    table.handle[index] = INVALID_HANDLE_VALUE;
    return 1;
}

int ModemLine(int index, DWORD line)
{
    if (!SerialIndexInTable(index))
        return 0;
    DWORD status = 0;
    if (!GetCommModemStatus(table.handle[index], &status))
        return 0;
    return (status & line) ? 1 : 0;
}

int EscapeLine(int index, DWORD function)
{
    if (!SerialIndexInTable(index))
        return 0;
    return EscapeCommFunction(table.handle[index], function) ? 1 : 0;
}

}  // namespace

int SerialOpenPort(int index, int baud)
{
    if (SerialCheckOpenArguments(index, baud) != 0)
        return 1;

    const bool closing = SerialPortClosing(index);
    table.handle[index] = closing ? INVALID_HANDLE_VALUE
                                  : CreateFileA(PortDeviceNames[index], GENERIC_READ | GENERIC_WRITE, 0,
                                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (table.handle[index] == INVALID_HANDLE_VALUE) {
        const DWORD error = closing ? ERROR_BUSY : GetLastError();
        if (openFailure[index] != error)
            DiagnosticLine("unable to open comport");
        openFailure[index] = error;
        return 1;
    }
    openFailure[index] = 0;

    DCB settings;
    ZeroMemory(&settings, sizeof settings);
    settings.DCBlength = sizeof settings;
    if (!BuildCommDCBA(SerialModeString(), &settings))
        return FailOpen(index, "unable to set comport dcb settings");
    if (!SetCommState(table.handle[index], &settings))
        return FailOpen(index, "unable to set comport cfg settings");

    // A read returns at once with what has arrived; a write returns with what
    // the port took within a few milliseconds.
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = WriteWaitMilliseconds;
    if (!SetCommTimeouts(table.handle[index], &timeouts))
        return FailOpen(index, "unable to set comport time-out settings");
    return 0;
}

int SerialPlatformRead(int index, unsigned char* destination, int maxBytes)
{
    DWORD received = 0;
    if (!ReadFile(table.handle[index], destination, static_cast<DWORD>(maxBytes), &received, nullptr))
        return 0;
    return static_cast<int>(received);
}

int SerialPlatformWrite(int index, const unsigned char* bytes, int count)
{
    DWORD written = 0;
    if (WriteFile(table.handle[index], bytes, static_cast<DWORD>(count), &written, nullptr))
        return static_cast<int>(written);
    // A time-out is not a failure: the port took only part, or nothing.
    const DWORD error = GetLastError();
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? static_cast<int>(written) : -1;
}

int SerialClosePort(int index)
{
    if (!SerialIndexInTable(index) || table.handle[index] == INVALID_HANDLE_VALUE)
        return 0;
    HANDLE handle = table.handle[index];
    table.handle[index] = INVALID_HANDLE_VALUE;
    SerialDropWaitingWrites(index);
    return ClosePortHandle(index, handle) ? 1 : 0;
}

int SerialIsDcdOn(int index)
{
    return ModemLine(index, MS_RLSD_ON);
}
int SerialIsCtsOn(int index)
{
    return ModemLine(index, MS_CTS_ON);
}
int SerialIsDsrOn(int index)
{
    return ModemLine(index, MS_DSR_ON);
}

int SerialSetDtr(int index)
{
    return EscapeLine(index, SETDTR);
}
int SerialClearDtr(int index)
{
    return EscapeLine(index, CLRDTR);
}
int SerialSetRts(int index)
{
    return EscapeLine(index, SETRTS);
}
int SerialClearRts(int index)
{
    return EscapeLine(index, CLRRTS);
}

namespace {

// Arrivals announced on each port; see SerialNotePortArrival.
unsigned long long arrivals[SerialPortCount];

// Serial port drivers list their ports under SERIALCOMM, one value per port
// whose data is the port's name. Calls `take` with each name until it
// returns true.
template <class Take> void EachSerialCommName(Take take)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        char value[256];
        DWORD valueSize = sizeof value;
        char data[64];
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        LONG result = RegEnumValueA(key, i, value, &valueSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                    &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataSize < sizeof data ? dataSize : sizeof data - 1] = '\0';
        if (take(data))
            break;
    }
    RegCloseKey(key);
}

bool ListedInSerialComm(const char* name)
{
    bool listed = false;
    EachSerialCommName([&](const char* listedName) { return listed = lstrcmpiA(listedName, name) == 0; });
    return listed;
}

}  // namespace

unsigned long long SerialPortPresence(int index, bool& mayOpen)
{
    mayOpen = true;
    if (!SerialIndexInTable(index))
        return 0;
    char name[SerialPortNameSize + 8];
    std::snprintf(name, sizeof name, "COM%d", index + 1);
    // Neither asks the port itself. Where both miss a port (Wine's dosdevices
    // links), an open that asks for no access tells: it queries the device
    // without reading or writing it.
    char target[512];
    if (ListedInSerialComm(name) || QueryDosDeviceA(name, target, sizeof target) != 0)
        return 1 + arrivals[index];
    HANDLE query = CreateFileA(name, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (query == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(query);
    return 1 + arrivals[index];
}

void SerialNotePortArrival(int index)
{
    if (SerialIndexInTable(index))
        ++arrivals[index];
}

int SerialListPortsBeyondSearch(int numbers[], int room)
{
    std::set<int> listed;  // in ascending order, each number once
    EachSerialCommName([&](const char* name) {
        int number = 0;
        char rest = 0;
        if (std::sscanf(name, "%*1[Cc]%*1[Oo]%*1[Mm]%d%c", &number, &rest) == 1 && number >= 10)
            listed.insert(number);
        return false;
    });
    int stored = 0;
    for (auto number = listed.begin(); number != listed.end() && stored < room; ++number)
        numbers[stored++] = *number;
    return stored;
}

const char* SerialDeniedDevice()
{
    return "";
}

void SerialDescribePort(int index, char* where, std::size_t whereSize, char* product, std::size_t productSize)
{
    if (productSize > 0)
        product[0] = '\0';
    if (whereSize == 0)
        return;
    where[0] = '\0';
    if (SerialIndexInTable(index))
        std::snprintf(where, whereSize, "COM%d", index + 1);
}
