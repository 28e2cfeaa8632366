// The frequency measurement table: reading the file and the two maps.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "device/frequency_calibration.h"
#include "scoped_locale.h"
#include "temp_folder.h"

namespace {

class Calibration : public testing::Test {
protected:
    void Load(const std::string& text) { table.Load(folder.Write("table.csv", text).c_str()); }

    TempFolder folder;
    FrequencyCalibration table;
};

TEST_F(Calibration, PiecewiseLinearBothWays)
{
    Load("1.0,2.0\n2.0,4.0\n");
    ASSERT_EQ(table.count, 2);
    EXPECT_DOUBLE_EQ(table.ToDevice(1.5), 3.0);
    EXPECT_DOUBLE_EQ(table.ToDevice(0.5), 1.0);  // below the first row, through zero
    EXPECT_DOUBLE_EQ(table.ToDevice(3.0), 6.0);  // extrapolated
    EXPECT_DOUBLE_EQ(table.FromDevice(3.0), 1.5);
    EXPECT_DOUBLE_EQ(table.FromDevice(1.0), 0.5);

    // Values above the second row follow the last segment.
    Load("1,2\n2,4\n4,5\n");
    EXPECT_DOUBLE_EQ(table.ToDevice(3.0), 4.5);
    EXPECT_DOUBLE_EQ(table.ToDevice(6.0), 6.0);
    EXPECT_DOUBLE_EQ(table.FromDevice(4.5), 3.0);

    // A table whose first segment does not run through zero: below the first
    // row the value is scaled by that row's ratio (3/2 one way, 2/3 back), not
    // carried along the first segment (which would give 1.0 and 1.25) nor held
    // at the first row.
    Load("2,3\n4,7\n");
    EXPECT_DOUBLE_EQ(table.ToDevice(1.0), 1.5);
    EXPECT_DOUBLE_EQ(table.ToDevice(0.0), 0.0);
    EXPECT_DOUBLE_EQ(table.FromDevice(1.5), 1.0);
    EXPECT_DOUBLE_EQ(table.FromDevice(0.0), 0.0);
    EXPECT_DOUBLE_EQ(table.ToDevice(3.0), 5.0);
}

TEST_F(Calibration, LinesAreReadLikeStrtod)
{
    Load("1.5,3\n5\n2,4\r\n  +2.5e1 ,\t-3 Hz\nabc,def\n\n7,8");
    ASSERT_EQ(table.count, 7);
    const double user[] = {1.5, 5, 2, 25, 0, 0, 7};
    const double device[] = {3, 5, 4, -3, 0, 0, 8};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(table.userHz[i], user[i]) << "row " << i;
        EXPECT_EQ(table.deviceHz[i], device[i]) << "row " << i;
    }
}

TEST_F(Calibration, ARowHoldingANulByteIsSkippedOnItsOwn)
{
    Load(std::string("1,1\n2\0,2\n3,30\n100,100\n", 22));
    ASSERT_EQ(table.count, 3);
    const double user[] = {1, 3, 100};
    const double device[] = {1, 30, 100};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table.userHz[i], user[i]) << "row " << i;
        EXPECT_EQ(table.deviceHz[i], device[i]) << "row " << i;
    }
}

TEST_F(Calibration, DecimalPointWhateverTheLocale)
{
    {
        const ScopedLocale german(LC_NUMERIC, GermanLocale);
        if (!german.Active())
            GTEST_SKIP() << "locale " << GermanLocale << " is not installed";
        Load("1.5,3.25\n");
    }
    EXPECT_EQ(table.userHz[0], 1.5);
    EXPECT_EQ(table.deviceHz[0], 3.25);
}

TEST_F(Calibration, AtMostAHundredRows)
{
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += std::to_string(i) + "," + std::to_string(2 * i) + "\n";
    Load(text);
    EXPECT_EQ(table.count, 100);
    EXPECT_EQ(table.userHz[99], 100);
    EXPECT_DOUBLE_EQ(table.ToDevice(120.0), 240.0);
}

TEST_F(Calibration, DegenerateTablesStayUsable)
{
    table.Load("/nonexistent/VitrelFrequencyMeasurement.csv");
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(table.ToDevice(12.5), 12.5);
    Load("");
    EXPECT_EQ(table.FromDevice(12.5), 12.5);
    Load("3,6\n");
    EXPECT_EQ(table.ToDevice(12.5), 12.5);

    // Equal neighbours, in either column, never divide by zero.
    Load("0,0\n1,1\n1,2\n3,2\n3,5\n");
    for (double v = -1.0; v <= 6.0; v += 0.25) {
        EXPECT_TRUE(std::isfinite(table.ToDevice(v))) << v;
        EXPECT_TRUE(std::isfinite(table.FromDevice(v))) << v;
    }
}

TEST_F(Calibration, DeliveredTableMapsEveryValueToItself)
{
    table.Load(VITREL_SOURCE_DIR "/data/VitrelFrequencyMeasurement.csv");
    ASSERT_GE(table.count, 2);
    for (double hz : {0.01, 0.05, 0.3, 1.0, 7.8125, 10.0, 123.4, 300.0, 1000.0, 2000.0}) {
        EXPECT_NEAR(table.ToDevice(hz), hz, hz * 1e-12);
        EXPECT_NEAR(table.FromDevice(hz), hz, hz * 1e-12);
    }
}

}  // namespace
