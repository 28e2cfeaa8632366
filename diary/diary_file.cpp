#include "diary/diary_file.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include <tinyxml2.h>

#include "files/atomic_file.h"
#include "files/data_file.h"
#include "treatments/pattern_file.h"
#include "files/utf8_text.h"

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
// first). Unless the result is Loaded, doc is left empty. Only a regular file
// is read: a folder, FIFO, socket or device by that name is Unreadable.
HistoryLoadResult LoadHistoryText(XMLDocument& doc, const char* path, std::string& text)
{
    doc.Clear();
    switch (ReadDataFile(path, text)) {
        case DataFileOpen::Opened:
            break;
        case DataFileOpen::Missing:
            return HistoryLoadResult::NoFile;
        case DataFileOpen::NotRegular:
        case DataFileOpen::Failed:
            return HistoryLoadResult::Unreadable;
    }
    const tinyxml2::XMLError error = doc.Parse(text.c_str(), text.size());
    if (error == tinyxml2::XML_SUCCESS && HistoryRoot(doc) != nullptr)
        return HistoryLoadResult::Loaded;
    doc.Clear();
    // A file holding nothing (as a crash of a version without atomic saves
    // could leave behind: no bytes, or zero bytes) has nothing to lose. The
    // library stops at the first NUL byte, so "empty" is decided here, over
    // the whole text: a diary behind a NUL byte is not empty.
    const std::string::size_type body = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const bool blank = text.find_first_not_of(std::string(" \t\n\v\f\r\0", 7), body) == std::string::npos;
    return error == tinyxml2::XML_ERROR_EMPTY_DOCUMENT && blank ? HistoryLoadResult::NoFile
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

namespace {

// Whether printed reads back as exactly the entries expected.
bool ReadsBackAs(const std::string& printed, const XMLDocument& like, const std::vector<DiaryEntry>& expected)
{
    XMLDocument reread(like.ProcessEntities(), like.WhitespaceMode());
    return reread.Parse(printed.c_str(), printed.size()) == tinyxml2::XML_SUCCESS
           && ReadHistoryEntries(reread) == expected;
}

void AppendEntryElement(XMLElement& root, const DiaryEntry& entry)
{
    XMLElement* element = root.InsertNewChildElement(EntryName);
    AppendField(*element, "Date", entry.Date);
    AppendField(*element, "Time", entry.Time);
    AppendField(*element, "Summary", entry.Summary);
    AppendField(*element, "Content", entry.Content);
}

// A diary that was read but cannot be written back as it was read: a new one
// takes its place, holding every entry that could be read from it (line ends
// as line feeds, the only ones the library reads back) and then entry. The
// old file is kept as it is under a name that says so (keptAs), so nothing is
// lost and the user can write again. Called under the file's lock, with doc
// holding the old diary; on success doc holds the new one.
HistorySaveResult StartDiaryAnew(XMLDocument& doc, const std::string& target, const DiaryEntry& entry,
                                 std::string* keptAs)
{
    std::vector<DiaryEntry> expected;
    for (const DiaryEntry& old : ReadHistoryEntries(doc))
        expected.push_back(WithLineFeeds(old));
    expected.push_back(WithLineFeeds(entry));
    XMLDocument fresh(doc.ProcessEntities(), doc.WhitespaceMode());
    XMLElement* root = fresh.NewElement(RootName);
    fresh.InsertEndChild(root);
    for (const DiaryEntry& kept : expected)
        AppendEntryElement(*root, kept);
    const auto readsBack = [&fresh, &expected](const std::string& printed) {
        return ReadsBackAs(printed, fresh, expected);
    };
    // Nothing is moved unless the new diary is one that can be written.
    tinyxml2::XMLPrinter printer;
    fresh.Print(&printer);
    if (!readsBack(std::string(printer.CStr(), printer.CStrSize() - 1)))
        return HistorySaveResult::NotWritten;

    const std::time_t now = std::time(nullptr);
    const std::string aside = MoveUnreadableAside(target.c_str(), *std::localtime(&now));
    if (aside.empty())
        return HistorySaveResult::NotWritten;
    if (!SaveDocumentAtomically(fresh, target.c_str(), readsBack)) {
        // The old diary goes back to its name: the user is told the entry
        // was not saved, and the file is as it was.
        std::error_code ignored;
        std::filesystem::rename(aside, target, ignored);
        return HistorySaveResult::NotWritten;
    }
    fresh.DeepCopy(&doc);
    if (keptAs != nullptr)
        *keptAs = aside;
    return HistorySaveResult::StartedAnew;
}

}  // namespace

HistorySaveResult AppendHistoryEntry(XMLDocument& doc, const char* path, const DiaryEntry& entry,
                                     std::string* keptAs)
{
    // Two copies of the program may append at the same moment: each reads,
    // appends and writes under the file's lock, starting from what the file
    // holds now, not from what was loaded earlier.
    const std::string target = ResolveLinks(path);
    FileLock lock;
    if (target.empty() || !lock.Acquire(target, SaveLockWaitMilliseconds))
        return HistorySaveResult::NotWritten;
    std::string text;
    const HistoryLoadResult loaded = LoadHistoryText(doc, target.c_str(), text);
    if (loaded == HistoryLoadResult::Unreadable)
        return HistorySaveResult::Unreadable;
    // The library reads a NUL reference as the end of its text: writing the
    // file back would cut the entry there.
    if (HoldsNulReference(text))
        return StartDiaryAnew(doc, target, entry, keptAs);
    XMLElement* root = doc.FirstChildElement(RootName);
    if (root == nullptr)
        root = doc.InsertEndChild(doc.NewElement(RootName))->ToElement();

    std::vector<DiaryEntry> expected = ReadHistoryEntries(doc);
    expected.push_back(WithLineFeeds(entry));
    AppendEntryElement(*root, expected.back());

    bool printsBack = true;
    const auto readsBack = [&doc, &expected, &printsBack](const std::string& printed) {
        printsBack = ReadsBackAs(printed, doc, expected);
        return printsBack;
    };
    if (SaveDocumentAtomically(doc, target.c_str(), readsBack))
        return HistorySaveResult::Saved;
    if (printsBack || loaded != HistoryLoadResult::Loaded)
        return HistorySaveResult::NotWritten;
    // Start again from the diary as read, without the entry just added.
    root->DeleteChild(root->LastChildElement(EntryName));
    return StartDiaryAnew(doc, target, entry, keptAs);
}
