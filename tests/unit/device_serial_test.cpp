// The serial layer's argument checks and port names: no device needed.
#include <gtest/gtest.h>

#include "device/serial.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

TEST(SerialArguments, IndexIsCheckedBeforeBaudRate)
{
    CaptureStdout();
    EXPECT_EQ(SerialOpenPort(16, 9600), 1);
    EXPECT_EQ(SerialOpenPort(-1, 9600), 1);
    EXPECT_EQ(SerialOpenPort(16, 14400), 1);
    EXPECT_EQ(SerialOpenPort(0, 14400), 1);
    EXPECT_EQ(GetCapturedStdout(), "illegal comport number\nillegal comport number\nillegal comport number\n"
                                   "invalid baudrate\n");
}

TEST(SerialArguments, PortNumberFromWholeName)
{
    EXPECT_EQ(PortNumberFromName("COM1"), 1);
    EXPECT_EQ(PortNumberFromName("COM7"), 7);
    EXPECT_EQ(PortNumberFromName("COM14"), 14);
    for (const char* other : {"COM15", "COM0", "COM", "COM1x", "COM03", "com3", " COM3", "", "/dev/ttyACM2"})
        EXPECT_EQ(PortNumberFromName(other), 0) << other;
    EXPECT_EQ(PortNumberFromName(nullptr), 0);
}

}  // namespace
