#pragma once
// The framed instruction protocol between the program and the stick.
//
// A frame, in both directions, is 0x00, the instruction code, 0 or more
// payload bytes, 0xFF. There is no length field, checksum or escaping: a
// frame ends at the first 0xFF after its code.

enum InstructionCode : signed char {
    SetSlotTimer = 7,  // 00 07 lo hi sel FF
    SetSlotPattern = 8,  // 00 08 s1 .. sn FF; each s a SlotState
    PollStatus = 11,  // asks for 00 0B r1 r2 FF (battery readings)
    Identify = 12,  // the stick answers 00 0C .. FF
    TurnOff = 14,  // 00 08 02 FF 00 0E FF: one slot, off; then stop
    BeeperOn = 15,
    BeeperOff = 16,
    QueryBeeper = 17,  // asks for 00 11 b FF; b != 0 means on
    ReadProgramme = 18,  // asks for 00 12 lo hi sel s1 .. sn FF
};

// A slot's state on the wire, in SetSlotPattern and in ReadProgramme's reply.
enum SlotState : unsigned char {
    SlotOn = 1,
    SlotOff = 2,
};

// The largest frame the program sends: SetSlotPattern with 255 states.
constexpr int MaxInstructionFrameBytes = 3 + 255;

// Frames `count` payload bytes as 00 code payload FF into `out` (room for
// count + 3 bytes) and returns the frame's length.
int BuildFrame(unsigned char code, const unsigned char* payload, int count, unsigned char* out);

// The bytes DeviceLink::SendInstruction sends for `code`, written to `out`
// (room for MaxInstructionFrameBytes). Returns their number; 0 when the code
// has no frame or a pointer it needs is null.
//   SetSlotTimer:   the bytes at first (lo), second (hi), third (sel).
//   SetSlotPattern: the count n at first, n states from the array at second;
//                   SlotOn is sent as SlotOn, any other value as SlotOff.
//   TurnOff:        the fixed 7-byte sequence.
//   PollStatus, Identify, BeeperOn, BeeperOff, QueryBeeper, ReadProgramme:
//                   00 code FF; the pointers are not used.
int BuildInstructionFrame(signed char code, const unsigned char* first, const unsigned char* second,
                          const unsigned char* third, unsigned char* out);

// Room for one instruction being assembled; the longest reply the program
// understands (ReadProgramme with 255 states) is 262 bytes.
constexpr int InstructionCapacity = 1024;

// The parser's state. The stick session keeps its own; one more serves the
// whole process (the simulated stick, tools and tests).
struct InstructionReceiver {
    bool complete = true;  // the last byte consumed ended an instruction
    int fill = 0;  // bytes of the instruction being assembled
    int position = 0;  // next byte of the current chunk; set to 0 per chunk
    int length = 0;  // bytes of the last completed instruction, 00 .. FF
    bool discarding = false;  // skipping an overlong instruction up to the next 0x00
    // The last completed instruction (or the one being assembled):
    // [0] = 0x00, [1] = code, [2 ..] = payload, then 0xFF at [length - 1].
    unsigned char instruction[InstructionCapacity] = {};
};

InstructionReceiver& TheInstructionReceiver();

// Puts the receiver back into its start state (for tests and for the
// simulated stick when it is plugged in again).
void ResetInstructionReceiver();

// Parses from chunk[position] on. Returns true when this call completed an
// instruction (now in the receiver's `instruction`, `length` bytes long).
// Returns false after skipping noise bytes before a 0x00 (one line "Received N
// error bytes between two instructions!"), when the chunk ended inside an
// instruction (the next chunk continues it, whatever its first byte), or when
// an instruction outgrew the receiver (one line; parsing starts afresh at the
// next 0x00). Never reads chunk[length] or beyond.
bool ParseInstruction(InstructionReceiver& receiver, const unsigned char* chunk, int length);
// The same with the process-wide receiver (TheInstructionReceiver).
bool ParseInstruction(const unsigned char* chunk, int length);
