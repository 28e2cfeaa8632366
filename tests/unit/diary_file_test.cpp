// The diary file: reading, appending, and keeping the user's diary intact.
#include <stdlib.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "diary/diary_file.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteBytes(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

DiaryEntry MakeEntry(const std::string& date, const std::string& time, const std::string& summary,
                     const std::string& content)
{
    DiaryEntry entry;
    entry.Date = date;
    entry.Time = time;
    entry.Summary = summary;
    entry.Content = content;
    return entry;
}

void ExpectEntry(const DiaryEntry& entry, const std::string& date, const std::string& time,
                 const std::string& summary, const std::string& content)
{
    EXPECT_EQ(entry.Date, date);
    EXPECT_EQ(entry.Time, time);
    EXPECT_EQ(entry.Summary, summary);
    EXPECT_EQ(entry.Content, content);
}

class DiaryFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vitrel-diary-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = (dir / "DiaryHistoryDB.xml").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void UseTestData(const char* name) const
    {
        fs::copy_file(fs::path(VITREL_TEST_DATA) / name, path);
    }

    // A fresh document, as the frame creates it.
    tinyxml2::XMLDocument doc{true, tinyxml2::PRESERVE_WHITESPACE};
    fs::path dir;
    std::string path;
};

const char* const AppendedEntry =
    "    <Entry>\n"
    "        <Date>15.03.2024</Date>\n"
    "        <Time>14:05:09</Time>\n"
    "        <Summary>Evening</Summary>\n"
    "        <Content>Spot 3.</Content>\n"
    "    </Entry>\n";

TEST_F(DiaryFileTest, EntriesAreReadInFileOrderAndFoundByName)
{
    UseTestData("diary_three_entries.xml");
    ASSERT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::Loaded);

    const std::vector<DiaryEntry> entries = ReadHistoryEntries(doc);
    ASSERT_EQ(entries.size(), 3u);
    ExpectEntry(entries[0], "01.03.2024", "08:00:00", "Morning treatment",
                "Spot 3, twenty minutes.");
    // After a foreign element, with its children in another order.
    ExpectEntry(entries[1], "02.03.2024", "12:30:00", "Midday", "Felt better.\nSecond line.");
    // Without a Summary element.
    ExpectEntry(entries[2], "03.03.2024", "21:15:00", "", "No summary here.");

    DiaryEntry entry;
    ASSERT_TRUE(ReadHistoryEntry(doc, 2, entry));
    ExpectEntry(entry, "03.03.2024", "21:15:00", "", "No summary here.");
    EXPECT_FALSE(ReadHistoryEntry(doc, 3, entry));
    EXPECT_FALSE(ReadHistoryEntry(doc, -1, entry));
}

TEST_F(DiaryFileTest, AppendAddsTheEntryLastAndKeepsEverythingElse)
{
    UseTestData("diary_three_entries.xml");
    const std::string before = ReadBytes(path);

    ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(),
                                 MakeEntry("15.03.2024", "14:05:09", "Evening", "Spot 3.")),
              HistorySaveResult::Saved);

    // Declaration, comment, foreign element and old entries unchanged; the new
    // entry last, its children in order, in the indented form.
    std::string expected = before;
    expected.insert(expected.rfind("</HistoryDoc>"), AppendedEntry);
    EXPECT_EQ(ReadBytes(path), expected);

    tinyxml2::XMLDocument reread(true, tinyxml2::PRESERVE_WHITESPACE);
    LoadHistory(reread, path.c_str());
    ASSERT_EQ(ReadHistoryEntries(reread).size(), 4u);
    // The caller's document holds what was written.
    ASSERT_EQ(ReadHistoryEntries(doc).size(), 4u);
}

TEST_F(DiaryFileTest, AppendStartsFromTheFileNotFromAnOlderLoad)
{
    UseTestData("diary_three_entries.xml");
    LoadHistory(doc, path.c_str());
    // Another copy of the program appends meanwhile.
    tinyxml2::XMLDocument other(true, tinyxml2::PRESERVE_WHITESPACE);
    AppendHistoryEntry(other, path.c_str(), MakeEntry("d", "t", "from elsewhere", ""));

    AppendHistoryEntry(doc, path.c_str(), MakeEntry("d", "t", "mine", ""));

    LoadHistory(doc, path.c_str());
    const std::vector<DiaryEntry> entries = ReadHistoryEntries(doc);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[3].Summary, "from elsewhere");
    EXPECT_EQ(entries[4].Summary, "mine");
}

TEST_F(DiaryFileTest, TextsRoundTripExactlyAsUtf8WhateverTheLocale)
{
    // The user's texts must not pass through the C library's locale conversion.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    const std::string special = "a < b > c & d \"e\" 'f'";
    const std::string lines = "first line\nsecond line\n\n  indented fourth";
    const std::string foreign = "Gr\xc3\xbc\xc3\x9f" "e \xc3\xa4 \xc4\x87 \xe6\x97\xa5\xe6\x9c\xac";
    ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(), MakeEntry("15.03.2024", "14:05", special, lines)),
              HistorySaveResult::Saved);
    ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(), MakeEntry(foreign, "", "", foreign)),
              HistorySaveResult::Saved);
    std::setlocale(LC_ALL, previous.c_str());

    const std::string file = ReadBytes(path);
    EXPECT_NE(file.find("a &lt; b &gt; c &amp; d"), std::string::npos) << file;
    EXPECT_NE(file.find("<Content>" + foreign + "</Content>"), std::string::npos) << file;
    EXPECT_NE(file.find("<Summary/>"), std::string::npos) << file;
    EXPECT_NE(file.find("<Time/>"), std::string::npos) << file;

    LoadHistory(doc, path.c_str());
    const std::vector<DiaryEntry> entries = ReadHistoryEntries(doc);
    ASSERT_EQ(entries.size(), 2u);
    ExpectEntry(entries[0], "15.03.2024", "14:05", special, lines);
    ExpectEntry(entries[1], foreign, "", "", foreign);
}

TEST_F(DiaryFileTest, LegacyCodePageTextIsDecodedAndKeptOnAppend)
{
    // Written in Windows-1252 by an older version, then appended to by this one.
    UseTestData("diary_legacy_cp1252.xml");
    ASSERT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::Loaded);
    const std::vector<DiaryEntry> entries = ReadHistoryEntries(doc);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Summary, "Gr\xc3\xbc\xc3\x9f" "e");
    EXPECT_EQ(entries[0].Content, "\xe2\x82\xac" "5 \xe2\x80\x93 ok");
    EXPECT_EQ(entries[1].Summary, "Caf\xc3\xa9");

    // The old entries are not rewritten: their bytes stay as they were.
    const std::string before = ReadBytes(path);
    ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(), MakeEntry("d", "t", "s", "c")),
              HistorySaveResult::Saved);
    const size_t oldPart = before.rfind("</HistoryDoc>");
    EXPECT_EQ(ReadBytes(path).substr(0, oldPart), before.substr(0, oldPart));
}

TEST_F(DiaryFileTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    const std::string truncated = ReadBytes(fs::path(VITREL_TEST_DATA) / "diary_truncated.xml");
    const std::string unreadable[] = {
        truncated,
        "<Diary>\n    <Entry><Summary>not ours</Summary></Entry>\n</Diary>\n",
        "<?xml version=\"1.0\"?>\n",
    };
    for (const std::string& content : unreadable) {
        SCOPED_TRACE(content);
        WriteBytes(path, content);
        EXPECT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::Unreadable);
        EXPECT_TRUE(ReadHistoryEntries(doc).empty());
        EXPECT_EQ(AppendHistoryEntry(doc, path.c_str(), MakeEntry("d", "t", "s", "c")),
                  HistorySaveResult::Unreadable);
        EXPECT_EQ(ReadBytes(path), content);
    }
    // Something in the way that is not a file.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(AppendHistoryEntry(doc, path.c_str(), MakeEntry("d", "t", "s", "c")),
              HistorySaveResult::Unreadable);
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(DiaryFileTest, AMissingOrEmptyFileIsAnEmptyDiaryAndTheFirstSaveCreatesIt)
{
    const std::string oneEntry = "<HistoryDoc>\n"
                                 "    <Entry>\n"
                                 "        <Date>21.11.2015.</Date>\n"
                                 "        <Time>21:15</Time>\n"
                                 "        <Summary>Evening treatment</Summary>\n"
                                 "        <Content>Spot 3, twenty minutes.</Content>\n"
                                 "    </Entry>\n"
                                 "</HistoryDoc>\n";
    const DiaryEntry entry =
        MakeEntry("21.11.2015.", "21:15", "Evening treatment", "Spot 3, twenty minutes.");
    for (const char* content : {static_cast<const char*>(nullptr), "", " \n\n"}) {
        SCOPED_TRACE(content ? "empty file" : "no file");
        fs::remove(path);
        if (content)
            WriteBytes(path, content);
        EXPECT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::NoFile);
        EXPECT_TRUE(ReadHistoryEntries(doc).empty());
        ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(), entry), HistorySaveResult::Saved);
        EXPECT_EQ(ReadBytes(path), oneEntry);
    }

    WriteBytes(path, "<HistoryDoc>\n</HistoryDoc>\n");
    EXPECT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::Loaded);
    EXPECT_TRUE(ReadHistoryEntries(doc).empty());
    ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(), entry), HistorySaveResult::Saved);
    EXPECT_EQ(ReadBytes(path), oneEntry);
}

TEST_F(DiaryFileTest, AnEntryThatCannotBeWrittenIsReported)
{
    const std::string missingFolder = (dir / "gone" / "DiaryHistoryDB.xml").string();
    EXPECT_EQ(AppendHistoryEntry(doc, missingFolder.c_str(), MakeEntry("d", "t", "s", "c")),
              HistorySaveResult::NotWritten);
    EXPECT_FALSE(fs::exists(missingFolder));
}

}  // namespace
