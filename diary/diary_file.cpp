#include "diary/diary_file.h"

#include <cerrno>
#include <cstdio>

#include <tinyxml2.h>

#include "treatments/atomic_file.h"

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {

const char* const RootName = "HistoryDoc";
const char* const EntryName = "Entry";

// Length of the well-formed UTF-8 sequence at text[i], or 0 if there is none
// (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut off).
size_t Utf8SequenceLength(const std::string& text, size_t i)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80)
        return 1;
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char byte = static_cast<unsigned char>(text[i + k]);
        if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool IsUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Windows-1252 for 0x80..0x9F; its five unassigned bytes keep their Latin-1
// meaning, as every byte from 0xA0 on does.
const char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Older versions stored texts in the Windows code page. A text that is not
// UTF-8 is such a text, and is decoded as Windows-1252 as a whole.
std::string TextAsUtf8(const char* text)
{
    if (text == nullptr)
        return std::string();
    std::string raw(text);
    if (IsUtf8(raw))
        return raw;
    std::string decoded;
    decoded.reserve(raw.size() * 2);
    for (const char byte : raw) {
        const unsigned char b = static_cast<unsigned char>(byte);
        AppendUtf8(decoded, b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : b);
    }
    return decoded;
}

const XMLElement* HistoryRoot(const XMLDocument& doc)
{
    return doc.FirstChildElement(RootName);
}

DiaryEntry ReadEntry(const XMLElement& element)
{
    DiaryEntry entry;
    entry.Date = HistoryEntryField(element, "Date");
    entry.Time = HistoryEntryField(element, "Time");
    entry.Summary = HistoryEntryField(element, "Summary");
    entry.Content = HistoryEntryField(element, "Content");
    return entry;
}

// An empty text gives an element without content.
void AppendField(XMLElement& entry, const char* name, const std::string& text)
{
    XMLElement* field = entry.InsertNewChildElement(name);
    if (!text.empty())
        field->SetText(text.c_str());
}

}  // namespace

HistoryLoadResult LoadHistory(XMLDocument& doc, const char* path)
{
    doc.Clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return errno == ENOENT ? HistoryLoadResult::NoFile : HistoryLoadResult::Unreadable;
    const tinyxml2::XMLError error = doc.LoadFile(file);
    std::fclose(file);
    if (error == tinyxml2::XML_SUCCESS && HistoryRoot(doc) != nullptr)
        return HistoryLoadResult::Loaded;
    doc.Clear();
    // A file holding nothing (as a crash of a version without atomic saves
    // could leave behind) has nothing to lose.
    return error == tinyxml2::XML_ERROR_EMPTY_DOCUMENT ? HistoryLoadResult::NoFile
                                                       : HistoryLoadResult::Unreadable;
}

std::vector<DiaryEntry> ReadHistoryEntries(const XMLDocument& doc)
{
    std::vector<DiaryEntry> entries;
    for (const XMLElement* element : HistoryEntryElements(doc))
        entries.push_back(ReadEntry(*element));
    return entries;
}

std::vector<const XMLElement*> HistoryEntryElements(const XMLDocument& doc)
{
    std::vector<const XMLElement*> elements;
    const XMLElement* root = HistoryRoot(doc);
    if (root == nullptr)
        return elements;
    for (const XMLElement* element = root->FirstChildElement(EntryName); element != nullptr;
         element = element->NextSiblingElement(EntryName))
        elements.push_back(element);
    return elements;
}

std::string HistoryEntryField(const XMLElement& entry, const char* name)
{
    const XMLElement* field = entry.FirstChildElement(name);
    return field ? TextAsUtf8(field->GetText()) : std::string();
}

bool ReadHistoryEntry(const XMLDocument& doc, int k, DiaryEntry& entry)
{
    const XMLElement* root = HistoryRoot(doc);
    if (root == nullptr || k < 0)
        return false;
    const XMLElement* element = root->FirstChildElement(EntryName);
    for (int i = 0; i < k && element != nullptr; ++i)
        element = element->NextSiblingElement(EntryName);
    if (element == nullptr)
        return false;
    entry = ReadEntry(*element);
    return true;
}

HistorySaveResult AppendHistoryEntry(XMLDocument& doc, const char* path, const DiaryEntry& entry)
{
    // Start from what the file holds now, not from what was loaded earlier.
    const HistoryLoadResult loaded = LoadHistory(doc, path);
    if (loaded == HistoryLoadResult::Unreadable)
        return HistorySaveResult::Unreadable;
    XMLElement* root = doc.FirstChildElement(RootName);
    if (root == nullptr)
        root = doc.InsertEndChild(doc.NewElement(RootName))->ToElement();

    XMLElement* element = root->InsertNewChildElement(EntryName);
    AppendField(*element, "Date", entry.Date);
    AppendField(*element, "Time", entry.Time);
    AppendField(*element, "Summary", entry.Summary);
    AppendField(*element, "Content", entry.Content);
    return SaveDocumentAtomically(doc, path) ? HistorySaveResult::Saved
                                             : HistorySaveResult::NotWritten;
}
