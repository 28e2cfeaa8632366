// The pattern file: a file the reader accepts gives a usable pattern, is
// written out again, and the written file reads back as the same pattern.
#include <tinyxml2.h>

#include "fuzz_support.h"
#include "treatments/pattern_file.h"

namespace {

PatternFileContent ContentOf(const FiringPattern& pattern)
{
    PatternFileContent content;
    content.BaseFrequency = pattern.BaseFrequency;
    content.BaseTimePeriod = pattern.BaseTimePeriod;
    content.SlotFrequency = pattern.SlotFrequency;
    content.TimePeriodPerSlot = pattern.TimePeriodPerSlot;
    content.NumberOfSlots = pattern.NumberOfSlots;
    for (int i = 0; i < pattern.NumberOfSlots; ++i)
        content.Slots.push_back(pattern.Slot[i] == 1);
    return content;
}

void CheckUsable(const FiringPattern& pattern)
{
    FUZZ_CHECK(pattern.NumberOfSlots >= 1 && pattern.NumberOfSlots <= FiringPattern::MaxSlots);
    FUZZ_CHECK(pattern.HasUsableQuantities());
    for (int i = 0; i < pattern.NumberOfSlots; ++i)
        FUZZ_CHECK(pattern.Slot[i] == 0 || pattern.Slot[i] == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string input = ScratchPath("AdvancedSettings.xml");
    static const std::string output = ScratchPath("export.xml");
    WriteBytes(input, data, size);
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    const PatternFileResult first = ReadPatternFile(input.c_str(), document);
    if (!first.ok) {
        FUZZ_CHECK(first.refusal != PatternFileRefusal::None);
        return 0;
    }
    CheckUsable(first.pattern);

    FUZZ_CHECK(WritePatternFile(output.c_str(), ContentOf(first.pattern), document));
    const PatternFileResult second = ReadPatternFile(output.c_str(), document);
    FUZZ_CHECK(second.ok);
    const FiringPattern& a = first.pattern;
    const FiringPattern& b = second.pattern;
    FUZZ_CHECK(a.BaseFrequency == b.BaseFrequency && a.NumberOfSlots == b.NumberOfSlots);
    for (int i = 0; i < a.NumberOfSlots; ++i)
        FUZZ_CHECK(a.Slot[i] == b.Slot[i]);
    return 0;
}
