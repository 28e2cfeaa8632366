#include "diary/diary_file.h"

#include <cerrno>
#include <cstdio>

#include <tinyxml2.h>

#include "treatments/atomic_file.h"
#include "treatments/utf8_text.h"

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {

const char* const RootName = "HistoryDoc";
const char* const EntryName = "Entry";

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

// Reads the whole file at path into text and parses it into doc (emptied
// first). Unless the result is Loaded, doc is left empty.
HistoryLoadResult LoadHistoryText(XMLDocument& doc, const char* path, std::string& text)
{
    doc.Clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return errno == ENOENT ? HistoryLoadResult::NoFile : HistoryLoadResult::Unreadable;
    char chunk[65536];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, count);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError)
        return HistoryLoadResult::Unreadable;
    const tinyxml2::XMLError error = doc.Parse(text.c_str(), text.size());
    if (error == tinyxml2::XML_SUCCESS && HistoryRoot(doc) != nullptr)
        return HistoryLoadResult::Loaded;
    doc.Clear();
    // A file holding nothing (as a crash of a version without atomic saves
    // could leave behind) has nothing to lose.
    return error == tinyxml2::XML_ERROR_EMPTY_DOCUMENT ? HistoryLoadResult::NoFile
                                                       : HistoryLoadResult::Unreadable;
}

// Whether text holds a character reference to U+0000 ("&#0;", "&#x00;" ...).
bool HoldsNulReference(const std::string& text)
{
    for (size_t at = text.find("&#"); at != std::string::npos; at = text.find("&#", at + 2)) {
        size_t i = at + 2;
        if (i < text.size() && (text[i] == 'x' || text[i] == 'X'))
            ++i;
        const size_t digits = i;
        while (i < text.size() && text[i] == '0')
            ++i;
        if (i > digits && i < text.size() && text[i] == ';')
            return true;
    }
    return false;
}

// The library reads every line end as a line feed; a new entry is written
// that way so it reads back as it was written.
std::string LineFeedsOnly(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            result += text[i];
        else if (i + 1 == text.size() || text[i + 1] != '\n')
            result += '\n';
    }
    return result;
}

DiaryEntry WithLineFeeds(const DiaryEntry& entry)
{
    return {LineFeedsOnly(entry.Date), LineFeedsOnly(entry.Time), LineFeedsOnly(entry.Summary),
            LineFeedsOnly(entry.Content)};
}

}  // namespace

FileStamp StampOf(const char* path)
{
    FileStamp stamp;
    stamp.path = path;
    std::error_code error;
    const std::filesystem::path file(path);
    stamp.size = std::filesystem::file_size(file, error);
    if (error)
        return stamp;
    stamp.changed = std::filesystem::last_write_time(file, error);
    stamp.exists = !error;
    return stamp;
}

HistoryLoadResult LoadHistory(XMLDocument& doc, const char* path)
{
    std::string text;
    return LoadHistoryText(doc, path, text);
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
    return field ? LegacyTextAsUtf8(field->GetText()) : std::string();
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
    std::string text;
    const HistoryLoadResult loaded = LoadHistoryText(doc, path, text);
    if (loaded == HistoryLoadResult::Unreadable)
        return HistorySaveResult::Unreadable;
    // The library reads a NUL reference as the end of its text: writing the
    // entry back would cut it there.
    if (HoldsNulReference(text))
        return HistorySaveResult::NotWritten;
    XMLElement* root = doc.FirstChildElement(RootName);
    if (root == nullptr)
        root = doc.InsertEndChild(doc.NewElement(RootName))->ToElement();

    std::vector<DiaryEntry> expected = ReadHistoryEntries(doc);
    expected.push_back(WithLineFeeds(entry));
    XMLElement* element = root->InsertNewChildElement(EntryName);
    AppendField(*element, "Date", expected.back().Date);
    AppendField(*element, "Time", expected.back().Time);
    AppendField(*element, "Summary", expected.back().Summary);
    AppendField(*element, "Content", expected.back().Content);

    const auto readsBack = [&doc, &expected](const std::string& printed) {
        XMLDocument reread(doc.ProcessEntities(), doc.WhitespaceMode());
        return reread.Parse(printed.c_str(), printed.size()) == tinyxml2::XML_SUCCESS
               && ReadHistoryEntries(reread) == expected;
    };
    return SaveDocumentAtomically(doc, path, readsBack) ? HistorySaveResult::Saved
                                                        : HistorySaveResult::NotWritten;
}
