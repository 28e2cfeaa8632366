// What the platform files of the serial layer share (serial_common.cpp).
// Not for callers of the layer: they include serial.h.
#ifndef VITREL_DEVICE_SERIAL_INTERNAL_H
#define VITREL_DEVICE_SERIAL_INTERNAL_H

// True for the indexes 0 .. kSerialPortCount - 1 that address the table.
bool SerialIndexInTable(int index);

// The first two checks of SerialOpenPort, in their order: the index, then the
// baud rate. Fills the mode string for an accepted rate. Returns 0 when both
// pass, 1 after writing "illegal comport number" or "invalid baudrate".
int SerialCheckOpenArguments(int index, int baud);

// Hands a write about to be made to the tap set with SerialSetWriteTap.
void SerialNotifyWriteTap(int index, const unsigned char* bytes, int count);

#include <cstddef>

// POSIX only: the device path of port `index` (COM<index + 1>) into `path`.
// False when that number has no device (an empty or missing entry of
// VITREL_SERIAL_PORTS, or a path that does not fit).
bool SerialDevicePath(int index, char* path, std::size_t size);

#endif
