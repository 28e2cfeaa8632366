#include "device/battery_level.h"

void BatteryLevelEstimator::AddReading(float r1, float r2)
{
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
    if (next < 0 || next >= BatterySampleCount)
        next = 0;
    samples[next] = level;
    next = (next + 1) % BatterySampleCount;
    if (fresh < BatterySampleCount)
        ++fresh;
}

void BatteryLevelEstimator::StartAfresh()
{
    fresh = 0;
}

bool BatteryLevelEstimator::FreshAverage(float& level) const
{
    int count = window < BatterySampleCount ? window : BatterySampleCount;
    if (fresh < count)
        count = fresh;
    if (count <= 0)
        return false;
    // Newest first, as they were added; every poll comes here, so no
    // division per sample.
    float sum = 0.0f;
    int index = next;
    for (int i = 0; i < count; ++i) {
        index = (index == 0 ? BatterySampleCount : index) - 1;
        sum += samples[index];
    }
    level = sum / static_cast<float>(count);
    return true;
}

void LowBatteryWatch::Restart()
{
    low = false;
    warned = false;
}

bool LowBatteryWatch::Update(float level, long long nowMs)
{
    if (!(level < ThresholdPercent)) {
        low = false;
        return false;
    }
    if (!low) {
        low = true;
        lowSince = nowMs;
    }
    if (warned || nowMs - lowSince < HoldMilliseconds)
        return false;
    warned = true;
    return true;
}

float BatteryLevelEstimator::Average() const
{
    int count = window < BatterySampleCount ? window : BatterySampleCount;
    if (count <= 0)
        return 0.0f;
    float sum = 0.0f;
    for (int i = 0; i < count; ++i)
        sum += samples[i];
    return sum / static_cast<float>(count);
}
