// The serial layer's argument checks and port names: no device needed.
#include <gtest/gtest.h>

#include "device/serial.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

TEST(SerialArguments, IndexIsCheckedBeforeBaudRate) {
  CaptureStdout();
  EXPECT_EQ(SerialOpenPort(16, 9600), 1);
  EXPECT_EQ(SerialOpenPort(-1, 9600), 1);
  EXPECT_EQ(SerialOpenPort(16, 14400), 1);
  EXPECT_EQ(SerialOpenPort(0, 14400), 1);
  EXPECT_EQ(GetCapturedStdout(),
            "illegal comport number\nillegal comport number\nillegal comport number\n"
            "invalid baudrate\n");
}

TEST(SerialArguments, IndexesOutsideTheTableReachNothing) {
  unsigned char buffer[8] = {};
  const unsigned char poll[] = {0x00, 0x0B, 0xFF};
  for (int index : {-1, 16, 1000, -2147483647 - 1}) {
    EXPECT_EQ(SerialReadPort(index, buffer, sizeof buffer), 0);
    EXPECT_EQ(SerialWritePort(index, poll, 3), -1);
    EXPECT_EQ(SerialWriteText(index, "abc"), 0);
    EXPECT_EQ(SerialClosePort(index), 0);
    EXPECT_EQ(SerialIsCtsOn(index), 0);
    EXPECT_EQ(SerialSetDtr(index), 0);
  }
}

TEST(SerialArguments, PortNumberFromWholeName) {
  EXPECT_EQ(PortNumberFromName("COM1"), 1);
  EXPECT_EQ(PortNumberFromName("COM7"), 7);
  EXPECT_EQ(PortNumberFromName("COM14"), 14);
  for (const char* other : {"COM15", "COM0", "COM", "COM1x", "COM03", "com3", " COM3", "", "/dev/ttyACM2"})
    EXPECT_EQ(PortNumberFromName(other), 0) << other;
  EXPECT_EQ(PortNumberFromName(nullptr), 0);
}

}  // namespace
