// The simulated stick itself: what it answers, what it logs, falling silent,
// unplugging and stopping. The window and device tests rely on all of it.
#include <sys/stat.h>

#include "device/instruction.h"
#include "device/serial.h"
#include "device_posix_support.h"

namespace {

bool Exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

TEST_F(WithStickSim, AnswersWhatTheStickAnswersAndLogsWhatItReceives)
{
    ScopedSerialPorts ports({{3, sim.link()}});
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    link.port = 3;

    EXPECT_EQ(Ask(Identify, 3), (Bytes {0x00, 0x0C, 0xFF}));
    EXPECT_EQ(Ask(PollStatus, 5), (Bytes {0x00, 0x0B, 160, 100, 0xFF}));
    ASSERT_TRUE(sim.Command("battery 150 100"));
    EXPECT_EQ(Ask(PollStatus, 5), (Bytes {0x00, 0x0B, 150, 100, 0xFF}));

    EXPECT_EQ(Ask(QueryBeeper, 4), (Bytes {0x00, 0x11, 0x01, 0xFF}));
    link.SendInstruction(BeeperOff);
    EXPECT_EQ(Ask(QueryBeeper, 4), (Bytes {0x00, 0x11, 0x00, 0xFF}));
    ASSERT_TRUE(sim.Command("beeper on"));
    EXPECT_EQ(Ask(QueryBeeper, 4), (Bytes {0x00, 0x11, 0x01, 0xFF}));

    const unsigned char lo = 0x57, hi = 0x9E, sel = 0x00, count = 3;
    const unsigned char states[] = {1, 0, 1};
    link.SendInstruction(SetSlotTimer, &lo, &hi, &sel);
    link.SendInstruction(SetSlotPattern, &count, states);
    EXPECT_EQ(Ask(ReadProgramme, 9), (Bytes {0x00, 0x12, 0x57, 0x9E, 0x00, 1, 2, 1, 0xFF}));

    ASSERT_TRUE(sim.Command("send 00 11 00 FF 33"));
    EXPECT_EQ(ReadPort(2, 5, 1000), (Bytes {0x00, 0x11, 0x00, 0xFF, 0x33}));

    // Every frame in order, cut at its first 0xFF, the replies as TX lines.
    std::string log = sim.Log();
    std::size_t at = 0;
    for (const char* line :
         {" RX 00 0C FF\n", " TX 00 0C FF\n", " RX 00 0B FF\n", " RX 00 10 FF\n", " RX 00 07 57 9E 00 FF\n",
          " RX 00 08 01 02 01 FF\n", " RX 00 12 FF\n", " TX 00 12 57 9E 00 01 02 01 FF\n"}) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " missing or out of order in\n" << log;
    }
}

TEST_F(WithStickSim, StorageFaultsChangeTheProgrammeItReportsOrSilenceIt)
{
    ScopedSerialPorts ports({{3, sim.link()}});
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    link.port = 3;
    const Bytes faithful = {0x00, 0x12, 0x57, 0x9E, 0x00, 1, 2, 1, 0xFF};
    const struct {
        const char* command;
        Bytes reply;
    } cases[] = {
        {"flip-slot 1", {0x00, 0x12, 0x57, 0x9E, 0x00, 1, 1, 1, 0xFF}},
        {"flip-slot off", faithful},
        {"alter-timer on", {0x00, 0x12, 0x56, 0x9E, 0x00, 1, 2, 1, 0xFF}},
        {"alter-timer off", faithful},
        {"reads off", {}},
    };
    const unsigned char lo = 0x57, hi = 0x9E, sel = 0x00, count = 3;
    const unsigned char states[] = {1, 0, 1};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_TRUE(sim.Command(c.command));
        link.SendInstruction(SetSlotTimer, &lo, &hi, &sel);
        link.SendInstruction(SetSlotPattern, &count, states);
        EXPECT_EQ(Ask(ReadProgramme, 9, c.reply.empty() ? 300 : 1000), c.reply);
    }
}

TEST_F(WithStickSim, FallsSilentAnswersSomePollsAndComesBack)
{
    ScopedSerialPorts ports({{3, sim.link()}});
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    link.port = 3;

    ASSERT_TRUE(sim.Command("silent"));
    EXPECT_TRUE(Ask(PollStatus, 1, 200).empty());
    ASSERT_TRUE(sim.Command("answer 2/3"));
    int replies = 0;
    for (int poll = 0; poll < 6; ++poll)
        replies += Ask(PollStatus, 5, 200).size() == 5 ? 1 : 0;
    EXPECT_EQ(replies, 4);
    ASSERT_TRUE(sim.Command("answer"));
    EXPECT_EQ(Ask(Identify, 3).size(), 3u);

    // Unplugged, the link is gone and the held port fails; plugged in again,
    // the same number reaches the stick.
    ASSERT_TRUE(sim.Command("unplug"));
    EXPECT_FALSE(Exists(sim.link()));
    const unsigned char poll[] = {0x00, 0x0B, 0xFF};
    EXPECT_EQ(SerialWritePort(2, poll, 3), -1);
    SerialClosePort(2);
    ASSERT_TRUE(sim.Command("plug"));
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    EXPECT_EQ(Ask(Identify, 3), (Bytes {0x00, 0x0C, 0xFF}));
}

TEST_F(WithStickSim, StalledTakesNoBytesButKeepsAnswering)
{
    ScopedSerialPorts ports({{3, sim.link()}});
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    link.port = 3;

    ASSERT_TRUE(sim.Command("stall on"));
    const unsigned char identify[] = {0x00, 0x0C, 0xFF};
    EXPECT_EQ(SerialWritePortAtOnce(2, identify, 3), 0);
    // Status replies still come, unasked.
    EXPECT_EQ(ReadPort(2, 10, 1000), (Bytes {0x00, 0x0B, 160, 100, 0xFF, 0x00, 0x0B, 160, 100, 0xFF}));

    ASSERT_TRUE(sim.Command("stall off"));
    ReadPort(2, 1000, 300);  // the replies of the stall
    EXPECT_EQ(Ask(Identify, 3, 2000), (Bytes {0x00, 0x0C, 0xFF}));
    EXPECT_EQ(sim.Log().find("NOISE"), std::string::npos) << "the filler is not the program's noise";
}

// A write the stick took only part of goes no further than the frame it
// began: the user is told it failed, and no later frame of it arrives.
TEST_F(WithStickSim, APartlyTakenWriteEndsWithTheFrameItBegan)
{
    ScopedSerialPorts ports({{3, sim.link()}});
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    const Bytes programme = {0x00, 0x07, 0x57, 0x9E, 0x00, 0xFF, 0x00, 0x08, 0x01, 0x02, 0xFF};
    const Bytes turnOff = {0x00, 0x08, 0x02, 0xFF, 0x00, 0x0E, 0xFF};
    const struct {
        Bytes write;
        int room, goesOut;
        const char* lastFrame;
    } cases[] = {
        {programme, 3, 6, " RX 00 07 57 9E 00 FF\n"},
        {programme, 6, 6, " RX 00 07 57 9E 00 FF\n"},
        {programme, 8, 11, " RX 00 08 01 02 FF\n"},
        {turnOff, 2, 4, " RX 00 08 02 FF\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.room);
        ASSERT_TRUE(sim.Command("stall room " + std::to_string(c.room)));
        const std::size_t logged = sim.Log().size();
        EXPECT_EQ(SerialWritePortAtOnce(2, c.write.data(), static_cast<int>(c.write.size())), c.goesOut);
        ASSERT_TRUE(sim.Command("stall off"));
        const Bytes identify = {0x00, 0x0C, 0xFF};
        ASSERT_EQ(SerialWritePort(2, identify.data(), 3), 3);
        ReadPort(2, 1000, 500);
        const std::string log = sim.Log().substr(logged);
        const std::size_t last = log.find(c.lastFrame);
        ASSERT_NE(last, std::string::npos) << log;
        // After it only the Identify, then the status replies of the stall.
        EXPECT_EQ(log.find(" RX ", last + 1), log.find(" RX 00 0C FF\n", last + 1)) << log;
        EXPECT_EQ(log.find("NOISE"), std::string::npos) << log;
    }
}

TEST_F(WithStickSim, StopsCleanlyOnSigterm)
{
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(Exists(sim.link()));
    EXPECT_NE(sim.Log().find(" STOP\n"), std::string::npos);
}

}  // namespace
