#pragma once

#include <string>
#include <string_view>

// One firing pattern: a cycle of equal slots, each on or off, repeated by the
// stick without end. Base frequency (or base time period) and the slot count
// determine the three other quantities.
struct FiringPattern {
    static constexpr int MaxSlots = 250;

    double BaseFrequency = 0.0;  // Hz: cycles per second
    double BaseTimePeriod = 0.0;  // s: length of one cycle
    double SlotFrequency = 0.0;  // Hz: slots per second, what the slot timer runs at
    double TimePeriodPerSlot = 0.0;  // s: length of one slot
    int NumberOfSlots = 0;  // 1 to MaxSlots
    int Slot[MaxSlots] = {};  // 1 = slot fires, anything else = silent

    // Rule 1: from base frequency b and slot count n; sets the four reals.
    void DeriveFromBaseFrequency(double b, double n);
    // Rule 2: from base time period t and slot count n; sets the four reals.
    void DeriveFromBaseTimePeriod(double t, double n);
    // What leaving the slot count field derives: the slot period and the slot
    // frequency from base time period t and slot count n; the base frequency
    // and base time period stay as they are.
    void DeriveSlotsFromBaseTimePeriod(double t, double n);
    // The stick runs slot frequencies up to 300 Hz; a product that is not a
    // number does not fit. The Advanced Settings page checks its fields'
    // values with the same rule.
    bool FitsDevice() const;
    static bool FitsDevice(double baseFrequency, double slots);
    // True when the four reals are finite and above zero, as after a
    // derivation from a base value and a slot count that are both above zero.
    // Anything else (a zero, negative or unparsed input divides into inf, nan
    // or a negative period) must not reach a field or a file.
    bool HasUsableQuantities() const;
};

// Slot frequency limit of the stick, in Hz.
constexpr double MaxSlotFrequencyHz = 300.0;

// Text forms of pattern quantities in the fields and files: "%f" for reals and
// "%i" for the slot count, always with a '.' decimal point.
std::string FormatPatternReal(double value);
std::string FormatPatternCount(int count);

// Locale-independent reading of a field's or a file's text. Returns false when
// the text is not a finite number, or for a count not a whole number that fits
// a long (leading and trailing blanks are allowed, so is one leading '+').
bool ParsePatternReal(std::string_view text, double& value);
bool ParsePatternCount(std::string_view text, long& value);

// True when the field texts form one pattern that may be sent: a base
// frequency above zero, a slot count from 1 to MaxSlots, and a slot frequency
// that is the base frequency times the count, or the count divided by the
// base time period, to within the rounding of the six-decimal texts.
bool ShowsOnePattern(const std::string& baseFrequency, const std::string& numberOfSlots,
                     const std::string& slotFrequency, const std::string& baseTimePeriod);
