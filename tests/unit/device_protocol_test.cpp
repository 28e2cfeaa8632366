// The instruction frames as sent, and ParseInstruction on received chunks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_link.h"
#include "device/instruction.h"
#include "device/serial.h"
#include "hex_text.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

using Bytes = std::vector<unsigned char>;

class Receiving : public testing::Test {
protected:
    void SetUp() override { ResetInstructionReceiver(); }

    // Starts a fresh chunk, followed by the zero the readers put after it.
    void Chunk(const Bytes& bytes)
    {
        chunk = bytes;
        chunk.push_back(0);
        receiver.position = 0;
    }
    bool Parse() { return ParseInstruction(chunk.data(), static_cast<int>(chunk.size()) - 1); }
    Bytes Instruction() const { return Bytes(receiver.instruction, receiver.instruction + receiver.length); }

    InstructionReceiver& receiver = TheInstructionReceiver();
    Bytes chunk;
};

TEST_F(Receiving, ChunksGiveTheirInstructions)
{
    // Chunks as they are read, and what each ParseInstruction call gives while
    // the reader consumes them: the completed instruction, or "-" for false.
    const struct {
        std::vector<Bytes> chunks;
        std::vector<std::string> calls;
        std::string output;
    } scenarios[] = {
        {{{0x00, 0x0B, 0x40, 0x50, 0xFF}}, {"00 0B 40 50 FF"}, ""},
        {{{0x00, 0x11, 0x01, 0xFF, 0x00, 0x0B, 0x40, 0x50, 0xFF}}, {"00 11 01 FF", "00 0B 40 50 FF"}, ""},
        {{{0x00, 0x0B, 0x40}, {0x50, 0xFF}}, {"-", "00 0B 40 50 FF"}, ""},
        // The continuation belongs to the instruction even when it starts with 0x00.
        {{{0x00, 0x12, 0x57, 0x9E}, {0x00, 0x01, 0xFF}}, {"-", "00 12 57 9E 00 01 FF"}, ""},
        {{{0x33, 0x34, 0x00, 0x11, 0x00, 0xFF}},
         {"-", "00 11 00 FF"},
         "Received 2 error bytes between two instructions!\n"},
        // A programme reply is cut at its first 0xFF; the earlier, longer reply
        // must not show through.
        {{{0x00, 0x12, 0x57, 0x9E, 0x00, 0x01, 0xFF}, {0x00, 0x12, 0xFF, 0x9E, 0x00, 0x01, 0xFF}},
         {"00 12 57 9E 00 01 FF", "00 12 FF", "-", "00 01 FF"},
         "Received 1 error bytes between two instructions!\n"},
    };
    for (const auto& scenario : scenarios) {
        ResetInstructionReceiver();
        std::vector<std::string> calls;
        CaptureStdout();
        for (const Bytes& bytes : scenario.chunks) {
            Chunk(bytes);
            while (receiver.position < static_cast<int>(bytes.size()))
                calls.push_back(Parse() ? Hex(receiver.instruction, receiver.length) : "-");
        }
        EXPECT_EQ(GetCapturedStdout(), scenario.output);
        EXPECT_EQ(calls, scenario.calls) << scenario.calls.back();
    }
}

TEST_F(Receiving, OverlongInstructionIsDroppedWithOneLine)
{
    Bytes endless(512, 0x01);
    endless[0] = 0x00;
    endless[1] = 0x0B;
    CaptureStdout();
    Chunk(endless);
    EXPECT_FALSE(Parse());
    endless[0] = 0x01;
    for (int read = 0; read < 4; ++read) {
        Chunk(endless);
        while (receiver.position < 512)
            EXPECT_FALSE(Parse());
    }
    Chunk({0x01, 0x01, 0x00, 0x0C, 0xFF});
    EXPECT_TRUE(Parse());
    EXPECT_EQ(GetCapturedStdout(), "Dropped an instruction longer than 1023 bytes!\n");
    EXPECT_EQ(Instruction(), (Bytes {0x00, 0x0C, 0xFF}));
}

// Records what reaches SerialWritePort, one entry per call.
struct WriteRecorder {
    WriteRecorder() { SerialSetWriteTap(&Record, this); }
    ~WriteRecorder() { SerialSetWriteTap(nullptr, nullptr); }
    static void Record(int index, const unsigned char* bytes, int count, void* self)
    {
        static_cast<WriteRecorder*>(self)->writes.push_back({index, Bytes(bytes, bytes + count)});
    }
    std::vector<std::pair<int, Bytes>> writes;
};

TEST(SendInstruction, EachFrameInOneWriteToPortMinusOne)
{
    DeviceLink link;
    link.port = 4;
    WriteRecorder recorder;
    const unsigned char lo = 0x57, hi = 0x9E, sel = 0x00;
    EXPECT_EQ(link.SendInstruction(SetSlotTimer, &lo, &hi, &sel), 0);
    const unsigned char three = 3, none = 0, states[] = {1, 0, 1};
    link.SendInstruction(SetSlotPattern, &three, states);
    link.SendInstruction(SetSlotPattern, &none, nullptr);
    link.SendInstruction(TurnOff);
    for (signed char code : {PollStatus, Identify, BeeperOn, BeeperOff, QueryBeeper, ReadProgramme})
        link.SendInstruction(code);

    const std::vector<Bytes> expected = {
        {0x00, 0x07, 0x57, 0x9E, 0x00, 0xFF},
        {0x00, 0x08, 0x01, 0x02, 0x01, 0xFF},
        {0x00, 0x08, 0xFF},
        {0x00, 0x08, 0x02, 0xFF, 0x00, 0x0E, 0xFF},
        {0x00, 0x0B, 0xFF},
        {0x00, 0x0C, 0xFF},
        {0x00, 0x0F, 0xFF},
        {0x00, 0x10, 0xFF},
        {0x00, 0x11, 0xFF},
        {0x00, 0x12, 0xFF},
    };
    ASSERT_EQ(recorder.writes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(recorder.writes[i].first, 3);
        EXPECT_EQ(recorder.writes[i].second, expected[i]) << "write " << i;
    }
}

TEST(SendInstruction, NothingForCodesWithoutFrameOrWithoutPort)
{
    DeviceLink link;
    link.port = 1;
    WriteRecorder recorder;
    for (signed char code : {-1, 0, 6, 9, 10, 13, 19, 127})
        EXPECT_EQ(link.SendInstruction(code), 0);
    link.port = 0;
    link.SendInstruction(Identify);
    EXPECT_TRUE(recorder.writes.empty());
}

}  // namespace
