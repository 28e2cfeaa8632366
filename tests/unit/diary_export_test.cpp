// The diary's exports read back entry by entry, the period filter and the
// programme note.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "diary/diary_export.h"
#include "files/atomic_file.h"
#include "temp_folder.h"

namespace {

// Entries a careless export would break: accents, quotes, commas, markup,
// line breaks of both kinds, an empty summary.
const std::vector<DiaryEntry> Tricky = {
    {"01.03.2026", "08:15", "Morgens \"Rücken\", Stufe 2", "Spot 3, zwanzig Minuten.\nDanach: gut & <ruhig>"},
    {"02.03.2026", "21:40", "", "a\r\n\nb \xE2\x80\x93 'zitiert'"},
    {"03.03.2026", "07:00", "plain", ""},
};

// RFC 4180: fields separated by commas, rows by CR LF, quoted fields may hold
// anything with their quotes doubled.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            rows.back().back() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            rows.back().emplace_back();
        else if (!quoted && c == '\r' && text.compare(i, 2, "\r\n") == 0 && ++i)
            rows.emplace_back(1);
        else
            rows.back().back() += c;
    }
    rows.pop_back();  // after the last CR LF
    return rows;
}

// The text of an element, a <br/> read as a line break.
std::string TextOf(const tinyxml2::XMLElement* element)
{
    std::string text;
    for (const tinyxml2::XMLNode* node = element->FirstChild(); node; node = node->NextSibling())
        if (node->ToText())
            text += node->Value();
        else if (node->ToElement())
            text += std::string(node->Value()) == "br" ? "\n" : TextOf(node->ToElement());
    return text;
}

// Line breaks as HTML shows them: CR LF and CR as one break.
std::string OneBreakEach(std::string text)
{
    for (std::string::size_type at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

}  // namespace

TEST(DiaryExport, CsvAndHtmlFilesReadBackEntryByEntry)
{
    TempFolder folder;
    const std::string csvPath = folder.PathOf("diary.csv");
    const std::string htmlPath = folder.PathOf("diary.html");
    ASSERT_TRUE(
        SaveTextAtomically(DiaryCsv(Tricky, {"Datum", "Zeit", "Übersicht", "Inhalt"}), csvPath.c_str()));
    ASSERT_TRUE(
        SaveTextAtomically(DiaryHtml(Tricky, "Tagebuch <Vitrel>", "Alle Einträge", "de"), htmlPath.c_str()));

    const std::string csv = ReadWholeFile(csvPath);
    ASSERT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0) << "byte-order mark";
    const auto rows = ReadCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), Tricky.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string> {"Datum", "Zeit", "Übersicht", "Inhalt"}));

    tinyxml2::XMLDocument html(true, tinyxml2::PRESERVE_WHITESPACE);
    ASSERT_EQ(html.LoadFile(htmlPath.c_str()), tinyxml2::XML_SUCCESS) << html.ErrorStr();
    const tinyxml2::XMLElement* body = html.RootElement()->FirstChildElement("body");
    EXPECT_EQ(TextOf(html.RootElement()->FirstChildElement("head")->FirstChildElement("title")),
              "Tagebuch <Vitrel>");
    EXPECT_EQ(TextOf(body->FirstChildElement("p")), "Alle Einträge");
    const tinyxml2::XMLElement* block = body->FirstChildElement("div");

    for (std::size_t i = 0; i < Tricky.size(); ++i, block = block->NextSiblingElement("div")) {
        SCOPED_TRACE(i);
        const DiaryEntry& entry = Tricky[i];
        EXPECT_EQ(rows[i + 1],
                  (std::vector<std::string> {entry.Date, entry.Time, entry.Summary, entry.Content}));
        ASSERT_NE(block, nullptr);
        const tinyxml2::XMLElement* heading = block->FirstChildElement("h3");
        EXPECT_EQ(TextOf(heading->FirstChildElement("span")), entry.Date);
        EXPECT_EQ(TextOf(heading->LastChildElement("span")), entry.Time);
        EXPECT_EQ(TextOf(block->FirstChildElement("p")), entry.Summary);
        EXPECT_EQ(TextOf(block->LastChildElement("p")), OneBreakEach(entry.Content));
    }
    EXPECT_EQ(block, nullptr);
}

TEST(DiaryExport, APeriodHoldsTheEntriesOfItsDaysAndNoUnreadableDate)
{
    // Day numbers from "dd.mm.2026": enough for a filter that only compares.
    const auto dayOf = [](const std::string& date, long& day) {
        if (date.size() != 10 || date[2] != '.')
            return false;
        day = std::stol(date.substr(3, 2)) * 31 + std::stol(date.substr(0, 2));
        return true;
    };
    std::vector<DiaryEntry> entries = Tricky;
    entries.insert(entries.begin() + 1, DiaryEntry {"21.11.2015.", "21:15", "other format", ""});
    const long first = 3 * 31 + 2;
    const auto summaries = [&](long from, long to) {
        std::vector<std::string> found;
        for (const DiaryEntry& entry : EntriesBetween(entries, from, to, dayOf))
            found.push_back(entry.Summary);
        return found;
    };
    EXPECT_EQ(summaries(first, first), std::vector<std::string> {""});
    EXPECT_EQ(summaries(first - 1, first + 1), (std::vector<std::string> {Tricky[0].Summary, "", "plain"}));
    EXPECT_TRUE(summaries(first + 2, first + 40).empty());
}

TEST(DiaryExport, AProgrammeNoteNamesWhatWasWrittenWithPointedNumbers)
{
    WrittenProgramme written {"07.12.2026", "20:45", "Rücken", 12.5, {true, true, true, false, false},
                              "",           "COM3"};
    DiaryEntry note = ProgrammeNote(written);
    EXPECT_EQ(note, (DiaryEntry {"07.12.2026", "20:45", "Programme written: Rücken",
                                 "Slot frequency: 12.5 Hz\nNumber of slots: 5\nPattern: ■■■□□\nPort: COM3"}));

    EXPECT_EQ(SlotSquares(std::vector<bool>(21, false)), "□□□□□□□□□□ □□□□□□□□□□ □");

    written.treatment.clear();
    written.slotFrequency = 300;
    written.bodySpot = "Spot 3";
    ProgrammeNoteTexts german;
    german.summaryCustom = "Programm geschrieben: eigenes Muster";
    german.slotFrequency = "Slotfrequenz: %s Hz";
    note = ProgrammeNote(written, german);
    EXPECT_EQ(note.Summary, "Programm geschrieben: eigenes Muster");
    EXPECT_EQ(note.Content,
              "Slotfrequenz: 300 Hz\nNumber of slots: 5\nPattern: ■■■□□\nBody spot: Spot 3\nPort: COM3");
}
