#include "treatments/treatment_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <tinyxml2.h>

#include "treatments/catalogue_scan.h"
#include "files/data_file.h"
#include "files/utf8_text.h"

namespace {

using tinyxml2::XMLElement;

// The children of one Treatment element, in document order.
struct TreatmentChildren {
    const CatalogueChild* first;
    const CatalogueChild* end;

    // The first child named `name`, or null.
    const CatalogueChild* Find(const char* name, const CatalogueChild* from = nullptr) const
    {
        const std::string_view wanted(name);
        for (const CatalogueChild* child = from ? from : first; child != end; ++child)
            if (child->name == wanted)
                return child;
        return nullptr;
    }
};

// Spots drawn on the body pictures are numbered 1 to 24; 0 is a general
// treatment.
constexpr long LastBodySpot = 24;

// What the window can lay out at once without stalling: longer texts are
// cut, and long runs without white space get places where lines may break.
constexpr size_t MaxTitleCharacters = 200;
constexpr size_t MaxDescriptionCharacters = 20000;
constexpr size_t MaxUnbrokenRun = 100;

// The text an element directly contains, as UTF-8; empty when the element is
// missing or does not start with text.
std::string ChildText(const TreatmentChildren& parent, const char* name)
{
    const CatalogueChild* child = parent.Find(name);
    if (!child || !child->hasText)
        return std::string();
    return LegacyTextAsUtf8(std::string(child->text).c_str());
}

// A finite real above zero; `value` is left alone when the text is not one.
bool ChildPositiveReal(const TreatmentChildren& parent, const char* name, double& value)
{
    double parsed = 0.0;
    if (!ParsePatternReal(ChildText(parent, name), parsed) || parsed <= 0.0)
        return false;
    value = parsed;
    return true;
}

bool ChildCount(const TreatmentChildren& parent, const char* name, long& value)
{
    return ParsePatternCount(ChildText(parent, name), value);
}

void Report(int ordinal, const char* reason)
{
    std::puts(("Treatment " + std::to_string(ordinal) + " skipped: " + reason).c_str());
}

// Fills `record` from one Treatment element. A treatment that could put an
// undefined value into a field or a frame for the stick is refused without
// touching `record`: the reason goes to standard output, false is returned.
bool ReadTreatment(const TreatmentChildren& treatment, int ordinal, TreatmentRecord& record)
{
    std::string title = ChildText(treatment, "Title");
    if (title.empty()) {
        Report(ordinal, "no Title");
        return false;
    }
    long spot = 0;
    if (!ChildCount(treatment, "BodySpot", spot) || spot < 0 || spot > LastBodySpot) {
        Report(ordinal, "BodySpot not a number in 0..24");
        return false;
    }
    double base = 0.0;
    if (!ChildPositiveReal(treatment, "BaseFrequency", base)) {
        Report(ordinal, "BaseFrequency not a positive finite number");
        return false;
    }
    long slots = 0;
    if (!ChildCount(treatment, "NumberOfSlots", slots) || slots < 1 || slots > FiringPattern::MaxSlots) {
        Report(ordinal, "NumberOfSlots not a number in 1..250");
        return false;
    }
    FiringPattern pattern;
    pattern.NumberOfSlots = static_cast<int>(slots);
    pattern.DeriveFromBaseFrequency(base, static_cast<double>(slots));
    if (!pattern.HasUsableQuantities()) {  // so small or so large that a period or product overflows
        Report(ordinal, "BaseFrequency out of range");
        return false;
    }

    const CatalogueChild* slot = treatment.Find("Slot");
    for (int i = 0; i < pattern.NumberOfSlots; ++i, slot = treatment.Find("Slot", slot + 1)) {
        if (!slot) {
            Report(ordinal, "fewer Slot elements than NumberOfSlots");
            return false;
        }
        long state = 0;
        pattern.Slot[i] = slot->hasText && ParsePatternCount(slot->text, state) && state == 1 ? 1 : 0;
    }
    // Nothing reads the file's copies of the derived quantities (applying a
    // record recomputes them from base frequency and slot count); they are
    // kept as given, and one that is missing or unusable keeps its derived
    // value.
    ChildPositiveReal(treatment, "BaseTimePeriod", pattern.BaseTimePeriod);
    ChildPositiveReal(treatment, "SlotFrequency", pattern.SlotFrequency);
    ChildPositiveReal(treatment, "TimePeriodPerSlot", pattern.TimePeriodPerSlot);

    record.Title = FirstCharacters(title, MaxTitleCharacters);
    record.Description = WithLineBreakOpportunities(
        FirstCharacters(ChildText(treatment, "Description"), MaxDescriptionCharacters), MaxUnbrokenRun);
    record.BodySpot = static_cast<int>(spot);
    record.DayTreatment = ChildText(treatment, "DayTreatment");
    record.NightTreatment = ChildText(treatment, "NightTreatment");
    record.Pattern = pattern;
    return true;
}

}  // namespace

int TreatmentCatalogue::Load(const char* path, CatalogueReading reading)
{
    if (!path)
        return 0;
    std::string text;
    const DataFileOpen opened = ReadDataFile(path, text);
    if (opened != DataFileOpen::Opened) {
        const char* why = opened == DataFileOpen::Missing      ? "no such file"
                          : opened == DataFileOpen::NotRegular ? "not an ordinary file"
                                                               : "cannot be opened";
        std::puts((std::string("Treatments list ") + path + " not read: " + why).c_str());
        problem = opened == DataFileOpen::Missing ? CatalogueProblem::Missing : CatalogueProblem::NotOpened;
        return 0;
    }
    CatalogueScan scan;
    if (reading == CatalogueReading::Quick && ScanPlainCatalogue(text, scan))
        return Take(scan);

    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (document.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) {
        std::puts((std::string("Treatments list ") + path + " not read: " + document.ErrorName()).c_str());
        problem = CatalogueProblem::NotXml;
        return 0;
    }
    const XMLElement* root = document.FirstChildElement("VitrelTreatmentsList");
    if (!root) {
        std::puts((std::string("Treatments list ") + path + " has no VitrelTreatmentsList element").c_str());
        problem = CatalogueProblem::NotACatalogue;
        return 0;
    }
    // The library's document in the scan's form: the same reading follows.
    scan = CatalogueScan();
    for (const XMLElement* treatment = root->FirstChildElement("Treatment"); treatment;
         treatment = treatment->NextSiblingElement("Treatment")) {
        scan.treatments.push_back({scan.children.size(), scan.children.size()});
        for (const XMLElement* child = treatment->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            const char* childText = child->GetText();
            scan.children.push_back(
                {child->Name(), childText ? childText : std::string_view(), childText != nullptr});
        }
        scan.treatments.back().end = scan.children.size();
    }
    return Take(scan);
}

int TreatmentCatalogue::Take(const CatalogueScan& scan)
{
    const int first = Count();
    // Room for what the file holds, not for the largest catalogue: a record
    // is about 1.1 kB with its 250 slots.
    const size_t wanted = std::min(records.size() + scan.treatments.size(), static_cast<size_t>(Capacity));
    records.reserve(wanted);
    int ordinal = 1;
    for (const CatalogueScan::Treatment& treatment : scan.treatments) {
        if (Count() == Capacity) {
            std::puts(("Treatment " + std::to_string(ordinal) + " and later ignored: the table holds "
                       + std::to_string(Capacity) + " treatments")
                          .c_str());
            break;
        }
        const TreatmentChildren children {scan.children.data() + treatment.first,
                                          scan.children.data() + treatment.end};
        records.emplace_back();
        if (!ReadTreatment(children, ordinal, records.back()))
            records.pop_back();
        ++ordinal;
    }
    // Refused treatments leave room unused.
    if (records.capacity() - records.size() > records.size() / 8)
        records.shrink_to_fit();
    problem = Count() == first ? CatalogueProblem::NoUsableTreatment : CatalogueProblem::None;
    return Count() - first;
}

std::vector<int> TreatmentCatalogue::Matching(int selection) const
{
    std::vector<int> indexes;
    for (int i = 0; i < Count(); ++i) {
        if (selection == 0 || records[i].BodySpot == selection - 1)
            indexes.push_back(i);
    }
    return indexes;
}

void TreatmentCatalogue::FillTitleList(int selection, std::vector<std::string>& titles) const
{
    titles.clear();
    for (int index : Matching(selection))
        titles.push_back(records[index].Title);
}
