// The serial layer's write queue with a fake port and a fake clock.
#include <gtest/gtest.h>

#include <vector>

#include "device/write_queue.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A port that takes at most `room` bytes, then nothing until given more.
struct FakePort {
    int room = 0;
    bool failing = false;
    Bytes received;
    WriteQueue::PortWrite Writer()
    {
        return [this](const unsigned char* bytes, int count) {
            if (failing)
                return -1;
            const int taken = count < room ? count : room;
            received.insert(received.end(), bytes, bytes + taken);
            room -= taken;
            return taken;
        };
    }
};

const Bytes Poll = {0x00, 0x0B, 0xFF};
const Bytes Beeper = {0x00, 0x11, 0xFF};

TEST(WriteQueue, WaitingWritesGoOutInOrderAsThePortTakesThem)
{
    WriteQueue queue;
    FakePort port;
    std::vector<int> dropped;
    ASSERT_TRUE(queue.Append(Poll.data(), 3, false, 0));
    ASSERT_TRUE(queue.Append(Beeper.data(), 3, false, 10));
    EXPECT_EQ(queue.Bytes(), 6);

    EXPECT_TRUE(queue.Pump(port.Writer(), 20, dropped));
    EXPECT_EQ(queue.Bytes(), 6) << "a port without room takes nothing";
    port.room = 4;
    EXPECT_TRUE(queue.Pump(port.Writer(), 30, dropped));
    EXPECT_EQ(queue.Bytes(), 2);
    port.room = 10;
    EXPECT_TRUE(queue.Pump(port.Writer(), 40, dropped));
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(port.received, (Bytes {0x00, 0x0B, 0xFF, 0x00, 0x11, 0xFF}));
    EXPECT_TRUE(dropped.empty());
}

// At the deadline a write none of whose bytes went out is dropped; the rest
// of a frame begun is kept, or the stick would read the next frame into it.
TEST(WriteQueue, DeadlineDropsOnlyWritesNotBegun)
{
    const long long deadline = WriteQueue::DeadlineMilliseconds;
    const struct {
        const char* what;
        int roomFirst;  // what the port takes at the first pump
        long long secondPump;  // when the second pump comes (the port takes nothing)
        int bytesLeft;
        std::vector<int> dropped;
    } cases[] = {
        {"young writes wait", 0, deadline - 1, 6, {}},
        {"old writes are dropped", 0, deadline, 0, {3, 3}},
        {"a begun write is kept, the one behind it dropped", 1, deadline + 500, 2, {3}},
        {"a write taken whole is not there to drop", 3, deadline, 0, {3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteQueue queue;
        FakePort port;
        std::vector<int> dropped;
        queue.Append(Poll.data(), 3, false, 0);
        queue.Append(Beeper.data(), 3, false, 0);
        port.room = c.roomFirst;
        queue.Pump(port.Writer(), 0, dropped);
        port.room = 0;
        queue.Pump(port.Writer(), c.secondPump, dropped);
        EXPECT_EQ(queue.Bytes(), c.bytesLeft);
        EXPECT_EQ(dropped, c.dropped);
    }
}

TEST(WriteQueue, IsBoundedAndKeepsItsBytesWhenThePortFails)
{
    WriteQueue queue;
    const Bytes big(WriteQueue::CapacityBytes - 2, 0x01);
    ASSERT_TRUE(queue.Append(big.data(), static_cast<int>(big.size()), false, 0));
    EXPECT_FALSE(queue.Append(Poll.data(), 3, false, 0)) << "refused whole, not cut";
    EXPECT_EQ(queue.Bytes(), WriteQueue::CapacityBytes - 2);

    FakePort port;
    port.failing = true;
    std::vector<int> dropped;
    EXPECT_FALSE(queue.Pump(port.Writer(), 1, dropped));
    EXPECT_EQ(queue.Bytes(), WriteQueue::CapacityBytes - 2);
    EXPECT_EQ(queue.Clear(), std::vector<int> {WriteQueue::CapacityBytes - 2});
    EXPECT_TRUE(queue.Empty());
}

}  // namespace
