#pragma once
// Helpers of the POSIX device tests: pseudo-terminals, the serial port table
// variable, bounded waits and the simulated stick as a child process.

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/device_link.h"
#include "hex_text.h"
#include "temp_folder.h"

using Bytes = std::vector<unsigned char>;

// Polls `condition` every few milliseconds until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// A pseudo-terminal; the test plays the device on the master side and the
// serial layer opens `path` (the slave).
struct PseudoTerminal {
    int master = -1;
    int slave = -1;  // held so that closing the port leaves the master usable
    std::string path;

    PseudoTerminal();
    ~PseudoTerminal();
    void Close();
    // Whatever arrives on the master within the time, up to `expected` bytes.
    Bytes Read(std::size_t expected, int timeoutMs);
    void Write(const Bytes& bytes);
};

// Sets VITREL_SERIAL_PORTS from port numbers to paths for its lifetime.
class ScopedSerialPorts {
public:
    explicit ScopedSerialPorts(const std::map<int, std::string>& ports);
    ~ScopedSerialPorts();

private:
    bool hadValue;
    std::string previous;
};

// Reads from the port index until `expected` bytes came or the time is up.
Bytes ReadPort(int index, std::size_t expected, int timeoutMs);

// vitrel-stick-sim in a temporary folder, with a log and a control FIFO.
class StickSim {
public:
    explicit StickSim(const std::vector<std::string>& options = {});
    ~StickSim();

    bool ready() const { return linkReady; }
    const std::string& link() const { return linkPath; }
    std::string Log() const;
    // Sends one control command and waits until the simulator has applied it.
    bool Command(const std::string& line);
    // SIGTERM; returns the exit status, or -1 when it had to be killed.
    int Stop();

private:
    TempFolder folder;
    std::string linkPath, logPath, controlPath;
    pid_t pid = -1;
    bool linkReady = false;
};

// A test with the simulated stick and a DeviceLink without a frequency table;
// every port is closed afterwards.
class WithStickSim : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sends one instruction to the port of `link` and returns the reply.
    Bytes Ask(signed char code, std::size_t replyLength, int timeoutMs = 1000);

    StickSim sim;
    DeviceLink link;
};
