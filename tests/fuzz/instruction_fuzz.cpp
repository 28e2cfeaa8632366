// The instruction receiver: a byte stream cut into chunks of random sizes and
// parsed the way the device monitor's tick and the port probe parse each
// chunk. The instructions completed must be those of the whole stream, read
// byte by byte, whatever the cuts: a frame is 0x00 up to the first 0xFF,
// bytes outside a frame are noise, and an instruction that outgrows the
// receiver is dropped up to the next 0x00.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "fuzz_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The byte-by-byte reading of the stream.
class StreamModel {
public:
    void Feed(unsigned char byte)
    {
        if (inFrame && byte == 0xFF) {
            current.push_back(byte);
            completed.push_back(current);
            inFrame = false;
            return;
        }
        if (inFrame && current.size() < InstructionCapacity - 1) {
            current.push_back(byte);
            return;
        }
        inFrame = byte == 0x00;  // an overlong instruction is dropped here
        current.assign(inFrame ? 1 : 0, 0x00);
    }

    // A byte looked at but left unread, where the probe stopped: it is
    // enough to show that a full instruction will not end.
    void Peek(unsigned char byte)
    {
        if (inFrame && current.size() == InstructionCapacity - 1 && byte != 0xFF) {
            inFrame = false;
            current.clear();
        }
    }

    std::vector<Bytes> completed;

private:
    bool inFrame = false;
    Bytes current;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    ResetInstructionReceiver();
    InstructionReceiver& receiver = TheInstructionReceiver();
    StreamModel model;
    std::vector<Bytes> completed;  // by the receiver, in order

    while (provider.remaining_bytes() > 0) {
        const bool probe = provider.ConsumeBool();
        const int limit = probe ? ProbeBufferSize : 2 * InstructionCapacity;
        const Bytes chunk =
            provider.ConsumeBytes<unsigned char>(provider.ConsumeIntegralInRange<int>(1, limit));
        if (chunk.empty())
            break;
        const int length = static_cast<int>(chunk.size());
        receiver.position = 0;
        // The tick parses the whole chunk; the probe stops at the first call
        // that completes nothing and leaves the rest of the chunk unread. A
        // call may consume nothing (an overlong instruction dropped just
        // before a 0x00), but two in a row would spin the tick's loop.
        bool stalled = false;
        for (;;) {
            const int before = receiver.position;
            const bool done = ParseInstruction(chunk.data(), length);
            FUZZ_CHECK(receiver.position >= before && receiver.position <= length);
            FUZZ_CHECK(!(stalled && receiver.position == before));
            stalled = receiver.position == before;
            if (done) {
                completed.emplace_back(receiver.instruction, receiver.instruction + receiver.length);
                FUZZ_CHECK(completed.back().front() == 0x00 && completed.back().back() == 0xFF);
            }
            if (receiver.position == length || (probe && !done))
                break;
        }
        for (int i = 0; i < receiver.position; ++i)
            model.Feed(chunk[i]);
        if (receiver.position < length)
            model.Peek(chunk[receiver.position]);
    }
    FUZZ_CHECK(completed == model.completed);
    return 0;
}
