#include "device_posix_support.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "device/instruction.h"
#include "device/serial.h"

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

PseudoTerminal::PseudoTerminal()
{
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    termios settings;
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave, TCSANOW, &settings);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    path = name;
}

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

void PseudoTerminal::Close()
{
    if (master >= 0)
        close(master);
    if (slave >= 0)
        close(slave);
    master = slave = -1;
}

Bytes PseudoTerminal::Read(std::size_t expected, int timeoutMs)
{
    Bytes received;
    WaitUntil(
        [&] {
            unsigned char buffer[4096];
            ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0)
                received.insert(received.end(), buffer, buffer + n);
            return received.size() >= expected;
        },
        timeoutMs);
    return received;
}

void PseudoTerminal::Write(const Bytes& bytes)
{
    ssize_t written = write(master, bytes.data(), bytes.size());
    (void)written;
}

ScopedSerialPorts::ScopedSerialPorts(const std::map<int, std::string>& ports)
{
    const char* old = std::getenv("VITREL_SERIAL_PORTS");
    hadValue = old != nullptr;
    if (hadValue)
        previous = old;
    std::string table;
    int highest = ports.empty() ? 0 : ports.rbegin()->first;
    for (int number = 1; number <= highest; ++number) {
        if (number > 1)
            table += ':';
        auto entry = ports.find(number);
        if (entry != ports.end())
            table += entry->second;
    }
    setenv("VITREL_SERIAL_PORTS", table.c_str(), 1);
}

ScopedSerialPorts::~ScopedSerialPorts()
{
    if (hadValue)
        setenv("VITREL_SERIAL_PORTS", previous.c_str(), 1);
    else
        unsetenv("VITREL_SERIAL_PORTS");
}

Bytes ReadPort(int index, std::size_t expected, int timeoutMs)
{
    Bytes received;
    WaitUntil(
        [&] {
            unsigned char buffer[512];
            int n = SerialReadPort(index, buffer, sizeof buffer);
            received.insert(received.end(), buffer, buffer + n);
            return received.size() >= expected;
        },
        timeoutMs);
    return received;
}

StickSim::StickSim(const std::vector<std::string>& options)
{
    if (!folder.Made())
        return;
    linkPath = folder.PathOf("stick");
    logPath = folder.PathOf("sim.log");
    controlPath = folder.PathOf("control");

    std::vector<std::string> arguments = {VITREL_STICK_SIM, "--log", logPath, "--control", controlPath};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(linkPath);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int output[2];
    if (pipe(output) != 0)
        return;
    pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a crashed test
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output[1]);
    std::string said;
    WaitUntil(
        [&] {
            pollfd readable = {output[0], POLLIN, 0};
            if (poll(&readable, 1, 0) <= 0)
                return false;
            char buffer[64];
            ssize_t n = read(output[0], buffer, sizeof buffer);
            if (n <= 0)
                return true;  // exited
            said.append(buffer, static_cast<std::size_t>(n));
            return said.find("ready\n") != std::string::npos;
        },
        5000);
    close(output[0]);
    linkReady = said.find("ready\n") != std::string::npos;
}

StickSim::~StickSim()
{
    Stop();
}

std::string StickSim::Log() const
{
    return ReadWholeFile(logPath);
}

bool StickSim::Command(const std::string& line)
{
    auto applied = [&] {
        std::string log = Log(), mark = " CTL " + line + "\n";
        int count = 0;
        for (std::size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1))
            ++count;
        return count;
    };
    int before = applied();
    int fd = open(controlPath.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    std::string text = line + "\n";
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return written && WaitUntil([&] { return applied() > before; }, 3000);
}

int StickSim::Stop()
{
    if (pid <= 0)
        return -1;
    kill(pid, SIGTERM);
    int status = 0;
    bool exited = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 5000);
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    pid = -1;
    return exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WithStickSim::SetUp()
{
    ResetInstructionReceiver();
    ASSERT_TRUE(sim.ready()) << "vitrel-stick-sim did not start: " VITREL_STICK_SIM;
    link.calibration.count = 0;
}

void WithStickSim::TearDown()
{
    for (int index = 0; index < SerialPortCount; ++index)
        SerialClosePort(index);
}

Bytes WithStickSim::Ask(signed char code, std::size_t replyLength, int timeoutMs)
{
    link.SendInstruction(code);
    return ReadPort(link.port - 1, replyLength, timeoutMs);
}
