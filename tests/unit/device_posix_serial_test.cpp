// The POSIX serial layer and port discovery on real pseudo-terminals.
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <cstring>

#include "device/serial.h"
#include "device_posix_support.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class SerialOnPty : public testing::Test {
 protected:
  void TearDown() override {
    for (int index = 0; index < kSerialPortCount; ++index) SerialClosePort(index);
  }
  PseudoTerminal pty;
};

TEST_F(SerialOnPty, OpensRaw9600Exclusively) {
  ScopedSerialPorts ports({{1, pty.path}, {2, pty.path}});
  CaptureStdout();
  ASSERT_EQ(SerialOpenPort(0, 9600), 0);
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_STREQ(SerialModeString(), "baud=9600 data=8 parity=N stop=1 dtr=on rts=on");

  termios line;
  ASSERT_EQ(tcgetattr(pty.slave, &line), 0);
  EXPECT_EQ(cfgetospeed(&line), B9600);
  EXPECT_EQ(cfgetispeed(&line), B9600);
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);
  EXPECT_EQ(line.c_cc[VMIN], 0);
  EXPECT_EQ(line.c_cc[VTIME], 0);

  // The same device under a second number is busy while the first holds it,
  // and free again once it is closed.
  CaptureStdout();
  EXPECT_EQ(SerialOpenPort(1, 9600), 1);
  EXPECT_EQ(GetCapturedStdout(), "unable to open comport\n");
  EXPECT_NE(SerialClosePort(0), 0);
  EXPECT_EQ(SerialWritePort(0, reinterpret_cast<const unsigned char*>("x"), 1), -1)
      << "a closed port must not be reached through its stale slot";
  EXPECT_EQ(SerialOpenPort(1, 9600), 0);
}

TEST_F(SerialOnPty, ReadsAndWritesWithoutWaiting) {
  ScopedSerialPorts ports({{1, pty.path}});
  ASSERT_EQ(SerialOpenPort(0, 9600), 0);

  unsigned char buffer[64];
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SerialReadPort(0, buffer, sizeof buffer), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

  const Bytes identify = {0x00, 0x0C, 0xFF};
  EXPECT_EQ(SerialWritePort(0, identify.data(), 3), 3);
  EXPECT_EQ(pty.Read(3, 1000), identify);

  // Bytes that mean something to a terminal pass untouched both ways.
  const Bytes reply = {0x00, 0x0B, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0xFF};
  pty.Write(reply);
  EXPECT_EQ(ReadPort(0, reply.size(), 1000), reply);

  EXPECT_EQ(SerialWriteText(0, ""), 0);
  EXPECT_EQ(SerialWriteText(0, "AB"), 0);
  EXPECT_EQ(SerialWriteByte(0, 0x7F), 0);
  EXPECT_EQ(pty.Read(4, 300), (Bytes{'A', 'B', 0x7F}));
}

TEST_F(SerialOnPty, RefusalsWriteTheirLineOnly) {
  std::map<int, std::string> sixteen;
  sixteen[16] = pty.path;
  {
    ScopedSerialPorts ports(sixteen);
    CaptureStdout();
    EXPECT_EQ(SerialOpenPort(15, 9600), 0) << "index 15 is COM16, the last in the table";
    EXPECT_EQ(SerialOpenPort(0, 9600), 1);
    EXPECT_EQ(GetCapturedStdout(), "unable to open comport\n");
  }
  ScopedSerialPorts ports({{1, "/nonexistent/ttyACM0"}});
  CaptureStdout();
  EXPECT_EQ(SerialOpenPort(0, 9600), 1);
  EXPECT_EQ(SerialWritePort(0, reinterpret_cast<const unsigned char*>("x"), 1), -1);
  EXPECT_EQ(GetCapturedStdout(), "unable to open comport\n");
}

TEST_F(SerialOnPty, WriteAfterThePeerIsGoneFails) {
  ScopedSerialPorts ports({{1, pty.path}});
  ASSERT_EQ(SerialOpenPort(0, 9600), 0);
  pty.Close();
  const unsigned char poll[] = {0x00, 0x0B, 0xFF};
  EXPECT_EQ(SerialWritePort(0, poll, 3), -1);
  unsigned char buffer[16];
  EXPECT_EQ(SerialReadPort(0, buffer, sizeof buffer), 0);
}

class PortDiscovery : public SerialOnPty {
 protected:
  // Filled with a marker so that untouched entries can be told apart.
  PortDiscovery() {
    for (auto& name : list) std::strcpy(name, "x");
  }
  SerialPortName list[kSerialPortListSize];
};

TEST_F(PortDiscovery, ListsPresentPortsInAscendingOrder) {
  PseudoTerminal second;
  ScopedSerialPorts ports({{7, second.path}, {3, pty.path}, {5, "/nonexistent/tty"}});
  ASSERT_EQ(SerialListPresentPorts(list), 2);
  EXPECT_STREQ(list[0], "COM3");
  EXPECT_STREQ(list[1], "COM7");
  EXPECT_STREQ(list[2], "x");

  // Presence is told without opening: a port held open is still listed.
  ASSERT_EQ(SerialOpenPort(6, 9600), 0);
  ASSERT_EQ(SerialListPresentPorts(list), 2);
  EXPECT_STREQ(list[1], "COM7");
}

TEST_F(PortDiscovery, PresenceStampChangesWithTheDevice) {
  PseudoTerminal other;
  bool mayOpen = false;
  ScopedSerialPorts first({{1, pty.path}, {2, "/nonexistent/tty"}});
  const unsigned long long stamp = SerialPortPresence(0, mayOpen);
  EXPECT_NE(stamp, 0u);
  EXPECT_TRUE(mayOpen);
  EXPECT_EQ(SerialPortPresence(0, mayOpen), stamp);
  EXPECT_EQ(SerialPortPresence(1, mayOpen), 0u);
  ScopedSerialPorts second({{1, other.path}});
  EXPECT_NE(SerialPortPresence(0, mayOpen), stamp);
}

TEST_F(PortDiscovery, OnlyComOneToNineAreTried) {
  ScopedSerialPorts ports({{12, pty.path}});
  EXPECT_EQ(SerialListPresentPorts(list), 0);
  EXPECT_STREQ(list[0], "x");
}

}  // namespace
