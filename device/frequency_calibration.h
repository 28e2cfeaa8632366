#pragma once
// The frequency measurement table: measured pairs of (the slot frequency the
// user asks for, the value the slot timer must be given to produce it), read
// from "VitrelFrequencyMeasurement.csv" and applied piecewise-linearly.

constexpr int MaxCalibrationRows = 100;

struct FrequencyCalibration {
    double userHz[MaxCalibrationRows] = {};  // first column
    double deviceHz[MaxCalibrationRows] = {};  // second column
    int count = 0;  // rows read

    // Reads the table from `path`. One row per line: two numbers separated by
    // the line's first comma, '.' as decimal point whatever the locale; a line
    // without a comma gives its number for both columns. Lines beyond
    // MaxCalibrationRows are ignored; a missing file leaves the table empty.
    void Load(const char* path);

    // User-side frequency to device side, and back. With fewer than two rows
    // both return their argument unchanged.
    double ToDevice(double x) const;
    double FromDevice(double y) const;
};
