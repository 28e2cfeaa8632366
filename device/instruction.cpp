#include "device/instruction.h"

#include <cstdio>
#include <cstring>

#include "device/diagnostics.h"

namespace {

constexpr unsigned char FrameStart = 0x00;
constexpr unsigned char FrameEnd = 0xFF;

InstructionReceiver processReceiver;

// Skips to the next 0x00 of the chunk, which starts the next instruction.
void SkipToStart(InstructionReceiver& receiver, const unsigned char* chunk, int length)
{
    while (receiver.position < length && chunk[receiver.position] != FrameStart)
        ++receiver.position;
    receiver.discarding = receiver.position >= length;
}

}  // namespace

int BuildFrame(unsigned char code, const unsigned char* payload, int count, unsigned char* out)
{
    out[0] = FrameStart;
    out[1] = code;
    if (count > 0)
        std::memcpy(out + 2, payload, static_cast<std::size_t>(count));
    out[count + 2] = FrameEnd;
    return count + 3;
}

int BuildInstructionFrame(signed char code, const unsigned char* first, const unsigned char* second,
                          const unsigned char* third, unsigned char* out)
{
    switch (code) {
        case SetSlotTimer: {
            if (first == nullptr || second == nullptr || third == nullptr)
                return 0;
            const unsigned char timer[3] = {*first, *second, *third};
            return BuildFrame(SetSlotTimer, timer, 3, out);
        }
        case SetSlotPattern: {
            if (first == nullptr)
                return 0;
            int count = *first;
            if (count > 0 && second == nullptr)
                return 0;
            unsigned char states[255];
            for (int i = 0; i < count; ++i)
                states[i] = second[i] == SlotOn ? SlotOn : SlotOff;
            return BuildFrame(SetSlotPattern, states, count, out);
        }
        case TurnOff: {
            // A one-slot pattern with the slot off first, so the field stops at once.
            const unsigned char off = SlotOff;
            int n = BuildFrame(SetSlotPattern, &off, 1, out);
            return n + BuildFrame(TurnOff, nullptr, 0, out + n);
        }
        case PollStatus:
        case Identify:
        case BeeperOn:
        case BeeperOff:
        case QueryBeeper:
        case ReadProgramme:
            return BuildFrame(static_cast<unsigned char>(code), nullptr, 0, out);
        default:
            return 0;
    }
}

InstructionReceiver& TheInstructionReceiver()
{
    return processReceiver;
}

void ResetInstructionReceiver()
{
    processReceiver = InstructionReceiver();
}

bool ParseInstruction(const unsigned char* chunk, int length)
{
    return ParseInstruction(processReceiver, chunk, length);
}

bool ParseInstruction(InstructionReceiver& receiver, const unsigned char* chunk, int length)
{
    if (chunk == nullptr || receiver.position < 0 || receiver.position >= length)
        return false;

    if (receiver.discarding) {
        SkipToStart(receiver, chunk, length);
        if (receiver.discarding)
            return false;
    }

    unsigned char b = chunk[receiver.position];
    if (receiver.complete && b != FrameStart) {
        int start = receiver.position;
        do {
            ++receiver.position;
        } while (receiver.position < length && chunk[receiver.position] != FrameStart);
        char line[64];
        std::snprintf(line, sizeof line, "Received %d error bytes between two instructions!",
                      receiver.position - start);
        DiagnosticLine(line);
        return false;
    }

    // While an instruction is incomplete, every byte belongs to it, whatever its
    // value: an instruction split across two reads is finished by the next one.
    receiver.complete = false;
    while (b != FrameEnd) {
        if (receiver.fill >= InstructionCapacity - 1) {
            char line[64];
            std::snprintf(line, sizeof line, "Dropped an instruction longer than %d bytes!",
                          InstructionCapacity - 1);
            DiagnosticLine(line);
            receiver.fill = 0;
            receiver.complete = true;
            SkipToStart(receiver, chunk, length);
            return false;
        }
        receiver.instruction[receiver.fill++] = b;
        if (++receiver.position >= length)
            return false;
        b = chunk[receiver.position];
    }
    receiver.instruction[receiver.fill] = FrameEnd;
    receiver.length = receiver.fill + 1;
    receiver.fill = 0;
    receiver.complete = true;
    ++receiver.position;
    return true;
}
