// Finding the stick without waiting on the window's thread: sticks that
// answer late, other serial devices beside it, and plugging in and out.
#include <ctime>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "stick_test_support.h"

namespace {
const char* const IdentifyFrame = "00 0C FF";
const char* const PollFrame = "00 0B FF";

// The figure every attach must meet, from the device appearing.
constexpr double AttachSeconds = 0.5;

double WallSeconds()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Lines of a simulator log of one kind ("OPEN", "PLUG", ...), their stamps.
std::vector<double> Stamps(const std::string& log, const std::string& kind)
{
    std::vector<double> stamps;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::string::size_type at = line.find(' ');
        if (at != std::string::npos && line.compare(at + 1, kind.size(), kind) == 0
            && (line.size() == at + 1 + kind.size() || line[at + 1 + kind.size()] == ' '))
            stamps.push_back(std::atof(line.substr(0, at).c_str()));
    }
    return stamps;
}

int CountIn(const std::string& log, const std::string& line)
{
    int count = 0;
    for (std::string::size_type at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
        ++count;
    return count;
}
}  // namespace

using StickSearchWindow = StickFrameTest;

class AnswerDelay : public StickFrameTest, public testing::WithParamInterface<int> { };

TEST_P(AnswerDelay, StickIsAttachedAtItsFirstProbeSoonAfterItAppears)
{
    CreateFrame();
    RunEventLoopFor(300);
    StartStick({"--answer-delay", std::to_string(GetParam())});
    ASSERT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    const double attached = WallSeconds();
    const std::vector<double> plugged = Stamps(stick->Log(), "PLUG");
    ASSERT_EQ(plugged.size(), 1u);
    RecordProperty("attach_ms", static_cast<int>((attached - plugged[0]) * 1000));
    EXPECT_LE(attached - plugged[0], AttachSeconds);
    EXPECT_EQ(CountReceived(IdentifyFrame), 1);

    // Then polled as ever: ten times a second, never looked for again.
    ASSERT_TRUE(WaitForReceived(PollFrame, 1, 1000));
    const int polls = CountReceived(PollFrame);
    RunEventLoopFor(2000);
    EXPECT_GE(CountReceived(PollFrame) - polls, 14);
    EXPECT_EQ(CountReceived(IdentifyFrame), 1);
    EXPECT_TRUE(Attached());
}

INSTANTIATE_TEST_SUITE_P(StickSearchWindow, AnswerDelay, testing::Values(0, 15, 30, 100, 200),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "ms";
                         });

TEST_F(StickSearchWindow, OtherDeviceIsLeftAloneAndTheStickPluggedBesideItIsFound)
{
    StickSim other({"--other-device"});
    ASSERT_TRUE(other.ready());
    setenv("VITREL_SERIAL_PORTS", other.link().c_str(), 1);
    CreateFrame();
    RunEventLoopFor(5000);
    stick = std::make_unique<StickSim>();
    ASSERT_TRUE(stick->ready());
    setenv("VITREL_SERIAL_PORTS", (other.link() + ":" + stick->link()).c_str(), 1);
    EXPECT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    RunEventLoopFor(7000);

    // Probed while new (once, and at most 3 more times in its first 10 s),
    // then never again: not once a second.
    const std::string log = other.Log();
    const std::vector<double> opens = Stamps(log, "OPEN");
    EXPECT_GE(opens.size(), 1u);
    EXPECT_LE(opens.size(), 4u);
    EXPECT_EQ(static_cast<std::size_t>(CountIn(log, " RX 00 0C FF\n")), opens.size());
    if (!opens.empty()) {
        EXPECT_LT(opens.back() - opens.front(), 10.0);
    }
    EXPECT_TRUE(Attached());
}

TEST_F(StickSearchWindow, NineSilentDevicesKeepEveryTickShort)
{
    std::vector<std::unique_ptr<StickSim>> devices;
    std::string ports;
    for (int n = 1; n <= 9; ++n) {
        devices.push_back(std::make_unique<StickSim>(std::vector<std::string> {"--other-device"}));
        ASSERT_TRUE(devices.back()->ready());
        ports += (n > 1 ? ":" : "") + devices.back()->link();
    }
    setenv("VITREL_SERIAL_PORTS", ports.c_str(), 1);
    CreateFrame();
    // Past every probe a new device gets.
    RunEventLoopFor(8000);
    RecordProperty("longest_tick_us", static_cast<int>(frame->LongestDeviceTick()));
    EXPECT_LT(frame->LongestDeviceTick(), 20000) << "microseconds";
    for (const auto& device : devices) {
        const std::size_t opens = Stamps(device->Log(), "OPEN").size();
        EXPECT_GE(opens, 1u);
        EXPECT_LE(opens, 4u);
    }
    EXPECT_FALSE(Attached());
}

TEST_F(StickSearchWindow, UnpluggedStickIsShownDetachedAndAttachedAgainWhenPluggedBack)
{
    StartAttached();
    RunEventLoopFor(1200);
    ASSERT_TRUE(stick->Command("unplug"));
    const double unplugged = WallSeconds();
    ASSERT_TRUE(WaitFor([&] { return !Attached(); }, 3000));
    RecordProperty("detach_ms", static_cast<int>((WallSeconds() - unplugged) * 1000));
    EXPECT_LE(WallSeconds() - unplugged, 2.1);

    RunEventLoopFor(500);
    ASSERT_TRUE(stick->Command("plug"));
    ASSERT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    const double attached = WallSeconds();
    const std::vector<double> plugged = Stamps(stick->Log(), "PLUG");
    ASSERT_EQ(plugged.size(), 2u);
    RecordProperty("attach_ms", static_cast<int>((attached - plugged.back()) * 1000));
    EXPECT_LE(attached - plugged.back(), AttachSeconds);
}

TEST_F(StickSearchWindow, SilentStickIsShownDetachedAndFoundAgainWhenItAnswers)
{
    StartAttached();
    RunEventLoopFor(1200);
    ASSERT_TRUE(stick->Command("silent"));
    const double silent = WallSeconds();
    ASSERT_TRUE(WaitFor([&] { return !Attached(); }, 3000));
    RecordProperty("detach_ms", static_cast<int>((WallSeconds() - silent) * 1000));
    EXPECT_LE(WallSeconds() - silent, 2.1);

    // Its port is asked once a second.
    RunEventLoopFor(500);
    ASSERT_TRUE(stick->Command("answer"));
    const double answering = WallSeconds();
    ASSERT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    RecordProperty("attach_ms", static_cast<int>((WallSeconds() - answering) * 1000));
    EXPECT_LE(WallSeconds() - answering, 2.0);
}
