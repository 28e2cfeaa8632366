// The diary: whatever the file holds, an append either leaves it byte for
// byte as it was, or adds exactly the new entry after the old ones, every old
// entry reading back unchanged; a file replaced as an empty diary held
// nothing but blanks. A diary that could not be written back unchanged is
// kept aside byte for byte, and the new one holds its entries and the new one.
#include <cctype>
#include <cstdio>

#include <tinyxml2.h>

#include "diary/diary_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string path = ScratchPath("DiaryHistoryDB.xml");
    WriteBytes(path, data, size);
    const std::string before(reinterpret_cast<const char*>(data), size);

    tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
    const HistoryLoadResult loaded = LoadHistory(doc, path.c_str());
    const std::vector<DiaryEntry> old = ReadHistoryEntries(doc);
    if (loaded != HistoryLoadResult::Loaded)
        FUZZ_CHECK(old.empty());

    const DiaryEntry added {"07.12.2026", "09:15", "Knee <left> & \"right\"",
                            "Two lines,\nwith \xC3\xBC and 'quotes'."};
    std::string keptAs;
    const HistorySaveResult saved = AppendHistoryEntry(doc, path.c_str(), added, &keptAs);
    if (saved == HistorySaveResult::StartedAnew) {
        FUZZ_CHECK(loaded == HistoryLoadResult::Loaded);
        FUZZ_CHECK(ReadBytes(keptAs) == before);
        std::remove(keptAs.c_str());
    } else if (saved != HistorySaveResult::Saved) {
        FUZZ_CHECK(loaded != HistoryLoadResult::NoFile);
        FUZZ_CHECK(ReadBytes(path) == before);
        return 0;
    }
    FUZZ_CHECK(loaded != HistoryLoadResult::Unreadable);
    // A file taken for an empty diary held nothing that the save lost.
    if (loaded == HistoryLoadResult::NoFile) {
        const size_t body = before.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        for (size_t i = body; i < before.size(); ++i)
            FUZZ_CHECK(before[i] == '\0' || std::isspace(static_cast<unsigned char>(before[i])));
    }

    FUZZ_CHECK(LoadHistory(doc, path.c_str()) == HistoryLoadResult::Loaded);
    const std::vector<DiaryEntry> now = ReadHistoryEntries(doc);
    FUZZ_CHECK(now.size() == old.size() + 1);
    // A diary started anew was written from what could be read: a carriage
    // return in a text (the &#13; that kept it from being written back) is
    // read back as a line feed, as XML reads every line end.
    const auto lineEnds = [](const std::string& text) {
        std::string read;
        for (size_t i = 0; i < text.size(); ++i) {
            read += text[i] == '\r' ? '\n' : text[i];
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        }
        return read;
    };
    const auto asWritten = [&](const DiaryEntry& entry) {
        if (saved != HistorySaveResult::StartedAnew)
            return entry;
        return DiaryEntry {lineEnds(entry.Date), lineEnds(entry.Time), lineEnds(entry.Summary),
                           lineEnds(entry.Content)};
    };
    for (size_t i = 0; i < old.size(); ++i)
        FUZZ_CHECK(now[i] == asWritten(old[i]));
    FUZZ_CHECK(now.back() == added);
    return 0;
}
