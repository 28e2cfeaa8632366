// The search for the stick on real pseudo-terminals, stepped at made-up
// times: answers taken until the deadline, port order, and which ports are
// opened again.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "device/serial.h"
#include "device/stick_probe.h"
#include "device_posix_support.h"

namespace {

const Bytes IdentifyFrame = {0x00, 0x0C, 0xFF};

class StickSearch : public testing::Test {
protected:
    void TearDown() override
    {
        probe.Stop();
        for (int index = 0; index < SerialPortCount; ++index)
            SerialClosePort(index);
    }

    // How many Identify frames the device on `pty` received since last asked.
    static int IdentifiesAt(PseudoTerminal& pty)
    {
        Bytes received = pty.Read(64, 5);
        int count = 0;
        for (std::size_t i = 0; i + 3 <= received.size(); ++i)
            count += Bytes(received.begin() + i, received.begin() + i + 3) == IdentifyFrame ? 1 : 0;
        return count;
    }

    // Steps every tick from `fromMs` up to `toMs` and returns the times at
    // which `pty` was sent Identify.
    std::vector<long long> ProbeTimes(PseudoTerminal& pty, long long fromMs, long long toMs)
    {
        std::vector<long long> times;
        for (long long now = fromMs; now <= toMs; now += 100) {
            EXPECT_EQ(probe.Step(now, false), 0) << now;
            if (IdentifiesAt(pty) > 0)
                times.push_back(now);
        }
        return times;
    }

    StickProbe probe;
};

struct Answer {
    const char* name;
    std::vector<Bytes> chunks;  // written one after the other, a tick apart
    long long firstAtMs;  // after the Identify
};

void PrintTo(const Answer& answer, std::ostream* out)
{
    *out << answer.name;
}

class AnswerFound : public StickSearch, public testing::WithParamInterface<Answer> { };

TEST_P(AnswerFound, BeforeTheDeadline)
{
    PseudoTerminal stick;
    ScopedSerialPorts ports({{2, stick.path}});
    ASSERT_EQ(probe.Step(0, true), 0);
    ASSERT_EQ(stick.Read(3, 500), IdentifyFrame);
    long long now = GetParam().firstAtMs;
    for (const Bytes& chunk : GetParam().chunks) {
        EXPECT_EQ(probe.Step(now, false), 0);
        stick.Write(chunk);
        WaitUntil([] { return false; }, 20);
        now += 100;
    }
    EXPECT_EQ(probe.Step(now < StickProbe::AnswerDeadlineMs ? now : StickProbe::AnswerDeadlineMs, false), 2);
    // Left closed: the caller opens the port it was given.
    EXPECT_EQ(SerialOpenPort(1, 9600), 0);
}

INSTANTIATE_TEST_SUITE_P(
    StickSearch, AnswerFound,
    testing::Values(Answer {"AtOnce", {{0x00, 0x0C, 0xFF}}, 0},
                    Answer {"WithAPayload", {{0x00, 0x0C, 0x01, 0x02, 0xFF}}, 0},
                    Answer {"AfterNoise", {{0x33, 0x34, 0x00, 0x0C, 0xFF}}, 0},
                    Answer {"AfterAZeroGlitch", {{0x00, 0x00, 0x0C, 0xFF}}, 0},
                    Answer {"AfterAnotherFrame", {{0x00, 0x0B, 0x00, 0x20, 0xFF, 0x00, 0x0C, 0xFF}}, 0},
                    Answer {"SplitOverTwoReads", {{0x21, 0x00, 0x0C}, {0x05, 0xFF}}, 0},
                    Answer {"TwoHundredMillisecondsLate", {{0x00, 0x0C, 0xFF}}, 200},
                    Answer {"JustBeforeTheDeadline", {{0x00, 0x0C, 0xFF}}, 490}),
    [](const testing::TestParamInfo<Answer>& info) { return info.param.name; });

class AnswerNotFound : public StickSearch, public testing::WithParamInterface<Answer> { };

TEST_P(AnswerNotFound, AndThePortIsClosedAtTheDeadline)
{
    PseudoTerminal device;
    ScopedSerialPorts ports({{2, device.path}});
    ASSERT_EQ(probe.Step(0, true), 0);
    ASSERT_EQ(device.Read(3, 500), IdentifyFrame);
    for (const Bytes& chunk : GetParam().chunks)
        device.Write(chunk);
    WaitUntil([] { return false; }, 20);
    EXPECT_EQ(probe.Step(StickProbe::AnswerDeadlineMs - 1, false), 0);
    EXPECT_EQ(probe.Step(StickProbe::AnswerDeadlineMs, false), 0);
    device.Write(IdentifyFrame);  // too late
    EXPECT_EQ(probe.Step(StickProbe::AnswerDeadlineMs + 100, false), 0);
    EXPECT_EQ(SerialOpenPort(1, 9600), 0);
}

INSTANTIATE_TEST_SUITE_P(StickSearch, AnswerNotFound,
                         testing::Values(Answer {"Silence", {}, 0},
                                         Answer {"AnotherFrame", {{0x00, 0x0B, 0x10, 0x20, 0xFF}}, 0},
                                         Answer {"IdentifyWithoutItsEnd", {{0x00, 0x0C, 0x01}}, 0},
                                         Answer {"Noise", {{0x0C, 0xFF, 0x55}}, 0}),
                         [](const testing::TestParamInfo<Answer>& info) { return info.param.name; });

TEST_F(StickSearch, LowerPortThatAnswersLaterStillWins)
{
    PseudoTerminal first, second;
    ScopedSerialPorts ports({{1, first.path}, {2, second.path}});
    // One port opened a step, the lowest first.
    ASSERT_EQ(probe.Step(0, true), 0);
    ASSERT_EQ(first.Read(3, 500), IdentifyFrame);
    EXPECT_TRUE(second.Read(3, 20).empty());
    ASSERT_EQ(probe.Step(100, false), 0);
    ASSERT_EQ(second.Read(3, 500), IdentifyFrame);
    second.Write(IdentifyFrame);
    WaitUntil([] { return false; }, 20);
    EXPECT_EQ(probe.Step(200, false), 0);  // COM1 may still answer
    first.Write(IdentifyFrame);
    WaitUntil([] { return false; }, 20);
    EXPECT_EQ(probe.Step(300, false), 1);
}

TEST_F(StickSearch, HigherPortIsTakenWhenTheLowerOneStaysSilent)
{
    PseudoTerminal first, second;
    ScopedSerialPorts ports({{1, first.path}, {2, second.path}});
    ASSERT_EQ(probe.Step(0, true), 0);
    ASSERT_EQ(probe.Step(100, false), 0);
    ASSERT_EQ(second.Read(3, 500), IdentifyFrame);
    second.Write(IdentifyFrame);
    WaitUntil([] { return false; }, 20);
    EXPECT_EQ(probe.Step(400, false), 0);
    EXPECT_EQ(probe.Step(StickProbe::AnswerDeadlineMs, false), 2);
}

TEST_F(StickSearch, SilentDeviceIsProbedOnlyWhileNewAndAgainWhenReplaced)
{
    auto device = std::make_unique<PseudoTerminal>();
    auto ports = std::make_unique<ScopedSerialPorts>(std::map<int, std::string> {{1, device->path}});
    EXPECT_EQ(ProbeTimes(*device, 0, 30000), (std::vector<long long> {0, 1000, 3000, 7000}));

    // Another device on the number: probed at once, then the same way.
    auto replacement = std::make_unique<PseudoTerminal>();
    ports.reset();
    ports = std::make_unique<ScopedSerialPorts>(std::map<int, std::string> {{1, replacement->path}});
    EXPECT_EQ(probe.Step(30050, true), 0);
    EXPECT_EQ(IdentifiesAt(*replacement), 1);
    EXPECT_EQ(ProbeTimes(*replacement, 30100, 45000), (std::vector<long long> {31100, 33100, 37100}));
    EXPECT_EQ(IdentifiesAt(*device), 0);
}

TEST_F(StickSearch, PortThatCouldNotBeOpenedIsTriedAgainUntouched)
{
    PseudoTerminal device;
    ScopedSerialPorts ports({{1, device.path}});
    int holder = open(device.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    // Held past the time the port counts as new: its retries were no probes.
    testing::internal::CaptureStdout();
    EXPECT_TRUE(ProbeTimes(device, 0, 12000).empty());
    testing::internal::GetCapturedStdout();
    close(holder);
    // Free again: probed within a second.
    EXPECT_EQ(ProbeTimes(device, 12100, 13200).size(), 1u);
}

TEST_F(StickSearch, SilentSticksPortIsProbedOnceASecond)
{
    PseudoTerminal stick;
    ScopedSerialPorts ports({{3, stick.path}});
    ASSERT_EQ(probe.Step(0, true), 0);
    stick.Write(IdentifyFrame);
    ASSERT_TRUE(WaitUntil([&] { return probe.Step(100, false) == 3; }, 500));
    ASSERT_EQ(IdentifiesAt(stick), 1);

    // Long after it was new, it stops answering.
    probe.StickFellSilent(3, 60000);
    EXPECT_TRUE(probe.RecheckingStick(60000));
    EXPECT_EQ(probe.Step(60000, false), 0);
    EXPECT_EQ(IdentifiesAt(stick), 1);
    EXPECT_TRUE(probe.RecheckingStick(60100));
    EXPECT_FALSE(probe.RecheckingStick(60000 + StickProbe::RecheckShownMs));
    EXPECT_EQ(probe.Step(60500, false), 0);
    EXPECT_FALSE(probe.RecheckingStick(60100));
    EXPECT_EQ(ProbeTimes(stick, 60600, 63500), (std::vector<long long> {61000, 62000, 63000}));
}

TEST_F(StickSearch, UnpluggedSticksPortIsNotTried)
{
    ScopedSerialPorts ports({{3, "/nonexistent/stick"}});
    testing::internal::CaptureStdout();
    probe.StickFellSilent(3, 0);
    EXPECT_EQ(probe.Step(0, false), 0);
    EXPECT_FALSE(probe.RecheckingStick(0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
