// The serial layer on Windows.
#include "device/serial.h"
#include "device/serial_internal.h"

#include <cstdio>

#include <windows.h>

namespace {

// SerialPortTable: the handle of the last open of each index. A close clears
// its slot so that no later call reaches a handle value Windows may already
// have given to something else.
struct PortTable {
  HANDLE handle[kSerialPortCount];
  PortTable() {
    for (HANDLE& slot : handle) slot = INVALID_HANDLE_VALUE;
  }
};
PortTable table;

// The longest a write waits for the port to take bytes; what it has not
// taken by then waits in the layer's write queue.
constexpr DWORD kWriteWaitMilliseconds = 10;

// The device-namespace form also reaches ports numbered 10 and above.
const char* const kPortDeviceNames[kSerialPortCount] = {
    "\\\\.\\COM1",  "\\\\.\\COM2",  "\\\\.\\COM3",  "\\\\.\\COM4",
    "\\\\.\\COM5",  "\\\\.\\COM6",  "\\\\.\\COM7",  "\\\\.\\COM8",
    "\\\\.\\COM9",  "\\\\.\\COM10", "\\\\.\\COM11", "\\\\.\\COM12",
    "\\\\.\\COM13", "\\\\.\\COM14", "\\\\.\\COM15", "\\\\.\\COM16"};

int FailOpen(int index, const char* message) {
  std::puts(message);
  CloseHandle(table.handle[index]);
  table.handle[index] = INVALID_HANDLE_VALUE;
  return 1;
}

int ModemLine(int index, DWORD line) {
  if (!SerialIndexInTable(index)) return 0;
  DWORD status = 0;
  if (!GetCommModemStatus(table.handle[index], &status)) return 0;
  return (status & line) ? 1 : 0;
}

int EscapeLine(int index, DWORD function) {
  if (!SerialIndexInTable(index)) return 0;
  return EscapeCommFunction(table.handle[index], function) ? 1 : 0;
}

}  // namespace

int SerialOpenPort(int index, int baud) {
  if (SerialCheckOpenArguments(index, baud) != 0) return 1;

  table.handle[index] = CreateFileA(kPortDeviceNames[index], GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (table.handle[index] == INVALID_HANDLE_VALUE) {
    std::puts("unable to open comport");
    return 1;
  }

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
  timeouts.WriteTotalTimeoutConstant = kWriteWaitMilliseconds;
  if (!SetCommTimeouts(table.handle[index], &timeouts))
    return FailOpen(index, "unable to set comport time-out settings");
  return 0;
}

int SerialReadPort(int index, unsigned char* destination, int maxBytes) {
  if (!SerialIndexInTable(index) || destination == nullptr || maxBytes <= 0) return 0;
  SerialSendWaitingWrites(index);
  DWORD received = 0;
  if (!ReadFile(table.handle[index], destination, static_cast<DWORD>(maxBytes), &received,
                nullptr))
    return 0;
  return static_cast<int>(received);
}

int SerialPlatformWrite(int index, const unsigned char* bytes, int count) {
  DWORD written = 0;
  if (WriteFile(table.handle[index], bytes, static_cast<DWORD>(count), &written, nullptr))
    return static_cast<int>(written);
  // A time-out is not a failure: the port took only part, or nothing.
  const DWORD error = GetLastError();
  return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? static_cast<int>(written) : -1;
}

int SerialClosePort(int index) {
  if (!SerialIndexInTable(index) || table.handle[index] == INVALID_HANDLE_VALUE) return 0;
  HANDLE handle = table.handle[index];
  table.handle[index] = INVALID_HANDLE_VALUE;
  if (SerialDropWaitingWrites(index)) PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
  return CloseHandle(handle) ? 1 : 0;
}

int SerialIsDcdOn(int index) { return ModemLine(index, MS_RLSD_ON); }
int SerialIsCtsOn(int index) { return ModemLine(index, MS_CTS_ON); }
int SerialIsDsrOn(int index) { return ModemLine(index, MS_DSR_ON); }

int SerialSetDtr(int index) { return EscapeLine(index, SETDTR); }
int SerialClearDtr(int index) { return EscapeLine(index, CLRDTR); }
int SerialSetRts(int index) { return EscapeLine(index, SETRTS); }
int SerialClearRts(int index) { return EscapeLine(index, CLRRTS); }

int SerialListPresentPorts(SerialPortName list[kSerialPortListSize]) {
  int stored = 0;
  for (int number = 1; number <= 9; ++number) {
    char name[kSerialPortNameSize];
    std::snprintf(name, sizeof name, "COM%d", number);
    // No access rights requested: this only asks whether the port exists and
    // is free now.
    SetLastError(0);
    HANDLE trial = CreateFileA(name, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD error = GetLastError();
    if (trial != INVALID_HANDLE_VALUE) CloseHandle(trial);
    if (error == 0 && trial != INVALID_HANDLE_VALUE)
      std::snprintf(list[stored++], kSerialPortNameSize, "COM%d", number);
  }
  return stored;
}

const char* SerialDeniedDevice() { return ""; }

void SerialWaitMilliseconds(int milliseconds) {
  if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}
