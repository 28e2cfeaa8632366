// The frequency measurement table: any file gives a table of at most 100
// rows that keeps every plainly written row in order, maps that pass through
// their rows, and slot-timer frames without a 0xFF before their end.
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <utility>
#include <vector>

#include "fuzz_support.h"

namespace {

// "12.5,30" and the like: two plain decimal numbers, nothing else.
std::vector<std::pair<double, double>> PlainRows(const std::string& text)
{
    static const std::regex plain("([0-9]{1,9}(\\.[0-9]{1,9})?),([0-9]{1,9}(\\.[0-9]{1,9})?)\r?");
    std::vector<std::pair<double, double>> rows;
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, match, plain))
            rows.emplace_back(std::strtod(match[1].str().c_str(), nullptr),
                              std::strtod(match[3].str().c_str(), nullptr));
    }
    return rows;
}

// A column of measured frequencies as a table can hold them: rising, and far
// from where differences of two values overflow.
bool RisesWithinRange(const double* column, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!(std::fabs(column[i]) <= 1e12) || (i > 0 && !(column[i] > column[i - 1])))
            return false;
    }
    return true;
}

bool Near(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::fmax(1.0, std::fabs(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string path = ScratchPath("VitrelFrequencyMeasurement.csv");
    WriteBytes(path, data, size);
    static DeviceLink link;
    FrequencyCalibration& table = link.calibration;
    table.Load(path.c_str());
    FUZZ_CHECK(table.count >= 0 && table.count <= MaxCalibrationRows);

    // Plain rows are never lost to a bad row beside them.
    if (table.count < MaxCalibrationRows) {
        const auto plain = PlainRows(std::string(reinterpret_cast<const char*>(data), size));
        int row = 0;
        for (const auto& expected : plain) {
            while (row < table.count
                   && !(table.userHz[row] == expected.first && table.deviceHz[row] == expected.second))
                ++row;
            FUZZ_CHECK(row < table.count);
            ++row;
        }
    }

    // The maps pass through the measured rows when both columns rise.
    const int n = table.count;
    const bool userRises = n >= 2 && RisesWithinRange(table.userHz, n);
    const bool deviceRises = n >= 2 && RisesWithinRange(table.deviceHz, n);
    for (int i = 0; i < n; ++i) {
        if (userRises && deviceRises) {
            FUZZ_CHECK(Near(table.ToDevice(table.userHz[i]), table.deviceHz[i]));
            FUZZ_CHECK(Near(table.FromDevice(table.deviceHz[i]), table.userHz[i]));
        }
    }

    // Whatever the table, a frame for the stick never holds an early 0xFF.
    const double probes[] = {0.01, 0.5, 1.0, 10.0, 55.5, 100.0, 299.0, 300.0, 1000.0};
    for (double hz : probes)
        CheckSlotTimerEncoding(link, hz, 0.0);
    for (int i = 0; i < n; ++i) {
        CheckSlotTimerEncoding(link, table.userHz[i], 0.0);
        if (i > 0)
            CheckSlotTimerEncoding(link, (table.userHz[i - 1] + table.userHz[i]) / 2.0, 0.0);
    }
    for (int lo = 0; lo < 256; lo += 51)
        for (int sel = 0; sel < 9; ++sel)
            link.DecodeSlotFrequency(static_cast<unsigned char>(lo), static_cast<unsigned char>(255 - lo),
                                     static_cast<unsigned char>(sel));
    return 0;
}
