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
using Row = std::vector<std::string>;

// Entries a careless export breaks: accents, quotes, commas, markup, line
// breaks, an empty summary, formula signs (disarmed by an apostrophe in a CSV
// cell) in every field; and dates in no format the filter below reads.
const std::vector<DiaryEntry> Tricky = {
    {"01.03.2026", "08:15", "Morgens \"Rücken\", Stufe 2", "Spot 3, zwanzig Minuten.\nDanach: gut & <ruhig>"},
    {"21.11.2015.", "21:40", "", "a\n\nb \xE2\x80\x93 'zitiert'"},
    {"03.03.2026", "07:00", "plain", ""},
    {"=A\"1\" & <b>", "=A\"1\" & <b>", "=A\"1\" & <b>", "=A\"1\" & <b>"},
    {"-1,\n2", "-1,\n2", "-1,\n2", "-1,\n2"},
};

// RFC 4180: commas between fields, CR LF after rows, quoted fields holding
// anything with their quotes doubled.
std::vector<Row> ReadCsv(const std::string& text)
{
    std::vector<Row> rows(1, Row(1));
    bool quoted = false;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (quoted && text.compare(i, 2, "\"\"") == 0)
            rows.back().back() += text[i++];
        else if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text[i] == ',')
            rows.back().emplace_back();
        else if (!quoted && text.compare(i, 2, "\r\n") == 0)
            rows.emplace_back(1), ++i;
        else
            rows.back().back() += text[i];
    }
    rows.pop_back();  // after the last CR LF
    return rows;
}

// The text of an element, <br/> read as a line break.
std::string TextOf(const tinyxml2::XMLElement* element)
{
    std::string text;
    for (const tinyxml2::XMLNode* node = element->FirstChild(); node; node = node->NextSibling())
        if (node->ToText())
            text += node->Value();
        else
            text += std::string(node->Value()) == "br" ? "\n" : TextOf(node->ToElement());
    return text;
}
}  // namespace

TEST(DiaryExport, CsvAndHtmlFilesReadBackEntryByEntry)
{
    TempFolder folder;
    const std::string csvPath = folder.PathOf("diary.csv"), htmlPath = folder.PathOf("diary.html");
    ASSERT_TRUE(
        SaveTextAtomically(DiaryCsv(Tricky, {"Datum", "Zeit", "Übersicht", "Inhalt"}), csvPath.c_str()));
    ASSERT_TRUE(
        SaveTextAtomically(DiaryHtml(Tricky, "Tagebuch <1>", "Alle Einträge", "de"), htmlPath.c_str()));

    const std::string csv = ReadWholeFile(csvPath);
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF") << "byte-order mark";
    const std::vector<Row> rows = ReadCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), Tricky.size() + 1);

    tinyxml2::XMLDocument html(true, tinyxml2::PRESERVE_WHITESPACE);
    ASSERT_EQ(html.LoadFile(htmlPath.c_str()), tinyxml2::XML_SUCCESS) << html.ErrorStr();
    const tinyxml2::XMLElement* body = html.RootElement()->FirstChildElement("body");
    EXPECT_EQ(TextOf(html.RootElement()->FirstChildElement("head")->FirstChildElement("title")),
              "Tagebuch <1>");
    EXPECT_EQ(TextOf(body->FirstChildElement("p")), "Alle Einträge");
    const auto cell = [](std::string f) { return f[0] == '=' || f[0] == '-' ? "'" + f : f; };
    const tinyxml2::XMLElement* block = body->FirstChildElement("div");
    for (std::size_t i = 0; i < Tricky.size(); ++i, block = block->NextSiblingElement("div")) {
        const DiaryEntry& entry = Tricky[i];
        EXPECT_EQ(rows[i + 1],
                  (Row {cell(entry.Date), cell(entry.Time), cell(entry.Summary), cell(entry.Content)}));
        ASSERT_NE(block, nullptr);
        const tinyxml2::XMLElement* heading = block->FirstChildElement("h3");
        EXPECT_EQ((Row {TextOf(heading->FirstChildElement("span")), TextOf(heading->LastChildElement("span")),
                        TextOf(block->FirstChildElement("p")), TextOf(block->LastChildElement("p"))}),
                  (Row {entry.Date, entry.Time, entry.Summary, entry.Content}));
    }
    EXPECT_EQ(block, nullptr);
}

TEST(DiaryExport, APeriodHoldsTheEntriesOfItsDaysAndNoUnreadableDate)
{
    // "dd.mm.2026" as a number that orders days; anything else unreadable.
    const auto dayOf = [](const std::string& date, long& day) {
        day = date.size() == 10 ? std::stol(date.substr(3, 2)) * 100 + std::stol(date.substr(0, 2)) : 0;
        return date.size() == 10;
    };
    const auto summaries = [&](long from, long to) {
        Row found;
        for (const DiaryEntry& entry : EntriesBetween(Tricky, from, to, dayOf))
            found.push_back(entry.Summary);
        return found;
    };
    EXPECT_EQ(summaries(301, 303), (Row {Tricky[0].Summary, "plain"}));
    EXPECT_EQ(summaries(303, 303), Row {"plain"});
    EXPECT_EQ(summaries(1111, 1131), Row {});
}

TEST(DiaryExport, DatesAreReadInTheOrderOfTheDesktopsFormat)
{
    const struct {
        const char* sample;  // 3 February 2001
        const char* date;
        long day;  // 0: not read
    } cases[] = {{"03.02.2001", "21.11.2015.", 20151121}, {"02/03/01", "12/07/26", 20261207},
                 {"2001-02-03", "1999-12-31", 19991231},  {"02/03/01", "21.11.2015.", 0},
                 {"3 Feb 2001", "21.11.2015.", 0},        {"03.02.2001", "7.12.", 0}};
    for (const auto& c : cases) {
        long day = 0;
        EXPECT_EQ(DiaryDateReader(c.sample).DayOf(c.date, day) ? day : 0, c.day) << c.sample << " " << c.date;
    }
}

TEST(DiaryExport, AProgrammeNoteNamesWhatWasWrittenWithPointedNumbers)
{
    WrittenProgramme written {"07.12.2026", "20:45", "Rücken", 12.5, {true, true, false}, "", "COM3"};
    EXPECT_EQ(ProgrammeNote(written), (DiaryEntry {"07.12.2026", "20:45", "Programme written: Rücken",
                                                   "Slot frequency: 12.5 Hz\nNumber of slots: 3\nPattern: "
                                                   "■■□\nPort: COM3"}));
    written = {"", "", "", 300, std::vector<bool>(21, false), "Spot 3", "COM1"};
    ProgrammeNoteTexts german;
    german.summaryCustom = "Programm geschrieben: eigenes Muster";
    german.slotFrequency = "Slotfrequenz: %s Hz";
    EXPECT_EQ(ProgrammeNote(written, german),
              (DiaryEntry {"", "", "Programm geschrieben: eigenes Muster",
                           "Slotfrequenz: 300 Hz\nNumber of slots: 21\nPattern: □□□□□□□□□□ □□□□□□□□□□ □\n"
                           "Body spot: Spot 3\nPort: COM1"}));
}
