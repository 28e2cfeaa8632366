// The diary file: reading, appending, and keeping the user's diary intact.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "diary/diary_file.h"
#include "scoped_locale.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

using Fields = std::vector<std::string>;

// Every line end as the library reads it back: a line feed.
std::string LineFeeds(std::string text)
{
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

Fields FieldsOf(const DiaryEntry& entry)
{
    return {entry.Date, entry.Time, entry.Summary, entry.Content};
}

class DiaryFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.Made());
        path = folder.PathOf("DiaryHistoryDB.xml");
    }

    void UseTestData(const char* name) const { fs::copy_file(fs::path(VITREL_TEST_DATA) / name, path); }
    std::string FileBytes() const { return folder.Read("DiaryHistoryDB.xml"); }
    void WriteFile(const std::string& content) const { folder.Write("DiaryHistoryDB.xml", content); }
    HistorySaveResult Append(const DiaryEntry& entry) { return AppendHistoryEntry(doc, path.c_str(), entry); }
    std::vector<DiaryEntry> Reload()
    {
        LoadHistory(doc, path.c_str());
        return ReadHistoryEntries(doc);
    }

    // As the frame creates it.
    tinyxml2::XMLDocument doc {true, tinyxml2::PRESERVE_WHITESPACE};
    TempFolder folder;
    std::string path;
};

TEST_F(DiaryFileTest, EntriesAreReadInFileOrderAndFoundByName)
{
    UseTestData("diary_three_entries.xml");
    ASSERT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::Loaded);
    const std::vector<DiaryEntry> entries = ReadHistoryEntries(doc);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(FieldsOf(entries[0]),
              (Fields {"01.03.2024", "08:00:00", "Morning treatment", "Spot 3, twenty minutes."}));
    // After a foreign element, with its children in another order.
    EXPECT_EQ(FieldsOf(entries[1]),
              (Fields {"02.03.2024", "12:30:00", "Midday", "Felt better.\nSecond line."}));

    // The third has no Summary element.
    DiaryEntry entry;
    ASSERT_TRUE(ReadHistoryEntry(doc, 2, entry));
    EXPECT_EQ(FieldsOf(entry), (Fields {"03.03.2024", "21:15:00", "", "No summary here."}));
    EXPECT_FALSE(ReadHistoryEntry(doc, 3, entry));
    EXPECT_FALSE(ReadHistoryEntry(doc, -1, entry));
}

TEST_F(DiaryFileTest, AppendAddsTheEntryLastAndKeepsEverythingElse)
{
    UseTestData("diary_three_entries.xml");
    std::string expected = FileBytes();
    ASSERT_EQ(Append({"15.03.2024", "14:05:09", "Evening", "Spot 3."}), HistorySaveResult::Saved);

    // Declaration, comment, foreign element and old entries unchanged; the new
    // entry last, its children in order, in the indented form.
    expected.insert(expected.rfind("</HistoryDoc>"), "    <Entry>\n"
                                                     "        <Date>15.03.2024</Date>\n"
                                                     "        <Time>14:05:09</Time>\n"
                                                     "        <Summary>Evening</Summary>\n"
                                                     "        <Content>Spot 3.</Content>\n"
                                                     "    </Entry>\n");
    EXPECT_EQ(FileBytes(), expected);
    EXPECT_EQ(ReadHistoryEntries(doc).size(), 4u);
}

TEST_F(DiaryFileTest, AppendStartsFromTheFileNotFromAnOlderLoad)
{
    UseTestData("diary_three_entries.xml");
    LoadHistory(doc, path.c_str());
    tinyxml2::XMLDocument elsewhere(true, tinyxml2::PRESERVE_WHITESPACE);
    AppendHistoryEntry(elsewhere, path.c_str(), {"d", "t", "from elsewhere", ""});
    Append({"d", "t", "mine", ""});

    const std::vector<DiaryEntry> entries = Reload();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[3].Summary, "from elsewhere");
    EXPECT_EQ(entries[4].Summary, "mine");
}

TEST_F(DiaryFileTest, TextsRoundTripExactlyAsUtf8WhateverTheLocale)
{
    // The user's texts must not pass through the C library's locale conversion.
    const ScopedLocale plainC(LC_ALL, "C");
    const Fields special = {"15.03.2024", "14:05", "a < b > c & d \"e\" 'f'",
                            "first line\nsecond line\n\n  indented fourth"};
    const std::string foreign = "Gr\xc3\xbc\xc3\x9f"
                                "e \xc3\xa4 \xc4\x87 \xe6\x97\xa5\xe6\x9c\xac";
    ASSERT_EQ(Append({special[0], special[1], special[2], special[3]}), HistorySaveResult::Saved);
    ASSERT_EQ(Append({foreign, "", "", foreign}), HistorySaveResult::Saved);

    const std::string file = FileBytes();
    EXPECT_NE(file.find("a &lt; b &gt; c &amp; d"), std::string::npos) << file;
    EXPECT_NE(file.find("<Content>" + foreign + "</Content>"), std::string::npos) << file;
    EXPECT_NE(file.find("<Summary/>"), std::string::npos) << file;
    const std::vector<DiaryEntry> entries = Reload();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(FieldsOf(entries[0]), special);
    EXPECT_EQ(FieldsOf(entries[1]), (Fields {foreign, "", "", foreign}));
}

TEST_F(DiaryFileTest, LegacyCodePageTextIsDecodedAndKeptOnAppend)
{
    // Written in Windows-1252 by an older version, then appended to by this one.
    UseTestData("diary_legacy_cp1252.xml");
    const std::vector<DiaryEntry> entries = Reload();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Summary, "Gr\xc3\xbc\xc3\x9f"
                                  "e");
    EXPECT_EQ(entries[0].Content, "\xe2\x82\xac"
                                  "5 \xe2\x80\x93 ok");
    EXPECT_EQ(entries[1].Summary, "Caf\xc3\xa9");

    // The old entries are not rewritten: their bytes stay as they were.
    const std::string before = FileBytes();
    ASSERT_EQ(Append({"d", "t", "s", "c"}), HistorySaveResult::Saved);
    const size_t oldPart = before.rfind("</HistoryDoc>");
    EXPECT_EQ(FileBytes().substr(0, oldPart), before.substr(0, oldPart));
}

TEST_F(DiaryFileTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    UseTestData("diary_truncated.xml");
    const std::string unreadable[] = {
        FileBytes(),
        "<Diary>\n    <Entry><Summary>not ours</Summary></Entry>\n</Diary>\n",
        "<?xml version=\"1.0\"?>\n",
        // The library stops reading at a NUL byte; the diary behind it is still there.
        std::string(" ") + '\0' + "<HistoryDoc><Entry><Summary>kept</Summary></Entry></HistoryDoc>\n",
    };
    for (const std::string& content : unreadable) {
        SCOPED_TRACE(content);
        WriteFile(content);
        EXPECT_EQ(LoadHistory(doc, path.c_str()), HistoryLoadResult::Unreadable);
        EXPECT_TRUE(ReadHistoryEntries(doc).empty());
        EXPECT_EQ(Append({"d", "t", "s", "c"}), HistorySaveResult::Unreadable);
        EXPECT_EQ(FileBytes(), content);
    }
    // Something in the way that is not a file.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(Append({"d", "t", "s", "c"}), HistorySaveResult::Unreadable);
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(DiaryFileTest, AMissingEmptyOrEntrylessFileIsAnEmptyDiaryThatTheFirstSaveFills)
{
    const std::string oneEntry = "<HistoryDoc>\n"
                                 "    <Entry>\n"
                                 "        <Date>21.11.2015.</Date>\n"
                                 "        <Time>21:15</Time>\n"
                                 "        <Summary>Evening treatment</Summary>\n"
                                 "        <Content>Spot 3, twenty minutes.</Content>\n"
                                 "    </Entry>\n"
                                 "</HistoryDoc>\n";
    const struct {
        const char* content;  // nullptr: no file
        HistoryLoadResult load;
    } cases[] = {{nullptr, HistoryLoadResult::NoFile},
                 {"", HistoryLoadResult::NoFile},
                 {" \n\n", HistoryLoadResult::NoFile},
                 {"<HistoryDoc>\n</HistoryDoc>\n", HistoryLoadResult::Loaded}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "no file");
        fs::remove(path);
        if (c.content)
            WriteFile(c.content);
        EXPECT_EQ(LoadHistory(doc, path.c_str()), c.load);
        EXPECT_TRUE(ReadHistoryEntries(doc).empty());
        ASSERT_EQ(Append({"21.11.2015.", "21:15", "Evening treatment", "Spot 3, twenty minutes."}),
                  HistorySaveResult::Saved);
        EXPECT_EQ(FileBytes(), oneEntry);
    }
}

// Diaries the library reads but prints differently: the stray end tag is
// dropped, a NUL reference cuts its text, a carriage return comes back as a
// line feed. The first save keeps the old file as it is and starts a new one
// with everything that could be read; later saves are ordinary appends.
TEST_F(DiaryFileTest, ADiaryThatCannotBeWrittenBackIsKeptAsideAndStartedAnew)
{
    const char* const corpus[] = {"stray_end_tag_after_the_root", "nul_reference",
                                  "carriage_return_reference"};
    for (const char* name : corpus) {
        SCOPED_TRACE(name);
        fs::remove_all(folder.path);
        fs::create_directory(folder.path);
        fs::copy_file(fs::path(VITREL_SOURCE_DIR) / "tests/fuzz/corpus/diary" / name, path);
        const std::string original = FileBytes();
        std::vector<DiaryEntry> expected;
        for (const DiaryEntry& entry : Reload())
            expected.push_back({LineFeeds(entry.Date), LineFeeds(entry.Time), LineFeeds(entry.Summary),
                                LineFeeds(entry.Content)});

        std::string keptAs;
        ASSERT_EQ(AppendHistoryEntry(doc, path.c_str(), {"d", "t", "s", "c"}, &keptAs),
                  HistorySaveResult::StartedAnew);
        const std::string keptName = fs::path(keptAs).filename().string();
        EXPECT_EQ(fs::path(keptAs).parent_path(), folder.path);
        EXPECT_EQ(keptName.rfind("DiaryHistoryDB.unreadable-", 0), 0u) << keptName;
        EXPECT_EQ(ReadWholeFile(keptAs), original);
        expected.push_back({"d", "t", "s", "c"});
        EXPECT_EQ(Reload(), expected);

        EXPECT_EQ(Append({"d2", "t2", "s2", "c2"}), HistorySaveResult::Saved);
        EXPECT_EQ(Reload().size(), expected.size() + 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 2);
    }
}

// When the new entry itself is what cannot be written, the old diary is not
// moved and nothing changes.
TEST_F(DiaryFileTest, AnEntryThatWouldNotReadBackLeavesTheDiaryAlone)
{
    UseTestData("diary_three_entries.xml");
    const std::string before = FileBytes();
    EXPECT_EQ(Append({"d", "t", std::string("cut\0here", 8), "c"}), HistorySaveResult::NotWritten);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);
}

#ifndef _WIN32
// The old diary was set aside, then the new one could not be written (the
// file size limit stops even root): the old one is back under its name.
TEST_F(DiaryFileTest, ANewDiaryThatCannotBeWrittenPutsTheOldOneBack)
{
    fs::copy_file(fs::path(VITREL_SOURCE_DIR) / "tests/fuzz/corpus/diary/nul_reference", path);
    const std::string original = FileBytes();
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit tiny = {1, limit.rlim_max};
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    const HistorySaveResult result = Append({"d", "t", "s", "c"});
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, handler);
    EXPECT_EQ(result, HistorySaveResult::NotWritten);
    EXPECT_EQ(FileBytes(), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);
}

TEST_F(DiaryFileTest, ASaveThroughALinkReplacesItsTargetAndKeepsTheLink)
{
    fs::create_directory(folder.PathOf("real"));
    fs::copy_file(fs::path(VITREL_TEST_DATA) / "diary_three_entries.xml", folder.PathOf("real/diary.xml"));
    fs::create_symlink("real/diary.xml", path);
    ASSERT_EQ(Append({"d", "t", "through the link", "c"}), HistorySaveResult::Saved);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(fs::read_symlink(path), "real/diary.xml");
    const std::vector<DiaryEntry> entries = Reload();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].Summary, "through the link");
    // No temporary or lock file is left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.PathOf("real")), fs::directory_iterator()), 1);
}

// Two copies of the program saving at the same moment: each append reads the
// file under the lock, so none is lost.
TEST_F(DiaryFileTest, TwoProcessesAppendingAtOnceLoseNoEntry)
{
    constexpr int PerProcess = 200;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            close(start[1]);
            char go;
            if (read(start[0], &go, 1) < 0)
                _exit(2);
            tinyxml2::XMLDocument own(true, tinyxml2::PRESERVE_WHITESPACE);
            int lost = 0;
            for (int i = 0; i < PerProcess; ++i) {
                const DiaryEntry entry {"d", "t", std::to_string(w) + "/" + std::to_string(i), ""};
                lost += AppendHistoryEntry(own, path.c_str(), entry) != HistorySaveResult::Saved;
            }
            _exit(lost == 0 ? 0 : 1);
        }
    }
    // Closing the pipe lets both go at once.
    close(start[0]);
    close(start[1]);
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const std::vector<DiaryEntry> entries = Reload();
    ASSERT_EQ(entries.size(), 2u * PerProcess);
    int next[2] = {0, 0};
    for (const DiaryEntry& entry : entries) {
        const int w = entry.Summary[0] - '0';
        ASSERT_TRUE(w == 0 || w == 1) << entry.Summary;
        EXPECT_EQ(entry.Summary, std::to_string(w) + "/" + std::to_string(next[w]++));
    }
}
#endif

TEST_F(DiaryFileTest, NewEntriesAreWrittenWithLineFeedsAndOldTextsStayAsTheyRead)
{
    WriteFile("<HistoryDoc><Entry><Summary>&#38;#0; &amp;#13; tab&#9;end</Summary></Entry></HistoryDoc>");
    ASSERT_EQ(Append({"d", "t", "s", "one\r\ntwo\rthree"}), HistorySaveResult::Saved);
    const std::vector<DiaryEntry> entries = Reload();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Summary, "&#0; &#13; tab\tend");
    EXPECT_EQ(entries[1].Content, "one\ntwo\nthree");
}

TEST_F(DiaryFileTest, AnEntryThatCannotBeWrittenIsReported)
{
    path = (folder.path / "gone" / "DiaryHistoryDB.xml").string();
    EXPECT_EQ(Append({"d", "t", "s", "c"}), HistorySaveResult::NotWritten);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
