// The frequency measurement table: measured pairs of (the slot frequency the
// user asks for, the value the slot timer must be given to produce it), read
// from "VitrelFrequencyMeasurement.csv" and applied piecewise-linearly.
#ifndef VITREL_DEVICE_FREQUENCY_CALIBRATION_H
#define VITREL_DEVICE_FREQUENCY_CALIBRATION_H

constexpr int kMaxCalibrationRows = 100;

struct FrequencyCalibration {
  double userHz[kMaxCalibrationRows] = {};    // first column
  double deviceHz[kMaxCalibrationRows] = {};  // second column
  int count = 0;                              // rows read

  // Reads the table from `path`. One row per line: two numbers separated by
  // the line's first comma, '.' as decimal point whatever the locale; a line
  // without a comma gives its number for both columns. Lines beyond
  // kMaxCalibrationRows are ignored; a missing file leaves the table empty.
  void Load(const char* path);

  // User-side frequency to device side, and back. With fewer than two rows
  // both return their argument unchanged.
  double ToDevice(double x) const;
  double FromDevice(double y) const;
};

#endif
