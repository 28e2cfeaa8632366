#include <vector>

#include <gtest/gtest.h>

#include "device/battery_level.h"

namespace {

TEST(BatteryLevel, LevelFromReadings)
{
    struct Case {
        float r1, r2, level;
    } cases[] = {
        {150, 100, 56.25f},  // 3.75 V
        {170, 100, 100},  // 4.25 V, above full
        {164, 100, 100},  // 4.1 V exactly
        {132, 100, 0},  // 3.3 V exactly
        {100, 100, 0},  // 2.5 V, below empty
        {5, 0, 100},  // r2 = 0 reads as full
        {0, 5, 0},  // r1 = 0 reads as empty
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

TEST(BatteryLevel, AverageClimbsOverTheRingAndWraps)
{
    BatteryLevelEstimator battery;
    EXPECT_EQ(battery.Average(), 0.0f);
    battery.AddReading(150, 100);
    EXPECT_NEAR(battery.Average(), 56.25f / 50, 1e-4);
    for (int i = 1; i < 50; ++i)
        battery.AddReading(150, 100);
    EXPECT_EQ(static_cast<int>(battery.Average()), 56);
    EXPECT_EQ(battery.next, 0);
    for (int i = 0; i < 25; ++i)
        battery.AddReading(170, 100);
    EXPECT_NEAR(battery.Average(), (25 * 56.25f + 25 * 100.0f) / 50, 1e-3);
    for (int i = 0; i < 25; ++i)
        battery.AddReading(170, 100);
    EXPECT_EQ(static_cast<int>(battery.Average()), 100);
}

// The level in figures and the warning count only the readings since the
// attach: the ring does not start them from an empty battery, and readings
// of the stick attached before do not linger in them.
TEST(BatteryLevel, FreshAverageCountsOnlyTheReadingsSinceTheAttach)
{
    BatteryLevelEstimator battery;
    float level = -1.0f;
    EXPECT_FALSE(battery.FreshAverage(level));
    battery.AddReading(150, 100);
    ASSERT_TRUE(battery.FreshAverage(level));
    EXPECT_NEAR(level, 56.25f, 1e-3);
    for (int i = 0; i < 60; ++i)
        battery.AddReading(170, 100);
    battery.StartAfresh();
    EXPECT_FALSE(battery.FreshAverage(level));
    battery.AddReading(150, 100);
    battery.AddReading(100, 100);
    ASSERT_TRUE(battery.FreshAverage(level));
    EXPECT_NEAR(level, 56.25f / 2, 1e-3);
    EXPECT_NEAR(battery.Average(), (48 * 100.0f + 56.25f) / 50, 1e-3);  // the gauge keeps the ring
    for (int i = 0; i < 50; ++i)
        battery.AddReading(150, 100);
    ASSERT_TRUE(battery.FreshAverage(level));
    EXPECT_NEAR(level, 56.25f, 1e-3);  // the last 50 at most
}

TEST(LowBatteryWatch, WarnsOnceAfterTheLevelStaysLowForTheHoldTime)
{
    const long long hold = LowBatteryWatch::HoldMilliseconds;
    struct Step {
        float level;
        long long at;
        bool warns;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"low throughout",
         {{10, 0, false}, {10, hold - 1, false}, {10, hold, true}, {10, hold + 5000, false}}},
        {"never low", {{80, 0, false}, {80, 3 * hold, false}}},
        {"at the threshold is not low", {{15, 0, false}, {15, 2 * hold, false}}},
        {"a recovery starts the hold afresh",
         {{10, 0, false},
          {20, hold - 100, false},
          {10, hold, false},
          {10, 2 * hold - 1, false},
          {10, 2 * hold, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LowBatteryWatch watch;
        for (const Step& step : c.steps)
            EXPECT_EQ(watch.Update(step.level, step.at), step.warns) << step.at;
    }
    // Once per attach: another attach may warn again.
    LowBatteryWatch watch;
    EXPECT_FALSE(watch.Update(10, 0));
    EXPECT_TRUE(watch.Update(10, hold));
    EXPECT_FALSE(watch.Update(10, 3 * hold));
    watch.Restart();
    EXPECT_FALSE(watch.Update(10, 3 * hold));
    EXPECT_TRUE(watch.Update(10, 4 * hold));
}

}  // namespace
