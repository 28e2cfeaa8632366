#include "stick_test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <wx/stattext.h>

#include "device/serial.h"

CapturedOutput::CapturedOutput()
{
    char pattern[] = "/tmp/vitrel-stdout-XXXXXX";
    const int file = mkstemp(pattern);
    path = pattern;
    std::fflush(stdout);
    savedStdout = dup(STDOUT_FILENO);
    dup2(file, STDOUT_FILENO);
    close(file);
}

CapturedOutput::~CapturedOutput()
{
    // Pass everything on, so that failures the test framework printed
    // meanwhile still reach the log.
    const std::string captured = Text();
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    std::remove(path.c_str());
    std::fputs(captured.c_str(), stdout);
}

std::string CapturedOutput::Text() const
{
    std::fflush(stdout);
    return ReadWholeFile(path);
}

int CapturedOutput::Count(const std::string& line) const
{
    std::istringstream lines(Text());
    int count = 0;
    for (std::string each; std::getline(lines, each);)
        count += each == line ? 1 : 0;
    return count;
}

void StickFrameTest::SetUp()
{
    FrameTest::SetUp();
    CopyDeliveredFile("VitrelFrequencyMeasurement.csv");
    SerialSetWriteTap(&StickFrameTest::Tap, this);
}

void StickFrameTest::TearDown()
{
    FrameTest::TearDown();
    SerialSetWriteTap(nullptr, nullptr);
    stick.reset();
}

void StickFrameTest::Tap(int index, const unsigned char* bytes, int count, void* context)
{
    static_cast<StickFrameTest*>(context)->writes.push_back({index, Hex(bytes, count)});
}

void StickFrameTest::StartStick(const std::vector<std::string>& options)
{
    stick = std::make_unique<StickSim>(options);
    ASSERT_TRUE(stick->ready()) << "the simulated stick did not start";
    setenv("VITREL_SERIAL_PORTS", ("::" + stick->link()).c_str(), 1);
}

void StickFrameTest::StartAttached(const std::vector<std::string>& options)
{
    StartStick(options);
    CreateFrame();
    ASSERT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    ClearWrites();
}

std::vector<std::string> StickFrameTest::Received() const
{
    std::vector<std::string> frames;
    std::istringstream lines(stick->Log());
    for (std::string line; std::getline(lines, line);) {
        const std::string::size_type at = line.find(" RX ");
        if (at != std::string::npos)
            frames.push_back(line.substr(at + 4));
    }
    return frames;
}

int StickFrameTest::CountReceived(const std::string& hex) const
{
    int count = 0;
    for (const std::string& frame : Received())
        count += frame == hex ? 1 : 0;
    return count;
}

bool StickFrameTest::WaitForReceived(const std::string& hex, int times, int milliseconds) const
{
    return WaitFor([&] { return CountReceived(hex) >= times; }, milliseconds);
}

bool StickFrameTest::Attached() const
{
    // The label in the language of the run.
    return Find<wxStaticText>("ID_STATICTEXT22")->GetLabel() == _("Device Attached");
}
