// Slot frequency to SetSlotTimer bytes and back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "device/device_link.h"

namespace {

constexpr double F0 = 4000000.0 / (4.0 * 256.0 * 65536.0);

struct Timer {
    bool ok;
    unsigned lo, hi, sel;
};

class SlotEncoding : public testing::Test {
protected:
    SlotEncoding() { link.calibration.count = 0; }  // every value maps to itself

    // The encoding of a slot frequency, which the timer overflows twice per slot.
    Timer ForOverflowRate(double a) const { return Encode(a / 2.0); }
    Timer Encode(double hz) const
    {
        unsigned char lo = 0xAA, hi = 0xAA, sel = 0xAA;
        bool ok = link.EncodeSlotFrequency(hz, lo, hi, sel);
        return {ok, lo, hi, sel};
    }

    DeviceLink link;
};

TEST_F(SlotEncoding, TenHertzBothWays)
{
    Timer t = Encode(10.0);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.lo, 0x57u);
    EXPECT_EQ(t.hi, 0x9Eu);
    EXPECT_EQ(t.sel, 0u);
    EXPECT_EQ(link.DecodeSlotFrequency(0x57, 0x9E, 0x00), 10.0);
}

TEST_F(SlotEncoding, BandLimits)
{
    // Just above F0: the largest prescaler and the largest count (reload 0).
    Timer lowest = ForOverflowRate(F0 * (1 + 1e-12));
    ASSERT_TRUE(lowest.ok);
    EXPECT_EQ(lowest.sel, 7u);
    EXPECT_EQ(lowest.lo, 0u);
    EXPECT_EQ(lowest.hi, 0u);
    // Exactly at F1 .. F7 the count would be 65536: one less is sent.
    for (int k = 1; k <= 7; ++k) {
        Timer edge = ForOverflowRate(F0 * (1 << k));
        ASSERT_TRUE(edge.ok) << "F" << k;
        EXPECT_EQ(edge.sel, static_cast<unsigned>(7 - k)) << "F" << k;
        EXPECT_EQ(edge.lo, 0u);
        EXPECT_EQ(edge.hi, 0u);
        EXPECT_EQ(ForOverflowRate(F0 * (1 << k) * (1 - 1e-12)).sel, static_cast<unsigned>(8 - k));
    }
    // The highest rate that has no 0xFF byte: count 257, reload 0xFEFE.
    Timer highest = ForOverflowRate(4000000.0 / (8.0 * 257));
    ASSERT_TRUE(highest.ok);
    EXPECT_EQ(highest.lo, 0xFEu);
    EXPECT_EQ(highest.hi, 0xFEu);

    // Refused, with nothing written: outside F0 < a <= 500000, counts below
    // 256 (hi would be 0xFF, up to a = 500000 with count 1), no number.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double a : {F0, F0 * 0.5, 4000000.0 / (8.0 * 255), 500000.0, 500000.5, 0.0, -20.0, nan, inf}) {
        Timer refused = ForOverflowRate(a);
        EXPECT_FALSE(refused.ok) << a;
        EXPECT_EQ(refused.lo, 0xAAu);
    }
}

TEST_F(SlotEncoding, NeverSendsA0xFFTimerByte)
{
    // 7.8125 Hz is count 32000 = 0x7D00, whose reload has lo 0xFF; count 32001
    // is sent instead.
    Timer t = Encode(7.8125);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.lo, 0xFEu);
    EXPECT_EQ(t.hi, 0x82u);
    EXPECT_EQ(t.sel, 0u);
    EXPECT_NEAR(link.DecodeSlotFrequency(0xFE, 0x82, 0), 7.8125, 7.8125 * 1e-4);
}

TEST_F(SlotEncoding, RoundTripAcrossTheRangeWithTheDeliveredTable)
{
    link.calibration.Load(VITREL_SOURCE_DIR "/data/VitrelFrequencyMeasurement.csv");
    ASSERT_GE(link.calibration.count, 2);
    // From just above the lowest slot frequency (F0 / 2) to 250 Hz, where a
    // truncated count of 1000 or more keeps the error below 0.1 %; and without
    // a 0xFF byte up to the highest rate the encoder accepts.
    const int steps = 20000;
    const double lowest = F0 / 2 * 1.0001, highest = 1000.0;
    for (int i = 0; i <= steps; ++i) {
        double hz = lowest * std::pow(highest / lowest, static_cast<double>(i) / steps);
        Timer t = Encode(hz);
        if (hz > 975.0)
            continue;  // counts below 257: refused
        ASSERT_TRUE(t.ok) << hz;
        ASSERT_TRUE(t.lo != 0xFF && t.hi != 0xFF && t.sel <= 7) << hz;
        if (hz > 250.0)
            continue;
        double back =
            link.DecodeSlotFrequency(static_cast<unsigned char>(t.lo), static_cast<unsigned char>(t.hi),
                                     static_cast<unsigned char>(t.sel));
        ASSERT_LT(std::fabs(back - hz) / hz, 0.001) << hz;
    }
}

TEST_F(SlotEncoding, DecodingOddTimerValues)
{
    EXPECT_EQ(link.DecodeSlotFrequency(0xFF, 0xFF, 0), 0.0) << "count 0 has no frequency";
    // Any selector outside 1..7 means prescaler 2, as 0 does.
    for (unsigned sel : {8u, 0x80u, 0xFFu})
        EXPECT_EQ(link.DecodeSlotFrequency(0x57, 0x9E, static_cast<unsigned char>(sel)), 10.0);
    EXPECT_EQ(link.DecodeSlotFrequency(0x57, 0x9E, 7), 10.0 / 128);
}

TEST_F(SlotEncoding, CalibrationIsAppliedBothWays)
{
    link.calibration.count = 2;
    link.calibration.userHz[0] = 1.0;
    link.calibration.deviceHz[0] = 2.0;
    link.calibration.userHz[1] = 2.0;
    link.calibration.deviceHz[1] = 4.0;
    Timer t = Encode(5.0);  // 10 Hz at the device
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.lo, 0x57u);
    EXPECT_EQ(t.hi, 0x9Eu);
    EXPECT_EQ(link.DecodeSlotFrequency(0x57, 0x9E, 0), 5.0);

    // A table that maps to nothing sendable is refused.
    link.calibration.deviceHz[0] = -2.0;
    link.calibration.deviceHz[1] = -4.0;
    EXPECT_FALSE(Encode(5.0).ok);
}

}  // namespace
