#include "treatments/stick_programme.h"

#include <algorithm>
#include <cmath>

#include "device/device_link.h"
#include "device/instruction.h"
#include "treatments/treatment_catalogue.h"

bool StickProgramme::SameAs(const StickProgramme& other) const
{
    if (states.size() != other.states.size())
        return false;
    for (int i = 0; i < 3; ++i)
        if (timer[i] != other.timer[i])
            return false;
    for (std::size_t j = 0; j < states.size(); ++j)
        if ((states[j] == SlotOn) != (other.states[j] == SlotOn))
            return false;
    return true;
}

bool ReadProgrammeReply(const unsigned char* instruction, int length, StickProgramme& programme)
{
    // 00 12 lo hi sel s1 .. sn FF
    const int states = length - 6;
    if (states < 1 || states > FiringPattern::MaxSlots)
        return false;
    for (int i = 0; i < 3; ++i)
        programme.timer[i] = instruction[2 + i];
    programme.states.assign(instruction + 5, instruction + 5 + states);
    return true;
}

bool ProgrammeOfPattern(const FiringPattern& pattern, const DeviceLink& link, StickProgramme& programme)
{
    const int n = pattern.NumberOfSlots;
    double slotFrequency = 0.0;
    if (n < 1 || n > FiringPattern::MaxSlots || !pattern.FitsDevice()
        || !ParsePatternReal(FormatPatternReal(n * pattern.BaseFrequency), slotFrequency)
        || !link.EncodeSlotFrequency(slotFrequency, programme.timer[0], programme.timer[1],
                                     programme.timer[2]))
        return false;
    programme.states = BuildSlotStateBytes(pattern);
    return true;
}

std::vector<unsigned char> BuildSlotStateBytes(const FiringPattern& pattern)
{
    const int n = std::clamp(pattern.NumberOfSlots, 0, static_cast<int>(FiringPattern::MaxSlots));
    std::vector<unsigned char> states(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        states[static_cast<std::size_t>(i)] = pattern.Slot[i] == 1 ? SlotOn : SlotOff;
    return states;
}

bool PatternOfProgramme(const StickProgramme& programme, const DeviceLink& link, FiringPattern& pattern)
{
    const int n = static_cast<int>(programme.states.size());
    const double slotFrequency =
        link.DecodeSlotFrequency(programme.timer[0], programme.timer[1], programme.timer[2]);
    if (n < 1 || n > FiringPattern::MaxSlots || !(slotFrequency > 0.0) || !std::isfinite(slotFrequency))
        return false;
    pattern = FiringPattern();
    pattern.NumberOfSlots = n;
    pattern.DeriveFromBaseTimePeriod(n / slotFrequency, n);
    for (int i = 0; i < n; ++i)
        pattern.Slot[i] = programme.states[static_cast<std::size_t>(i)] == SlotOn ? SlotOn : SlotOff;
    return pattern.HasUsableQuantities();
}

int MatchingTreatment(const TreatmentCatalogue& catalogue, const StickProgramme& programme,
                      const DeviceLink& link)
{
    StickProgramme written;
    for (int index = 0; index < catalogue.Count(); ++index) {
        const FiringPattern& pattern = catalogue.Record(index).Pattern;
        if (pattern.NumberOfSlots == static_cast<int>(programme.states.size())
            && ProgrammeOfPattern(pattern, link, written) && written.SameAs(programme))
            return index;
    }
    return -1;
}
