#include "treatments/firing_pattern.h"

#include <charconv>
#include <cmath>

void FiringPattern::DeriveFromBaseFrequency(double b, double n)
{
    BaseFrequency = b;
    BaseTimePeriod = 1.0 / b;
    SlotFrequency = b * n;
    TimePeriodPerSlot = 1.0 / (b * n);
}

void FiringPattern::DeriveFromBaseTimePeriod(double t, double n)
{
    BaseTimePeriod = t;
    BaseFrequency = 1.0 / t;
    TimePeriodPerSlot = t / n;
    SlotFrequency = n / t;
}

void FiringPattern::DeriveSlotsFromBaseTimePeriod(double t, double n)
{
    TimePeriodPerSlot = t / n;
    SlotFrequency = n / t;
}

namespace {
// Each six-decimal text is within half a unit of its last decimal of the
// value it was written from. The slot frequency text and the base frequency
// text times N then differ by at most N + 1 such halves; the extra nano-hertz
// absorbs the binary rounding of the decimal texts.
bool WithinTextRounding(double shown, double exact, double halves)
{
    return std::fabs(shown - exact) <= halves * 5e-7 + 1e-9;
}
}  // namespace

bool ShowsOnePattern(const std::string& baseFrequency, const std::string& numberOfSlots,
                     const std::string& slotFrequency, const std::string& baseTimePeriod)
{
    double b = 0.0;
    long n = 0;
    double f = 0.0;
    double t = 0.0;
    if (!ParsePatternReal(baseFrequency, b) || !(b > 0.0) || !ParsePatternCount(numberOfSlots, n) || n < 1
        || n > FiringPattern::MaxSlots || !ParsePatternReal(slotFrequency, f))
        return false;
    const double slots = static_cast<double>(n);
    if (WithinTextRounding(f, b * slots, slots + 1.0))
        return true;
    // Leaving Number of Slots derives the slot frequency from the base time
    // period as shown and keeps the base frequency: that pattern is whole
    // too, as long as base frequency and base time period show the same
    // cycle (B x T is 1 but for their rounding).
    return ParsePatternReal(baseTimePeriod, t) && t > 0.0 && WithinTextRounding(f, slots / t, 1.0)
           && WithinTextRounding(b * t, 1.0, b + t);
}

bool FiringPattern::FitsDevice() const
{
    return FitsDevice(BaseFrequency, NumberOfSlots);
}

bool FiringPattern::FitsDevice(double baseFrequency, double slots)
{
    // Written so that a NaN product compares false and is refused.
    return baseFrequency * slots <= MaxSlotFrequencyHz;
}

bool FiringPattern::HasUsableQuantities() const
{
    for (double value : {BaseFrequency, BaseTimePeriod, SlotFrequency, TimePeriodPerSlot})
        if (!std::isfinite(value) || value <= 0.0)
            return false;
    return true;
}

// std::to_chars and std::from_chars always use the C locale's forms, whatever
// LC_NUMERIC says.
std::string FormatPatternReal(double value)
{
    char text[400];  // "%f" of the largest double: 309 digits and 7 more
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

std::string FormatPatternCount(int count)
{
    char text[16];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, count);
    return std::string(text, result.ptr);
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The text between leading and trailing blanks, without one leading '+'.
// from_chars takes a '-' itself but no '+'.
void TrimForParsing(std::string_view text, const char*& first, const char*& last)
{
    first = text.data();
    last = text.data() + text.size();
    while (first < last && IsBlank(*first))
        ++first;
    while (last > first && IsBlank(last[-1]))
        --last;
    if (last - first > 1 && *first == '+' && first[1] != '-')
        ++first;
}

}  // namespace

bool ParsePatternReal(std::string_view text, double& value)
{
    const char* first;
    const char* last;
    TrimForParsing(text, first, last);
    double parsed = 0.0;
    const std::from_chars_result result = std::from_chars(first, last, parsed);
    if (first == last || result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParsePatternCount(std::string_view text, long& value)
{
    const char* first;
    const char* last;
    TrimForParsing(text, first, last);
    long parsed = 0;
    const std::from_chars_result result = std::from_chars(first, last, parsed, 10);
    if (first == last || result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}
