// The diary: whatever the file holds, an append either leaves it byte for
// byte as it was, or adds exactly the new entry after the old ones, every old
// entry reading back unchanged.
#include <tinyxml2.h>

#include "diary/diary_file.h"
#include "fuzz_support.h"

namespace {

bool operator==(const DiaryEntry& a, const DiaryEntry& b)
{
    return a.Date == b.Date && a.Time == b.Time && a.Summary == b.Summary && a.Content == b.Content;
}

}  // namespace

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

    const DiaryEntry added{"07.12.2026", "09:15", "Knee <left> & \"right\"",
                           "Two lines,\nwith \xC3\xBC and 'quotes'."};
    const HistorySaveResult saved = AppendHistoryEntry(doc, path.c_str(), added);
    if (saved != HistorySaveResult::Saved) {
        FUZZ_CHECK(loaded != HistoryLoadResult::NoFile);
        FUZZ_CHECK(ReadBytes(path) == before);
        return 0;
    }
    FUZZ_CHECK(loaded != HistoryLoadResult::Unreadable);

    FUZZ_CHECK(LoadHistory(doc, path.c_str()) == HistoryLoadResult::Loaded);
    const std::vector<DiaryEntry> now = ReadHistoryEntries(doc);
    FUZZ_CHECK(now.size() == old.size() + 1);
    for (size_t i = 0; i < old.size(); ++i)
        FUZZ_CHECK(now[i] == old[i]);
    FUZZ_CHECK(now.back() == added);
    return 0;
}
