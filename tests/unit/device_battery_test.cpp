#include <gtest/gtest.h>

#include "device/battery_level.h"

namespace {

TEST(BatteryLevel, LevelFromReadings) {
  struct Case {
    float r1, r2, level;
  } cases[] = {
      {150, 100, 56.25f},  // 3.75 V
      {170, 100, 100},     // 4.25 V, above full
      {164, 100, 100},     // 4.1 V exactly
      {132, 100, 0},       // 3.3 V exactly
      {100, 100, 0},       // 2.5 V, below empty
      {5, 0, 100},         // r2 = 0 reads as full
      {0, 5, 0},           // r1 = 0 reads as empty
      {0, 0, 100},
  };
  for (const Case& c : cases) {
    BatteryLevelEstimator battery;
    battery.AddReading(c.r1, c.r2);
    EXPECT_NEAR(battery.samples[0], c.level, 1e-3) << c.r1 << "/" << c.r2;
    EXPECT_EQ(battery.reading1, c.r1);
    EXPECT_EQ(battery.reading2, c.r2);
  }
}

TEST(BatteryLevel, AverageClimbsOverTheRingAndWraps) {
  BatteryLevelEstimator battery;
  EXPECT_EQ(battery.Average(), 0.0f);
  battery.AddReading(150, 100);
  EXPECT_NEAR(battery.Average(), 56.25f / 50, 1e-4);
  for (int i = 1; i < 50; ++i) battery.AddReading(150, 100);
  EXPECT_EQ(static_cast<int>(battery.Average()), 56);
  EXPECT_EQ(battery.next, 0);
  for (int i = 0; i < 25; ++i) battery.AddReading(170, 100);
  EXPECT_NEAR(battery.Average(), (25 * 56.25f + 25 * 100.0f) / 50, 1e-3);
  for (int i = 0; i < 25; ++i) battery.AddReading(170, 100);
  EXPECT_EQ(static_cast<int>(battery.Average()), 100);
}

}  // namespace
