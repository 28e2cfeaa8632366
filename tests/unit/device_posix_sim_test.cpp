// The device link end to end against vitrel-stick-sim and pseudo-terminals:
// the search for the stick, and reopening a port.
#include "device/instruction.h"
#include "device/serial.h"
#include "device_posix_support.h"

namespace {

TEST_F(WithStickSim, ProbeFindsTheStickAndLeavesEveryPortClosed)
{
    PseudoTerminal mute;  // a port that never answers, below the stick
    ScopedSerialPorts ports({{1, mute.path}, {3, sim.link()}});
    int found = 0;
    EXPECT_TRUE(WaitUntil([&] { return (found = link.ProbePorts()) != 0; }, 3000));
    EXPECT_EQ(found, 3);
    EXPECT_EQ(mute.Read(3, 200), (Bytes {0x00, 0x0C, 0xFF}));
    EXPECT_NE(sim.Log().find(" RX 00 0C FF\n"), std::string::npos);
    EXPECT_EQ(SerialOpenPort(0, 9600), 0);
    EXPECT_EQ(SerialOpenPort(2, 9600), 0);
}

TEST_F(WithStickSim, ProbeWithoutAnAnswerFindsNothing)
{
    ASSERT_TRUE(sim.Command("silent"));
    ScopedSerialPorts ports({{3, sim.link()}});
    EXPECT_FALSE(WaitUntil([&] { return link.ProbePorts() != 0; }, StickProbe::AnswerDeadlineMs + 300));
    EXPECT_EQ(SerialOpenPort(2, 9600), 0);
}

TEST_F(WithStickSim, RepliesNobodyReadAreGoneAfterReopening)
{
    ScopedSerialPorts ports({{3, sim.link()}});
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    link.port = 3;
    link.SendInstruction(Identify);
    ASSERT_TRUE(WaitUntil([&] { return sim.Log().find(" TX 00 0C FF\n") != std::string::npos; }, 1000));
    SerialClosePort(2);
    ASSERT_EQ(SerialOpenPort(2, 9600), 0);
    EXPECT_TRUE(ReadPort(2, 1, 100).empty());
}

}  // namespace
