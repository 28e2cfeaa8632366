// The battery level shown in the gauge: a running mean of the levels derived
// from the stick's status replies (00 0B r1 r2 FF, voltage = 2.5 * r1 / r2).
#ifndef VITREL_DEVICE_BATTERY_LEVEL_H
#define VITREL_DEVICE_BATTERY_LEVEL_H

constexpr int kBatterySampleCount = 50;

struct BatteryLevelEstimator {
  float reading1 = 1.0f;          // first reading of the last status reply
  float reading2 = 0.0f;          // second reading of the last status reply
  float referenceVolts = 2.5f;    // scale of the readings
  float emptyVolts = 3.3f;        // shown as 0 %
  float fullVolts = 4.1f;         // shown as 100 %
  float samples[kBatterySampleCount] = {};  // ring of the last levels, in %
  int window = kBatterySampleCount;         // ring entries averaged
  int next = 0;                             // ring position of the next sample

  // Stores the readings and adds their level (0 to 100) to the ring.
  void AddReading(float r1, float r2);
  // Mean of the `window` ring entries; entries not yet written count as 0,
  // so the gauge climbs over the first replies.
  float Average() const;
};

#endif
