#pragma once

// What the stick holds, as its ReadProgramme reply tells it, and which
// catalogue treatment that is. Plain logic, no window.

#include <vector>

#include "treatments/firing_pattern.h"

struct DeviceLink;
class TreatmentCatalogue;

// A programme as the stick stores it: the slot-timer bytes (lo, hi, sel) and
// one state per slot (1 = on, anything else off).
struct StickProgramme {
    unsigned char timer[3] = {};
    std::vector<unsigned char> states;

    // Same timer bytes and the same slots on and off.
    bool SameAs(const StickProgramme& other) const;
};

// The programme of a ReadProgramme reply (00 12 lo hi sel s1 .. sn FF,
// `length` bytes); false when it holds no slot states or more than
// FiringPattern::MaxSlots.
bool ReadProgrammeReply(const unsigned char* instruction, int length, StickProgramme& programme);

// The programme a write of `pattern` stores: its slot frequency as the Slot
// Frequency field shows it, through `link`'s encoding, and its slot states;
// false when that frequency cannot be sent.
bool ProgrammeOfPattern(const FiringPattern& pattern, const DeviceLink& link, StickProgramme& programme);

// The SetSlotPattern state bytes of the pattern's slots, in slot order:
// SlotOn for a slot that fires, SlotOff for one that does not.
std::vector<unsigned char> BuildSlotStateBytes(const FiringPattern& pattern);

// The pattern the programme runs: its slot frequency decoded by `link`, and
// the quantities derived from it and the slot count; false when the timer
// bytes give no usable frequency.
bool PatternOfProgramme(const StickProgramme& programme, const DeviceLink& link, FiringPattern& pattern);

// The index of the first catalogue record whose write would store exactly
// `programme` (same slot count and states, and a base frequency that gives
// the same timer bytes), or -1 when there is none.
int MatchingTreatment(const TreatmentCatalogue& catalogue, const StickProgramme& programme,
                      const DeviceLink& link);
