#include "treatments/pattern_file.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include <tinyxml2.h>

#include "files/atomic_file.h"
#include "files/data_file.h"

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {

const char* const RootName = "VitrelAdvancedSettings";

// The text XMLElement::SetText(double) gives in the C locale. The library
// formats with snprintf, which follows LC_NUMERIC and would write "0,25"
// under a German locale; to_chars never does.
void AppendReal(XMLDocument& document, XMLElement* root, const char* name, double value)
{
    char text[32];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text - 1, value, std::chars_format::general, 17);
    *result.ptr = '\0';
    XMLElement* element = document.NewElement(name);
    element->SetText(text);
    root->InsertEndChild(element);
}

PatternFileResult Refusal(PatternFileRefusal refusal)
{
    PatternFileResult result;
    result.refusal = refusal;
    return result;
}

std::string TextOf(const XMLElement* element)
{
    const char* text = element->GetText();
    return text ? text : "";
}

// The result for a file that exists and holds something.
PatternFileResult WithContent(PatternFileResult result)
{
    result.hasContent = true;
    return result;
}

// What a parsed pattern file holds; the refusals are those of ReadPatternFile.
PatternFileResult InterpretPattern(const XMLDocument& document)
{
    const XMLElement* root = document.FirstChildElement(RootName);
    if (root == nullptr)
        return Refusal(PatternFileRefusal::NoRoot);

    const XMLElement* baseFrequency = root->FirstChildElement("BaseFrequency");
    if (baseFrequency == nullptr)
        return Refusal(PatternFileRefusal::NoBaseFrequency);
    double b = 0.0;
    if (!ParsePatternReal(TextOf(baseFrequency), b) || b <= 0.0)
        return Refusal(PatternFileRefusal::BaseFrequencyNotPositive);

    const XMLElement* numberOfSlots = root->FirstChildElement("NumberOfSlots");
    if (numberOfSlots == nullptr)
        return Refusal(PatternFileRefusal::NoSlotCount);
    long n = 0;
    if (!ParsePatternCount(TextOf(numberOfSlots), n) || n < 1 || n > FiringPattern::MaxSlots)
        return Refusal(PatternFileRefusal::SlotCountOutOfRange);

    PatternFileResult result;
    FiringPattern& pattern = result.pattern;
    pattern.NumberOfSlots = static_cast<int>(n);
    pattern.DeriveFromBaseFrequency(b, static_cast<double>(n));
    if (!pattern.HasUsableQuantities())
        return Refusal(PatternFileRefusal::BaseFrequencyUnusable);

    // Slots beyond the file's last Slot element stay silent: a save made while
    // a larger count was typed but not yet applied wrote fewer Slot elements.
    int found = 0;
    for (const XMLElement* slot = root->FirstChildElement("Slot"); slot != nullptr && found < n;
         slot = slot->NextSiblingElement("Slot")) {
        // Only the first character counts: "1" and "10" fire, "0" and "" do not.
        pattern.Slot[found++] = TextOf(slot).compare(0, 1, "1") == 0 ? 1 : 0;
    }
    result.ok = true;
    return result;
}

size_t CountSlotElements(const XMLDocument& document)
{
    size_t count = 0;
    for (const XMLElement* slot = document.RootElement()->FirstChildElement("Slot"); slot != nullptr;
         slot = slot->NextSiblingElement("Slot"))
        ++count;
    return count;
}

// Whether `text` reads back as `content`: its base frequency, count and
// every slot state.
bool ReadsBackAs(const std::string& text, const PatternFileContent& content)
{
    XMLDocument reread(true, tinyxml2::PRESERVE_WHITESPACE);
    if (reread.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS)
        return false;
    const PatternFileResult result = InterpretPattern(reread);
    if (!result.ok || result.pattern.BaseFrequency != content.BaseFrequency
        || result.pattern.NumberOfSlots != content.NumberOfSlots
        || CountSlotElements(reread) != content.Slots.size())
        return false;
    for (size_t i = 0; i < content.Slots.size() && i < static_cast<size_t>(FiringPattern::MaxSlots); ++i) {
        if ((result.pattern.Slot[i] == 1) != content.Slots[i])
            return false;
    }
    return true;
}

}  // namespace

bool WritePatternFile(const char* path, const PatternFileContent& content, XMLDocument& document)
{
    document.Clear();
    XMLElement* root = document.NewElement(RootName);
    document.InsertFirstChild(root);
    AppendReal(document, root, "BaseFrequency", content.BaseFrequency);
    AppendReal(document, root, "BaseTimePeriod", content.BaseTimePeriod);
    AppendReal(document, root, "SlotFrequency", content.SlotFrequency);
    AppendReal(document, root, "TimePeriodPerSlot", content.TimePeriodPerSlot);
    AppendReal(document, root, "NumberOfSlots", content.NumberOfSlots);
    for (bool fires : content.Slots) {
        XMLElement* slot = document.NewElement("Slot");
        slot->SetText(fires ? 1 : 0);
        root->InsertEndChild(slot);
    }
    if (path == nullptr)
        return false;
    // Two copies of the program closing at once each write the whole file:
    // the lock keeps their saves apart.
    const std::string target = ResolveLinks(path);
    FileLock lock;
    if (target.empty() || !lock.Acquire(target, SaveLockWaitMilliseconds))
        return false;
    return SaveDocumentAtomically(document, path,
                                  [&content](const std::string& text) { return ReadsBackAs(text, content); });
}

const char* PatternFileRefusalText(PatternFileRefusal refusal)
{
    static_assert(FiringPattern::MaxSlots == 250, "the slot count's refusal names the limit");
    switch (refusal) {
        case PatternFileRefusal::None:
            break;
        case PatternFileRefusal::Missing:
            return "it does not exist";
        case PatternFileRefusal::NotRegular:
            return "it is a folder or a special file, not an ordinary file";
        case PatternFileRefusal::Unreadable:
            return "it cannot be opened or read";
        case PatternFileRefusal::Empty:
            return "it is empty";
        case PatternFileRefusal::NotXml:
            return "it is not a well-formed XML file";
        case PatternFileRefusal::NoRoot:
            return "it has no VitrelAdvancedSettings element";
        case PatternFileRefusal::NoBaseFrequency:
            return "it has no BaseFrequency value";
        case PatternFileRefusal::BaseFrequencyNotPositive:
            return "its BaseFrequency is not a number above zero";
        case PatternFileRefusal::NoSlotCount:
            return "it has no NumberOfSlots value";
        case PatternFileRefusal::SlotCountOutOfRange:
            return "its NumberOfSlots is not a whole number from 1 to 250";
        case PatternFileRefusal::BaseFrequencyUnusable:
            return "its BaseFrequency is too large or too small to give a usable slot timing";
        case PatternFileRefusal::NotWritten:
            return "the file could not be written; check that the folder exists and that you may write to it";
        case PatternFileRefusal::FileNameUnusable:
            return "the file name cannot be used on this system";
    }
    return "";
}

PatternFileResult ReadPatternFile(const char* path, XMLDocument& document)
{
    document.Clear();
    std::string text;
    switch (ReadDataFile(path, text)) {
        case DataFileOpen::Opened:
            break;
        case DataFileOpen::Missing:
            return Refusal(PatternFileRefusal::Missing);
        case DataFileOpen::NotRegular: {
            PatternFileResult result = WithContent(Refusal(PatternFileRefusal::NotRegular));
            result.notRegular = true;
            return result;
        }
        case DataFileOpen::Failed:
            return WithContent(Refusal(PatternFileRefusal::Unreadable));
    }
    switch (document.Parse(text.c_str(), text.size())) {
        case tinyxml2::XML_SUCCESS:
            break;
        case tinyxml2::XML_ERROR_EMPTY_DOCUMENT:
            return Refusal(PatternFileRefusal::Empty);
        default:
            return WithContent(Refusal(PatternFileRefusal::NotXml));
    }
    return WithContent(InterpretPattern(document));
}

std::string MoveUnreadableAside(const char* path, const std::tm& when)
{
    // A link stays; the file it points at is the one kept aside.
    const std::filesystem::path original(ResolveLinks(path));
    if (original.empty())
        return std::string();
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &when);
    const std::string stem = original.stem().string() + ".unreadable-" + stamp;
    const std::string extension = original.extension().string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path aside = original;
        aside.replace_filename(stem + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + extension);
        std::error_code error;
        if (std::filesystem::exists(aside, error) || error)
            continue;
        std::filesystem::rename(original, aside, error);
        return error ? std::string() : aside.string();
    }
    return std::string();
}
