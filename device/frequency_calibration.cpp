#include "device/frequency_calibration.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "files/data_file.h"

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a number as strtod does in the C locale: leading white space is
// skipped, the number ends at the first character that cannot continue it,
// and text without a number gives 0. from_chars never consults the locale, so
// a user's decimal comma cannot turn "1.5" into 1.
double ReadNumber(const char* text, const char* end)
{
    while (text < end && IsSpace(*text))
        ++text;
    if (text < end && *text == '+') {
        ++text;
        if (text < end && *text == '-')
            return 0.0;
    }
    double value = 0.0;
    if (std::from_chars(text, end, value).ec != std::errc())
        return 0.0;
    return value;
}

// The piecewise-linear map through the rows (from[i], to[i]): a straight line
// through zero below the first row, the first segment that holds v, else the
// last segment extended.
double Interpolate(double v, const double* from, const double* to, int count)
{
    if (count < 2)
        return v;
    if (v < from[0])
        return from[0] != 0.0 ? v * to[0] / from[0] : to[0];
    int i = 0;
    if (count > 2) {
        i = count - 2;
        for (int j = 0; j <= count - 3; ++j) {
            if (from[j] <= v && v < from[j + 1]) {
                i = j;
                break;
            }
        }
    }
    double span = from[i + 1] - from[i];
    // Two equal measurements in the searched column: the segment has no slope,
    // and its far end is the better answer.
    if (span == 0.0)
        return to[i + 1];
    return to[i] + (to[i + 1] - to[i]) / span * (v - from[i]);
}

}  // namespace

void FrequencyCalibration::Load(const char* path)
{
    count = 0;
    // Only a regular file: a FIFO by that name would hold up the start.
    std::FILE* file = nullptr;
    if (OpenDataFile(path, file) != DataFileOpen::Opened)
        return;
    char line[256];
    int c = 0;
    while (count < MaxCalibrationRows && c != EOF) {
        // A whole line, of which the first bytes are kept: a line longer than the
        // buffer has its numbers at the front. A NUL byte makes the row unusable.
        std::size_t length = 0;
        bool holdsNul = false;
        while ((c = std::fgetc(file)) != EOF && c != '\n') {
            holdsNul = holdsNul || c == '\0';
            if (length < sizeof line - 1)
                line[length++] = static_cast<char>(c);
        }
        if (holdsNul || (c == EOF && length == 0))
            continue;
        line[length] = '\0';
        if (length > 0 && line[length - 1] == '\r')
            line[--length] = '\0';
        const char* end = line + length;
        const char* comma = static_cast<const char*>(std::memchr(line, ',', length));
        userHz[count] = ReadNumber(line, comma != nullptr ? comma : end);
        deviceHz[count] = comma != nullptr ? ReadNumber(comma + 1, end) : userHz[count];
        ++count;
    }
    std::fclose(file);
}

double FrequencyCalibration::ToDevice(double x) const
{
    return Interpolate(x, userHz, deviceHz, count);
}

double FrequencyCalibration::FromDevice(double y) const
{
    return Interpolate(y, deviceHz, userHz, count);
}
