#pragma once
// The stick's side of the instruction protocol, as the simulator plays it:
// what the stick stores and what it answers. No input or output here.

#include "device/instruction.h"

// Longest reply: ReadProgramme with 255 slot states.
constexpr int MaxReplyBytes = 3 + 3 + 255;

struct SimulatedStick {
    unsigned char battery[2] = {160, 100};  // r1, r2 of the status reply (4.0 V)
    bool beeperOn = true;
    unsigned char timer[3] = {0x57, 0x9E, 0x00};  // lo hi sel: 10 Hz slots
    unsigned char states[255] = {SlotOn,  SlotOff, SlotOn,  SlotOff, SlotOn,
                                 SlotOff, SlotOn,  SlotOff, SlotOn,  SlotOff};
    int stateCount = 10;

    bool silent = false;  // answers nothing at all
    int answeredPolls = 1;  // answers this many of every `pollCycle` status polls
    int pollCycle = 1;
    long pollsSeen = 0;

    // Faults of a stick that does not keep or report what it was sent, for
    // testing the program's read-back after a write.
    int flipSlot = -1;  // this slot (from 0) of each pattern is stored turned over
    bool alterTimer = false;  // the timer's lo byte is stored one lower (or 1 for 0)
    bool answerReads = true;  // false: ReadProgramme gets no reply

    // Acts on one received frame (00 code payload FF, `length` bytes) and
    // writes the reply to `reply`. Returns the reply's length, 0 for none.
    int Receive(const unsigned char* frame, int length, unsigned char* reply);

    // Sets the answer pattern for status polls and starts counting afresh.
    void AnswerPolls(int answered, int cycle);

    // Sets the stored programme from lo hi sel s1 .. sn; false when there are
    // fewer than 3 or more than 258 bytes.
    bool SetProgramme(const unsigned char* bytes, int count);
};
