#pragma once
// What the platform files of the serial layer share (serial_common.cpp).
// Not for callers of the layer: they include serial.h.

// True for the indexes 0 .. SerialPortCount - 1 that address the table.
bool SerialIndexInTable(int index);

// The first two checks of SerialOpenPort, in their order: the index, then the
// baud rate. Fills the mode string for an accepted rate. Returns 0 when both
// pass, 1 after writing "illegal comport number" or "invalid baudrate".
int SerialCheckOpenArguments(int index, int baud);

// Hands a write about to be made to the tap set with SerialSetWriteTap.
void SerialNotifyWriteTap(int index, const unsigned char* bytes, int count);

// The platform's write: hands the port what it takes without waiting more
// than a few milliseconds. Returns that number (0 to count), or -1 when the
// write failed. Called only with an index in the table.
int SerialPlatformWrite(int index, const unsigned char* bytes, int count);

// The platform's read: up to maxBytes that have arrived, without waiting.
// Returns their number, 0 when none arrived or the read failed. Called only
// with an index in the table, a destination and maxBytes above 0.
int SerialPlatformRead(int index, unsigned char* destination, int maxBytes);

// Hands the port what waits in its write queue, as far as it takes it now,
// and drops what has waited past the deadline. SerialReadPort calls it before
// each read, so that waiting bytes go out on the monitor's ticks.
void SerialSendWaitingWrites(int index);

// Drops every write waiting for port `index`, with a line for each; true
// when there was one. The caller then closes the port, discarding the output
// the platform still holds, so that closing never waits for a stick that
// takes nothing.
bool SerialDropWaitingWrites(int index);

#include <cstddef>
#include <functional>

// Runs `close`, the rest of closing port `index`, on a thread of its own: the
// last close of a port whose device still holds output waits for the driver
// to send it (up to 30 s for a USB tty whose stick stopped reading), and the
// window's thread must not wait with it. Until `close` has returned, the
// port counts as closing (SerialPortClosing).
void SerialCloseOffThread(int index, std::function<void()> close);

// True while a close of port `index` is under way on its own thread. Such a
// port is not opened again until the close has finished: an open of a tty
// waits for its close, and the device's driver may hold both.
bool SerialPortClosing(int index);

// POSIX only: the device path of port `index` (COM<index + 1>) into `path`.
// False when that number has no device (an empty or missing entry of
// VITREL_SERIAL_PORTS, or a path that does not fit).
bool SerialDevicePath(int index, char* path, std::size_t size);

// POSIX only, for tests: the system calls with which a port is closed, in
// their order: the output discarded (TCOFLUSH), the output the device still
// holds asked for (TIOCOUTQ), exclusivity given up (TIOCNXCL), then the close,
// on a thread of its own when the device still holds output. At exit only
// the output is discarded. nullptr puts back the system's own.
struct SerialCloseCalls {
    int (*control)(int fd, unsigned long request, void* argument);
    int (*flush)(int fd, int queue);
    int (*close)(int fd);
};
void SerialSetCloseCalls(const SerialCloseCalls* calls);
