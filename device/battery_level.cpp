#include "device/battery_level.h"

void BatteryLevelEstimator::AddReading(float r1, float r2) {
  reading1 = r1;
  reading2 = r2;
  // The thresholds are compared on the ratio r2 / r1 (multiplied out, so
  // nothing divides by zero): a zero r2 reads as full, a zero r1 as empty,
  // and both zero as full.
  float level;
  if (r2 * fullVolts <= referenceVolts * r1) {
    level = 100.0f;
  } else if (r2 * emptyVolts >= referenceVolts * r1) {
    level = 0.0f;
  } else {
    float volts = referenceVolts * r1 / r2;
    level = (volts - emptyVolts) / (fullVolts - emptyVolts) * 100.0f;
  }
  if (next < 0 || next >= kBatterySampleCount) next = 0;
  samples[next] = level;
  next = (next + 1) % kBatterySampleCount;
}

float BatteryLevelEstimator::Average() const {
  int count = window < kBatterySampleCount ? window : kBatterySampleCount;
  if (count <= 0) return 0.0f;
  float sum = 0.0f;
  for (int i = 0; i < count; ++i) sum += samples[i];
  return sum / static_cast<float>(count);
}
