#pragma once
// The diary file "DiaryHistoryDB.xml": a root "HistoryDoc" holding one "Entry"
// per diary entry, oldest first, each with the children "Date", "Time",
// "Summary" and "Content". Texts are UTF-8 here and in the file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

// One diary entry. Date and Time are kept as the page showed them (the user's
// local formats); nothing is parsed or validated.
struct DiaryEntry {
    std::string Date;
    std::string Time;
    std::string Summary;
    std::string Content;

    bool operator==(const DiaryEntry& other) const
    {
        return Date == other.Date && Time == other.Time && Summary == other.Summary
               && Content == other.Content;
    }
};

enum class HistoryLoadResult {
    Loaded,  // a "HistoryDoc" root was found (it may hold no entries)
    NoFile,  // no file, or one holding nothing but white space and NUL bytes
    Unreadable,  // the file exists but cannot be read or parsed, or has no "HistoryDoc"
};

enum class HistorySaveResult {
    Saved,
    Unreadable,  // the existing file is left untouched and the entry is not added
    NotWritten,  // the file could not be replaced; it keeps its old content
    StartedAnew,  // the old file is kept aside, a new one holds its entries and the new one
};

// What a file on disk looks like now: a diary whose stamp has not changed
// since it was read need not be read again.
struct FileStamp {
    std::string path;
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type changed {};

    bool operator==(const FileStamp& other) const
    {
        return path == other.path && exists == other.exists && size == other.size && changed == other.changed;
    }
};
FileStamp StampOf(const char* path);

// Empties doc and loads the diary at path into it. Unless the result is
// Loaded, doc is left empty.
HistoryLoadResult LoadHistory(tinyxml2::XMLDocument& doc, const char* path);

// The entries of doc in document order. An entry missing one of its children
// reads that field as empty.
std::vector<DiaryEntry> ReadHistoryEntries(const tinyxml2::XMLDocument& doc);

// The "Entry" elements of doc in document order, to reach entry k at once.
std::vector<const tinyxml2::XMLElement*> HistoryEntryElements(const tinyxml2::XMLDocument& doc);

// One field ("Date", "Time", "Summary" or "Content") of an "Entry" element,
// as UTF-8; empty when the entry lacks it.
std::string HistoryEntryField(const tinyxml2::XMLElement& entry, const char* name);

// Entry k (from 0, in document order); false when doc has no such entry.
bool ReadHistoryEntry(const tinyxml2::XMLDocument& doc, int k, DiaryEntry& entry);

// Reloads path into doc, appends entry as the root's last child and writes the
// file back atomically, all under the file's lock (files/data_file.h),
// so that appends of two processes never lose one another. A missing or empty
// file gets a new "HistoryDoc" root; an unreadable one is never overwritten.
// Line ends in entry are written as line feeds. The file is not replaced
// unless its new text reads back with every old entry unchanged and the new
// one last. A diary that was read but cannot be written back that way is
// kept as it is under a new name ("DiaryHistoryDB.unreadable-<time>.xml",
// given in keptAs), and a new diary holding every entry read from it and then
// entry takes its place (StartedAnew).
HistorySaveResult AppendHistoryEntry(tinyxml2::XMLDocument& doc, const char* path, const DiaryEntry& entry,
                                     std::string* keptAs = nullptr);
