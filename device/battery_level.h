#pragma once
// The battery level shown in the gauge: a running mean of the levels derived
// from the stick's status replies (00 0B r1 r2 FF, voltage = 2.5 * r1 / r2).

constexpr int BatterySampleCount = 50;

struct BatteryLevelEstimator {
    float reading1 = 1.0f;  // first reading of the last status reply
    float reading2 = 0.0f;  // second reading of the last status reply
    float referenceVolts = 2.5f;  // scale of the readings
    float emptyVolts = 3.3f;  // shown as 0 %
    float fullVolts = 4.1f;  // shown as 100 %
    float samples[BatterySampleCount] = {};  // ring of the last levels, in %
    int window = BatterySampleCount;  // ring entries averaged
    int next = 0;  // ring position of the next sample
    int fresh = 0;  // ring entries written since the stick attached, at most `window`

    // The stick attached: the level shown as a number, and the warning,
    // count only the readings from now on.
    void StartAfresh();

    // Stores the readings and adds their level (0 to 100) to the ring.
    void AddReading(float r1, float r2);
    // Mean of the `window` ring entries; entries not yet written count as 0,
    // so the gauge climbs over the first replies.
    float Average() const;
    // Mean of the entries written since StartAfresh (the last `window` of
    // them); false with none yet. Unlike Average, it does not start from an
    // empty battery.
    bool FreshAverage(float& level) const;
};

// Tells once per attach that the battery is running low: the level from the
// readings since the attach has stayed below ThresholdPercent for
// HoldMilliseconds. At 15 % of the 3.3 V to 4.1 V scale the cell holds
// about 3.42 V, a few readings' steps above the point the gauge calls empty;
// the level averages the last five seconds of readings, and ten seconds
// below the threshold means two whole averaging spans, so a dip while the
// stick fires does not warn.
class LowBatteryWatch {
public:
    static constexpr float ThresholdPercent = 15.0f;
    static constexpr long long HoldMilliseconds = 10000;

    // A new attach: the warning may be given again.
    void Restart();
    // Feeds the level at `nowMs` (a steady clock); true exactly once per
    // attach, when the warning is due.
    bool Update(float level, long long nowMs);

private:
    bool low = false;
    long long lowSince = 0;
    bool warned = false;
};
