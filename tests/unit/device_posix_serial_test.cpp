// The POSIX serial layer and port discovery on real pseudo-terminals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "device/serial.h"
#include "device/serial_internal.h"
#include "device/steady_clock.h"
#include "device_posix_support.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class SerialOnPty : public testing::Test {
protected:
    void TearDown() override
    {
        for (int index = 0; index < SerialPortCount; ++index)
            SerialClosePort(index);
    }
    PseudoTerminal pty;
};

TEST_F(SerialOnPty, OpensRaw9600Exclusively)
{
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

TEST_F(SerialOnPty, ReadsAndWritesWithoutWaiting)
{
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
    EXPECT_EQ(pty.Read(4, 300), (Bytes {'A', 'B', 0x7F}));
}

TEST_F(SerialOnPty, RefusalsWriteTheirLineOnly)
{
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

TEST_F(SerialOnPty, WriteAfterThePeerIsGoneFails)
{
    ScopedSerialPorts ports({{1, pty.path}});
    ASSERT_EQ(SerialOpenPort(0, 9600), 0);
    pty.Close();
    const unsigned char poll[] = {0x00, 0x0B, 0xFF};
    EXPECT_EQ(SerialWritePort(0, poll, 3), -1);
    unsigned char buffer[16];
    EXPECT_EQ(SerialReadPort(0, buffer, sizeof buffer), 0);
}

// Fills the pty's buffer towards the device side, as a device that reads
// nothing would in time: from the slave, with 0xFF bytes (noise to a
// receiver), until it refuses. The kernel moves bytes on between its two
// buffers a little later, which makes room again: filled until it stays full.
void FillTowardsDevice(PseudoTerminal& pty)
{
    fcntl(pty.slave, F_SETFL, fcntl(pty.slave, F_GETFL) | O_NONBLOCK);
    const Bytes filler(512, 0xFF);
    bool took = true;
    while (took) {
        took = false;
        for (std::size_t block : {filler.size(), std::size_t {1}})
            while (write(pty.slave, filler.data(), block) > 0)
                took = true;
        usleep(20 * 1000);
    }
}

// The device reads again: what reaches it within the time, filler left out.
Bytes ReadPastFiller(PseudoTerminal& pty, std::size_t expected, int timeoutMs)
{
    Bytes received;
    WaitUntil(
        [&] {
            unsigned char buffer[4096];
            ssize_t n;
            while ((n = read(pty.master, buffer, sizeof buffer)) > 0)
                for (ssize_t i = 0; i < n; ++i)
                    if (!received.empty() || buffer[i] != 0xFF)
                        received.push_back(buffer[i]);
            // Waiting bytes go out on the layer's next read.
            unsigned char ignored[16];
            SerialReadPort(0, ignored, sizeof ignored);
            return received.size() >= expected;
        },
        timeoutMs);
    return received;
}

const unsigned char PollFrame[] = {0x00, 0x0B, 0xFF};
const unsigned char BeeperOnFrame[] = {0x00, 0x0F, 0xFF};

TEST_F(SerialOnPty, WritesToAPortThatTakesNothingNeverWait)
{
    ScopedSerialPorts ports({{1, pty.path}});
    ASSERT_EQ(SerialOpenPort(0, 9600), 0);
    FillTowardsDevice(pty);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SerialWritePort(0, PollFrame, 3), 3) << "queued";
    EXPECT_EQ(SerialPendingBytes(0), 3);
    EXPECT_EQ(SerialWritePortAtOnce(0, BeeperOnFrame, 3), 0) << "neither taken nor queued";
    EXPECT_EQ(SerialPendingBytes(0), 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

    // Once the device reads again the queued poll goes out, the refused
    // write never does.
    EXPECT_EQ(ReadPastFiller(pty, 6, 500), Bytes(PollFrame, PollFrame + 3));
    EXPECT_EQ(SerialPendingBytes(0), 0);
}

TEST_F(SerialOnPty, WaitingWritesAreDroppedWithALineAtTheDeadlineOrTheClose)
{
    ScopedSerialPorts ports({{1, pty.path}});
    ASSERT_EQ(SerialOpenPort(0, 9600), 0);
    FillTowardsDevice(pty);
    CaptureStdout();
    ASSERT_EQ(SerialWritePort(0, PollFrame, 3), 3);
    usleep(1050 * 1000);
    unsigned char buffer[16];
    SerialReadPort(0, buffer, sizeof buffer);
    EXPECT_EQ(SerialPendingBytes(0), 0);

    ASSERT_EQ(SerialWritePort(0, BeeperOnFrame, 3), 3);
    SerialClosePort(0);
    EXPECT_EQ(GetCapturedStdout(),
              "Dropped a write of 3 bytes that the port did not take within 1000 ms\n"
              "Dropped a write of 3 bytes that was still waiting when the port was closed\n");
    EXPECT_EQ(SerialPendingBytes(0), 0);
}

// What a close did, in order, through the close seam; the calls reach the
// system too, so that the port really closes.
std::vector<std::string> closeSteps;

int RecordControl(int fd, unsigned long request, void* argument)
{
    closeSteps.push_back(request == TIOCNXCL ? "TIOCNXCL" : request == TIOCOUTQ ? "TIOCOUTQ" : "ioctl");
    return ioctl(fd, request, argument);
}

int RecordFlush(int fd, int queue)
{
    closeSteps.push_back(queue == TCOFLUSH ? "TCOFLUSH" : "tcflush");
    return tcflush(fd, queue);
}

int RecordClose(int fd)
{
    closeSteps.push_back("close");
    return close(fd);
}

// A stick that stopped reading must never hold up a close: whether or not
// the layer's own queue holds bytes, the driver's output is discarded before
// the descriptor is closed, and its closing wait is left as it is.
TEST_F(SerialOnPty, EveryCloseDiscardsTheOutputFirstAndDoesNotWait)
{
    ScopedSerialPorts ports({{1, pty.path}});
    const SerialCloseCalls recording = {RecordControl, RecordFlush, RecordClose};
    const std::vector<std::string> expected = {"TCOFLUSH", "TIOCOUTQ", "TIOCNXCL", "close"};
    for (bool queued : {false, true}) {
        SCOPED_TRACE(queued ? "bytes queued" : "queue empty");
        ASSERT_EQ(SerialOpenPort(0, 9600), 0);
        if (queued) {
            FillTowardsDevice(pty);
            ASSERT_EQ(SerialWritePort(0, PollFrame, 3), 3);
        }
        closeSteps.clear();
        SerialSetCloseCalls(&recording);
        EXPECT_NE(SerialClosePort(0), 0);
        SerialSetCloseCalls(nullptr);
        EXPECT_EQ(closeSteps, expected);
        pty.Read(1 << 20, 200);  // the filler
    }
}

// A device that still holds output after the discard: its close takes 2 s,
// as a USB tty's does for a stick that stopped reading. The end is seen once
// the close counts as finished.
std::atomic<long long> slowCloseEnd {0};

int HoldOutput(int fd, unsigned long request, void* argument)
{
    return request == TIOCOUTQ ? (*static_cast<int*>(argument) = 3, 0) : ioctl(fd, request, argument);
}

int CloseIn2Seconds(int fd)
{
    const int result = close(fd);
    usleep(2000 * 1000);
    slowCloseEnd = SteadyMilliseconds();
    return result;
}

// The ticks go on while it waits, and the port is opened again only after it.
TEST_F(SerialOnPty, ACloseThatWaitsRunsOffTheCallersThread)
{
    ScopedSerialPorts ports({{1, pty.path}});
    ASSERT_EQ(SerialOpenPort(0, 9600), 0);
    const SerialCloseCalls slow = {HoldOutput, tcflush, CloseIn2Seconds};
    SerialSetCloseCalls(&slow);
    CaptureStdout();
    long long longest = 0, reopened = 0;
    for (int tick = 0; reopened == 0 && tick < 40; ++tick, usleep(100 * 1000)) {
        const long long start = SteadyMilliseconds();
        if (tick == 0 ? SerialClosePort(0) == 0 : SerialOpenPort(0, 9600) == 0)
            reopened = start;
        longest = std::max(longest, SteadyMilliseconds() - start);
    }
    SerialSetCloseCalls(nullptr);
    GetCapturedStdout();
    EXPECT_LT(longest, 50);
    EXPECT_GE(reopened, slowCloseEnd);
    EXPECT_GT(slowCloseEnd, 0);
}

int SayFlush(int fd, int queue)
{
    std::fputs(queue == TCOFLUSH ? "TCOFLUSH" : "tcflush", stderr);
    return tcflush(fd, queue);
}

// The system closes the ports still open at exit, and would wait for a
// stalled stick's output: it is discarded first.
TEST_F(SerialOnPty, AtExitAnOpenPortsOutputIsDiscarded)
{
    ScopedSerialPorts ports({{1, pty.path}});
    static const SerialCloseCalls saying = {HoldOutput, SayFlush, close};
    EXPECT_EXIT((SerialOpenPort(0, 9600), SerialSetCloseCalls(&saying), std::exit(0)),
                testing::ExitedWithCode(0), "TCOFLUSH");
}

// A port that stays busy is reported once, not at every probe, and again
// once it was opened in between.
TEST_F(SerialOnPty, ABusyPortIsReportedOnceUntilItsStateChanges)
{
    ScopedSerialPorts ports({{1, pty.path}, {2, pty.path}});
    ASSERT_EQ(SerialOpenPort(0, 9600), 0);
    const struct {
        int open, close;
        const char* printed;
    } steps[] = {
        {1, -1, "unable to open comport\n"}, {1, -1, ""}, {1, 0, ""}, {1, 1, ""}, {0, -1, ""},
        {1, -1, "unable to open comport\n"},
    };
    for (const auto& step : steps) {
        CaptureStdout();
        SerialOpenPort(step.open, 9600);
        EXPECT_EQ(GetCapturedStdout(), step.printed) << "opening COM" << step.open + 1;
        if (step.close >= 0)
            SerialClosePort(step.close);
    }
}

class PortDiscovery : public SerialOnPty {
protected:
    // Filled with a marker so that untouched entries can be told apart.
    PortDiscovery()
    {
        for (auto& name : list)
            std::strcpy(name, "x");
    }
    SerialPortName list[SerialPortListSize];
};

TEST_F(PortDiscovery, ListsPresentPortsInAscendingOrder)
{
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

TEST_F(PortDiscovery, PresenceStampChangesWithTheDevice)
{
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

TEST_F(PortDiscovery, OnlyComOneToNineAreTried)
{
    ScopedSerialPorts ports({{12, pty.path}});
    EXPECT_EQ(SerialListPresentPorts(list), 0);
    EXPECT_STREQ(list[0], "x");
}

// Without VITREL_SERIAL_PORTS, odd numbers are the USB CDC devices and even
// ones those behind USB-serial bridges, so that both kinds have ports among
// COM1 to COM9; with it, the list replaces the table and empty entries leave
// their numbers without a device.
TEST(SerialPortMapping, DefaultTableAndTheVariablesEntries)
{
    const char* old = std::getenv("VITREL_SERIAL_PORTS");
    const std::string saved = old != nullptr ? old : "";
    char path[64];

    unsetenv("VITREL_SERIAL_PORTS");
    for (int number = 1; number <= 16; ++number) {
        ASSERT_TRUE(SerialDevicePath(number - 1, path, sizeof path)) << "COM" << number;
        const std::string kind = number % 2 == 1 ? "/dev/ttyACM" : "/dev/ttyUSB";
        EXPECT_EQ(std::string(path), kind + std::to_string((number - 1) / 2)) << "COM" << number;
    }

    const struct {
        const char* variable;
        std::vector<const char*> expected;  // COM1, COM2, ...; nullptr: no device
    } cases[] = {
        {"/tmp/a:/tmp/b", {"/tmp/a", "/tmp/b", nullptr}},
        {":/tmp/b", {nullptr, "/tmp/b", nullptr}},
        {"/tmp/a::/tmp/c:", {"/tmp/a", nullptr, "/tmp/c", nullptr, nullptr}},
        {"", {nullptr, nullptr}},
    };
    for (const auto& c : cases) {
        setenv("VITREL_SERIAL_PORTS", c.variable, 1);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const bool mapped = SerialDevicePath(static_cast<int>(i), path, sizeof path);
            SCOPED_TRACE(std::string("\"") + c.variable + "\" COM" + std::to_string(i + 1));
            ASSERT_EQ(mapped, c.expected[i] != nullptr);
            if (mapped) {
                EXPECT_STREQ(path, c.expected[i]);
            }
        }
    }

    if (old != nullptr)
        setenv("VITREL_SERIAL_PORTS", saved.c_str(), 1);
    else
        unsetenv("VITREL_SERIAL_PORTS");
}

}  // namespace
