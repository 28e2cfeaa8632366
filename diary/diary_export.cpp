#include "diary/diary_export.h"

#include <algorithm>
#include <charconv>

namespace {
// `format` with its first "%s" replaced by `value`.
std::string Fill(const std::string& format, const std::string& value)
{
    const std::string::size_type at = format.find("%s");
    return at == std::string::npos ? format : format.substr(0, at) + value + format.substr(at + 2);
}

// A number with a '.' point and no trailing zeros: "30", "12.5".
std::string PlainNumber(double value)
{
    char text[64];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    std::string number(text, result.ptr);
    if (number.find('.') != std::string::npos) {
        number.erase(number.find_last_not_of('0') + 1);
        if (number.back() == '.')
            number.pop_back();
    }
    return number;
}

// A field a spreadsheet would take for a formula gets a leading apostrophe,
// which spreadsheets show as text and do not run.
std::string CsvField(const std::string& text)
{
    const bool formula = !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos;
    const std::string field = formula ? '\'' + text : text;
    if (field.find_first_of("\",\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvRow(const std::string& a, const std::string& b, const std::string& c, const std::string& d)
{
    return CsvField(a) + ',' + CsvField(b) + ',' + CsvField(c) + ',' + CsvField(d) + "\r\n";
}

// The runs of digits in `text`, as numbers (at most six digits each).
std::vector<long> NumbersIn(const std::string& text)
{
    std::vector<long> numbers;
    for (std::string::size_type at = text.find_first_of("0123456789"); at != std::string::npos;) {
        const std::string::size_type end = std::min(text.find_first_not_of("0123456789", at), text.size());
        numbers.push_back(std::stol(text.substr(at, std::min<std::string::size_type>(end - at, 6))));
        at = text.find_first_of("0123456789", end);
    }
    return numbers;
}

// Text for HTML, markup characters escaped; line breaks become <br/> when
// `breaks` is set.
std::string Escaped(const std::string& text, bool breaks = false)
{
    std::string html;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        switch (text[i]) {
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            case '"':
                html += "&quot;";
                break;
            case '\'':
                html += "&#39;";
                break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    break;  // CR LF is one break
                [[fallthrough]];
            case '\n':
                html += breaks ? "<br/>" : " ";
                break;
            default:
                html += text[i];
        }
    }
    return html;
}
}  // namespace

DiaryDateReader::DiaryDateReader(const std::string& sample)
{
    const std::vector<long> numbers = NumbersIn(sample);
    for (int i = 0; i < static_cast<int>(numbers.size()); ++i) {
        if (numbers[i] == 3)
            dayAt = i;
        else if (numbers[i] == 2)
            monthAt = i;
        else if (numbers[i] == 1 || numbers[i] == 2001)
            yearAt = i;
    }
    if (numbers.size() != 3 || dayAt < 0 || monthAt < 0 || yearAt < 0)
        dayAt = monthAt = yearAt = -1;
}

bool DiaryDateReader::DayOf(const std::string& date, long& day) const
{
    const std::vector<long> numbers = NumbersIn(date);
    if (dayAt < 0 || numbers.size() != 3)
        return false;
    long year = numbers[yearAt];
    if (year < 100)
        year += year < 69 ? 2000 : 1900;
    const long month = numbers[monthAt];
    const long dayOfMonth = numbers[dayAt];
    if (month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > 31 || year > 9999)
        return false;
    day = year * 10000 + month * 100 + dayOfMonth;
    return true;
}

std::vector<DiaryEntry> EntriesBetween(const std::vector<DiaryEntry>& entries, long firstDay, long lastDay,
                                       const std::function<bool(const std::string& date, long& day)>& dayOf)
{
    std::vector<DiaryEntry> within;
    for (const DiaryEntry& entry : entries) {
        long day = 0;
        if (dayOf(entry.Date, day) && day >= firstDay && day <= lastDay)
            within.push_back(entry);
    }
    return within;
}

std::string DiaryCsv(const std::vector<DiaryEntry>& entries, const DiaryColumnTitles& titles)
{
    std::string csv = "\xEF\xBB\xBF" + CsvRow(titles.date, titles.time, titles.summary, titles.content);
    for (const DiaryEntry& entry : entries)
        csv += CsvRow(entry.Date, entry.Time, entry.Summary, entry.Content);
    return csv;
}

std::string DiaryHtml(const std::vector<DiaryEntry>& entries, const std::string& title,
                      const std::string& period, const std::string& language)
{
    std::string html = "<!DOCTYPE html>\n<html lang=\"" + Escaped(language)
                       + "\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>" + Escaped(title)
                       + "</title>\n</head>\n<body>\n<h1>" + Escaped(title) + "</h1>\n<p class=\"period\">"
                       + Escaped(period) + "</p>\n<hr/>\n";
    for (const DiaryEntry& entry : entries) {
        html += "<div class=\"entry\">\n<h3><span class=\"date\">" + Escaped(entry.Date, true)
                + "</span> <span class=\"time\">" + Escaped(entry.Time, true) + "</span></h3>\n";
        html += "<p class=\"summary\"><b>" + Escaped(entry.Summary, true) + "</b></p>\n";
        html += "<p class=\"content\">" + Escaped(entry.Content, true) + "</p>\n<hr/>\n</div>\n";
    }
    return html + "</body>\n</html>\n";
}

std::string SlotSquares(const std::vector<bool>& slots)
{
    std::string squares;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (i > 0 && i % 10 == 0)
            squares += ' ';
        squares += slots[i] ? "\xE2\x96\xA0" : "\xE2\x96\xA1";
    }
    return squares;
}

DiaryEntry ProgrammeNote(const WrittenProgramme& written, const ProgrammeNoteTexts& texts)
{
    DiaryEntry note;
    note.Date = written.date;
    note.Time = written.time;
    note.Summary =
        written.treatment.empty() ? texts.summaryCustom : Fill(texts.summaryTreatment, written.treatment);
    note.Content = Fill(texts.slotFrequency, PlainNumber(written.slotFrequency)) + '\n'
                   + Fill(texts.slotCount, std::to_string(written.slots.size())) + '\n'
                   + Fill(texts.pattern, SlotSquares(written.slots)) + '\n';
    if (!written.bodySpot.empty())
        note.Content += Fill(texts.bodySpot, written.bodySpot) + '\n';
    note.Content += Fill(texts.port, written.port);
    if (written.late)
        note.Content += '\n' + texts.late;
    return note;
}
