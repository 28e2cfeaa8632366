#pragma once
// Serial port layer: the lowest layer of the device link.
//
// Ports are addressed by a zero-based index: index i is the port numbered
// i + 1 ("COM1" is index 0). Callers holding a one-based port number pass that
// number minus one. One source file per operating system implements this
// header (serial_posix.cpp, serial_win32.cpp); serial_common.cpp holds what
// both share.
//
// Diagnostics are single lines on standard output (puts); results are return
// values. Nothing here is thread-safe: all calls come from the GUI thread.

#include <cstddef>

// Number of slots of the process-wide SerialPortTable (COM1 .. COM16).
constexpr int SerialPortCount = 16;

// Opens port `index` exclusively at `baud` with 8 data bits, no parity,
// 1 stop bit, DTR and RTS on, no flow control, reads that never wait.
// Returns 0 when opened and configured, 1 on failure (after one message line:
// "illegal comport number", "invalid baudrate", "unable to open comport",
// "unable to set comport dcb settings", "unable to set comport cfg settings"
// or "unable to set comport time-out settings").
int SerialOpenPort(int index, int baud);

// Copies whatever bytes have arrived (at most maxBytes) into `destination`
// and returns their number; 0 when nothing was waiting or the read failed.
// Never waits for data.
int SerialReadPort(int index, unsigned char* destination, int maxBytes);

// Writes `count` bytes without waiting for the port. What the port does not
// take at once waits in the port's write queue, behind what waits there
// already, and goes out on later reads and writes of that port; a write the
// port has taken nothing of within the queue's deadline is dropped with a
// line on standard output (see WriteQueue). Returns count when every byte was
// handed over or queued; fewer when the queue had no room for the rest (a
// line says so); -1 when the platform write failed.
int SerialWritePort(int index, const unsigned char* source, int count);

// Writes `count` bytes only as far as the port takes them now: for writes
// the user waits on, which must not go out long after they were reported
// failed. When the port takes only part, the rest of the frame it began is
// queued and finished later, so that the stick never reads another frame
// into it; the frames after it are never sent. Returns the bytes that go out:
// count when all of them do; fewer when the port took only part (up to the
// end of the begun frame) or, with bytes of earlier writes still waiting,
// none; -1 when the platform write failed.
int SerialWritePortAtOnce(int index, const unsigned char* source, int count);

// The bytes waiting in the write queue of port `index`.
int SerialPendingBytes(int index);

// Writes one byte as SerialWritePort does; returns 0.
int SerialWriteByte(int index, unsigned char byte);

// Writes the bytes of a zero-terminated text one at a time with
// SerialWriteByte (without the terminating zero); returns 0.
int SerialWriteText(int index, const char* text);

// Closes the port; returns nonzero when the platform closed it.
int SerialClosePort(int index);

// Modem status lines: 1 when the line is on, else 0.
int SerialIsDcdOn(int index);
int SerialIsCtsOn(int index);
int SerialIsDsrOn(int index);

// Drive DTR and RTS; nonzero when the platform did it.
int SerialSetDtr(int index);
int SerialClearDtr(int index);
int SerialSetRts(int index);
int SerialClearRts(int index);

// The line-settings text built by the last SerialOpenPort that got past the
// baud-rate check, for example "baud=9600 data=8 parity=N stop=1 dtr=on rts=on";
// empty before that.
const char* SerialModeString();

// Observes every SerialWritePort, SerialWritePortAtOnce and SerialWriteByte
// call: `tap` is called
// with the index and the bytes before they are handed to the platform.
// Passing nullptr removes the tap.
using SerialWriteTap = void (*)(int index, const unsigned char* bytes, int count, void* context);
void SerialSetWriteTap(SerialWriteTap tap, void* context);

// Port discovery.
constexpr int SerialPortListSize = 10;  // room the caller's list must have
constexpr int SerialPortNameSize = 8;  // room for one name ("COM9" and a zero)
using SerialPortName = char[SerialPortNameSize];

// Whether port `index` has a device now, told without opening it: an open
// raises DTR, and many boards reset on that. On Linux the device node must be
// a character device, and a tty the kernel lists in /sys/class/tty must have
// a device behind it; on Windows the port must be in the registry's
// SERIALCOMM list or have a DOS device name. Returns 0 when there is none,
// else a nonzero stamp that changes when another device takes the number
// (on Windows, when a device arrival was announced for it). `mayOpen` is false when the user may not open the
// device (see SerialDeniedDevice).
unsigned long long SerialPortPresence(int index, bool& mayOpen);

// Windows only: a device arrived on port `index` (WM_DEVICECHANGE). Its
// presence stamp changes, so it counts as a new device even when the one
// before left and it came between two presence checks.
void SerialNotePortArrival(int index);

// Stores the names of the present ones of "COM1" .. "COM9" (see
// SerialPortPresence; nothing is opened) in ascending order from list[0] on.
// Returns how many were stored (0 to 9); entries beyond that are left
// untouched.
int SerialListPresentPorts(SerialPortName list[SerialPortListSize]);

// The ports numbered 10 and above that the system lists now: the search
// (SerialListPresentPorts) never tries them, so a stick there is never
// found. Stores their numbers in ascending order, at most `room`, and
// returns how many were stored. Opens nothing. On Windows they come from the
// registry's SERIALCOMM list; elsewhere there are none, since the table of
// device paths gives the low numbers to the first devices of each kind.
int SerialListPortsBeyondSearch(int numbers[], int room);

// The device path of the last port whose device exists but that this user
// may not open (permission denied), so that the user can be told how to fix
// it; empty when there was none. Always empty on Windows, where a port that
// cannot be opened is in use, not forbidden.
const char* SerialDeniedDevice();

// Where port `index` leads, in the words the user knows it by: its device
// path on Linux ("/dev/ttyUSB0"), its name on Windows ("COM3"); and into
// `product` the product name the USB device gives ("FT232R USB UART") where
// the system tells it, else an empty text. Both empty when the number has no
// device path (an empty entry of VITREL_SERIAL_PORTS). Opens nothing.
void SerialDescribePort(int index, char* where, std::size_t whereSize, char* product,
                        std::size_t productSize);

// 1 to 14 for the whole names "COM1" to "COM14", else 0.
int PortNumberFromName(const char* name);
