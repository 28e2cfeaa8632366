// The platform-independent part of the serial layer: argument checks, the
// mode string, the write tap, SerialWriteText, the list of present ports and
// port names.
#include "device/serial.h"
#include "device/serial_internal.h"

#include <cstdio>
#include <cstring>

namespace {

const int kSupportedBaudRates[] = {110,    300,    600,    1200,   2400,
                                   4800,   9600,   19200,  38400,  57600,
                                   115200, 128000, 256000, 500000, 1000000};

char modeString[64];

SerialWriteTap writeTap = nullptr;
void* writeTapContext = nullptr;

}  // namespace

bool SerialIndexInTable(int index) {
  return static_cast<unsigned>(index) < static_cast<unsigned>(kSerialPortCount);
}

int SerialCheckOpenArguments(int index, int baud) {
  if (!SerialIndexInTable(index)) {
    std::puts("illegal comport number");
    return 1;
  }
  for (int rate : kSupportedBaudRates) {
    if (rate == baud) {
      std::snprintf(modeString, sizeof modeString,
                    "baud=%d data=8 parity=N stop=1 dtr=on rts=on", baud);
      return 0;
    }
  }
  std::puts("invalid baudrate");
  return 1;
}

const char* SerialModeString() { return modeString; }

void SerialSetWriteTap(SerialWriteTap tap, void* context) {
  writeTap = tap;
  writeTapContext = tap ? context : nullptr;
}

void SerialNotifyWriteTap(int index, const unsigned char* bytes, int count) {
  if (writeTap) writeTap(index, bytes, count, writeTapContext);
}

int SerialWriteText(int index, const char* text) {
  if (text == nullptr) return 0;
  for (const char* c = text; *c != '\0'; ++c)
    SerialWriteByte(index, static_cast<unsigned char>(*c));
  return 0;
}

int SerialListPresentPorts(SerialPortName list[kSerialPortListSize]) {
  int stored = 0;
  for (int number = 1; number <= 9; ++number) {
    bool mayOpen;
    if (SerialPortPresence(number - 1, mayOpen) != 0)
      std::snprintf(list[stored++], kSerialPortNameSize, "COM%d", number);
  }
  return stored;
}

int PortNumberFromName(const char* name) {
  if (name == nullptr) return 0;
  char candidate[kSerialPortNameSize];
  for (int number = 1; number <= 14; ++number) {
    std::snprintf(candidate, sizeof candidate, "COM%d", number);
    if (std::strcmp(name, candidate) == 0) return number;
  }
  return 0;
}
