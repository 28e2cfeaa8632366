// The catalogue: whatever the file holds, every record taken into the table
// has a title, a body spot the pictures have, a usable pattern and UTF-8
// texts short enough to show, and the spot filter finds exactly the records
// of its spot. The quick reading and the XML library's agree.
#include <cstring>

#include "fuzz_support.h"
#include "treatments/treatment_catalogue.h"

namespace {

// Decodes every sequence strictly, as the window's UTF-8 conversion does.
bool IsUtf8(const std::string& text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        int length = *p < 0x80                  ? 1
                     : *p >= 0xC2 && *p <= 0xDF ? 2
                     : *p >= 0xE0 && *p <= 0xEF ? 3
                     : *p >= 0xF0 && *p <= 0xF4 ? 4
                                                : 0;
        if (length == 0 || end - p < length)
            return false;
        unsigned low = 0x80, high = 0xBF;
        if (*p == 0xE0)
            low = 0xA0;
        if (*p == 0xED)
            high = 0x9F;
        if (*p == 0xF0)
            low = 0x90;
        if (*p == 0xF4)
            high = 0x8F;
        for (int k = 1; k < length; ++k) {
            if (p[k] < (k == 1 ? low : 0x80u) || p[k] > (k == 1 ? high : 0xBFu))
                return false;
        }
        p += length;
    }
    return true;
}

size_t Characters(const std::string& text)
{
    size_t count = 0;
    for (const char byte : text)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string path = ScratchPath("VitrelTreatmentsList.xml");
    WriteBytes(path, data, size);
    TreatmentCatalogue catalogue;
    const int added = catalogue.Load(path.c_str());
    FUZZ_CHECK(added == catalogue.Count());
    FUZZ_CHECK(added >= 0 && added <= TreatmentCatalogue::Capacity);

    int perSpot[25] = {};
    for (int i = 0; i < added; ++i) {
        const TreatmentRecord& record = catalogue.Record(i);
        FUZZ_CHECK(!record.Title.empty());
        FUZZ_CHECK(record.BodySpot >= 0 && record.BodySpot <= 24);
        ++perSpot[record.BodySpot];
        const FiringPattern& pattern = record.Pattern;
        FUZZ_CHECK(pattern.NumberOfSlots >= 1 && pattern.NumberOfSlots <= FiringPattern::MaxSlots);
        FUZZ_CHECK(pattern.HasUsableQuantities());
        for (int s = 0; s < pattern.NumberOfSlots; ++s)
            FUZZ_CHECK(pattern.Slot[s] == 0 || pattern.Slot[s] == 1);
        for (const std::string* text :
             {&record.Title, &record.Description, &record.DayTreatment, &record.NightTreatment})
            FUZZ_CHECK(IsUtf8(*text) && std::strlen(text->c_str()) == text->size());
        // 20,000 characters and a break opportunity after every 100.
        FUZZ_CHECK(Characters(record.Title) <= 200 && Characters(record.Description) <= 20200);
    }
    // The quick reading takes what the XML library takes.
    TreatmentCatalogue library;
    FUZZ_CHECK(library.Load(path.c_str(), CatalogueReading::Library) == added);
    for (int i = 0; i < added; ++i) {
        const TreatmentRecord& a = catalogue.Record(i);
        const TreatmentRecord& b = library.Record(i);
        FUZZ_CHECK(a.Title == b.Title && a.Description == b.Description && a.BodySpot == b.BodySpot
                   && a.DayTreatment == b.DayTreatment && a.NightTreatment == b.NightTreatment);
        FUZZ_CHECK(a.Pattern.NumberOfSlots == b.Pattern.NumberOfSlots
                   && std::memcmp(a.Pattern.Slot, b.Pattern.Slot, sizeof a.Pattern.Slot) == 0);
    }
    FUZZ_CHECK(catalogue.Matching(0).size() == static_cast<size_t>(added));
    for (int spot = 0; spot <= 24; ++spot) {
        const std::vector<int> matching = catalogue.Matching(spot + 1);
        FUZZ_CHECK(matching.size() == static_cast<size_t>(perSpot[spot]));
        for (int index : matching)
            FUZZ_CHECK(catalogue.Record(index).BodySpot == spot);
    }
    return 0;
}
