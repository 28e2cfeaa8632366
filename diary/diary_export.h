#pragma once
// The diary as a record for someone else: the entries of a period, written
// as a spreadsheet file (CSV) or as a page to read and print (HTML), and the
// entry that notes a programme written to the stick. Plain text work: dates,
// times and every word shown come in already formatted in the user's
// language; numbers are written here, always with a '.' point.

#include <functional>
#include <string>
#include <vector>

#include "diary/diary_file.h"

// The entries whose day lies from firstDay to lastDay, both included, in
// their order. dayOf gives the day of an entry's Date text as a number that
// orders days, or false when the text is no date it can read: such an entry
// lies in no period and is left out.
std::vector<DiaryEntry> EntriesBetween(const std::vector<DiaryEntry>& entries, long firstDay, long lastDay,
                                       const std::function<bool(const std::string& date, long& day)>& dayOf);

// Reads the dates the diary's page writes: the desktop's short date format,
// whose order of day, month and year it learns from that format's text of
// 3 February 2001 ("03.02.2001", "02/03/01", "2001-02-03").
class DiaryDateReader {
public:
    explicit DiaryDateReader(const std::string& sample);

    // The day of `date`, when it holds three numbers that make a date in
    // that order (a two-digit year is 1969 to 2068), as a number that orders
    // days (year * 10000 + month * 100 + day); false otherwise.
    bool DayOf(const std::string& date, long& day) const;

private:
    int dayAt = -1, monthAt = -1, yearAt = -1;  // positions among the numbers; -1: not learnt
};

// The four column titles of a CSV export, in the user's language.
struct DiaryColumnTitles {
    std::string date = "Date";
    std::string time = "Time";
    std::string summary = "Summary";
    std::string content = "Content";
};

// A CSV file after RFC 4180: UTF-8 with a byte-order mark (spreadsheet
// programs on Windows read the accents right only with it), a title row, one
// row per entry, CR LF after every row. A field holding a quote, a comma or a
// line break is quoted, its quotes doubled; line breaks inside a field stay
// as they are. A field beginning with '=', '+', '-', '@', a tab or a carriage
// return is written with a leading apostrophe, so that a spreadsheet shows it
// as text instead of running it as a formula.
std::string DiaryCsv(const std::vector<DiaryEntry>& entries, const DiaryColumnTitles& titles);

// A self-contained HTML page (no style sheet, no pictures; also well-formed
// XML) that the toolkit's HTML printing shows as a browser does: a heading
// with `title`, the `period` line under it, and one block per entry with its
// date and time, its summary and its content, line breaks kept. `language`
// is the page's language code ("en", "de").
std::string DiaryHtml(const std::vector<DiaryEntry>& entries, const std::string& title,
                      const std::string& period, const std::string& language);

// The texts of a programme note in the user's language. Each line but
// summaryCustom holds one "%s" for its value.
struct ProgrammeNoteTexts {
    std::string summaryTreatment = "Programme written: %s";
    std::string summaryCustom = "Programme written: custom pattern";
    std::string slotFrequency = "Slot frequency: %s Hz";
    std::string slotCount = "Number of slots: %s";
    std::string pattern = "Pattern: %s";
    std::string bodySpot = "Body spot: %s";
    std::string port = "Port: %s";
    std::string late = "The stick confirmed it late, after the check had ended.";
};

// What was written to the stick and confirmed by reading it back.
struct WrittenProgramme {
    std::string date;  // of the check, as the diary writes dates
    std::string time;
    std::string treatment;  // the treatment's title; empty: a custom pattern
    double slotFrequency = 0.0;  // Hz
    std::vector<bool> slots;  // on or off, in order
    std::string bodySpot;  // the spot chosen on the Treatments page; empty: none
    std::string port;  // "COM3"
    bool late = false;  // confirmed by a reply after the check's deadline
};

// The slots as squares: "■" on, "□" off ("■■■□□□□□□□"), in groups of ten
// with a space between, so that they can be counted and a long pattern wraps.
std::string SlotSquares(const std::vector<bool>& slots);

// The diary entry that notes `written`: the summary names the treatment, or a
// custom pattern; the content has one line each for the slot frequency, the
// number of slots, the pattern, the body spot (when there is one) and the port,
// and a last one when the stick confirmed it late.
DiaryEntry ProgrammeNote(const WrittenProgramme& written, const ProgrammeNoteTexts& texts = {});
