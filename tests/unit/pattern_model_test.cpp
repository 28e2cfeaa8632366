// The firing pattern's rules and the text forms of its quantities.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "scoped_locale.h"
#include "treatments/firing_pattern.h"

namespace {

// The four reals as the page shows them: base frequency, base time period,
// slot frequency, time period per slot.
std::string Shown(const FiringPattern& p)
{
    return FormatPatternReal(p.BaseFrequency) + " " + FormatPatternReal(p.BaseTimePeriod) + " "
           + FormatPatternReal(p.SlotFrequency) + " " + FormatPatternReal(p.TimePeriodPerSlot);
}

TEST(PatternRules, DerivationsGiveTheWorkedExamples)
{
    // Rule 1 from a base frequency or rule 2 from a base time period, with a
    // slot count; then the four reals as shown.
    const struct {
        bool fromBaseFrequency;
        double base;
        double slots;
        const char* shown;
    } examples[] = {
        {true, 2, 10, "2.000000 0.500000 20.000000 0.050000"},
        {false, 0.25, 4, "4.000000 0.250000 16.000000 0.062500"},
        // Read back from the stick: 20 slots at 40 Hz, so T = N / F, then rule 2.
        {false, 20 / 40.0, 20, "2.000000 0.500000 40.000000 0.025000"},
        // One slot runs at the base frequency.
        {true, 7.5, 1, "7.500000 0.133333 7.500000 0.133333"},
        {false, 0.4, 1, "2.500000 0.400000 2.500000 0.400000"},
    };
    for (const auto& e : examples) {
        FiringPattern p;
        if (e.fromBaseFrequency)
            p.DeriveFromBaseFrequency(e.base, e.slots);
        else
            p.DeriveFromBaseTimePeriod(e.base, e.slots);
        EXPECT_EQ(Shown(p), e.shown);
    }
}

TEST(PatternRules, SixDecimalFieldsDriftAsTheyAreReadBack)
{
    // Base frequency 3 shows a period of 0.333333; rule 2 from that text
    // gives 3.000003.
    FiringPattern p;
    p.DeriveFromBaseFrequency(3, 10);
    double period = 0;
    ASSERT_TRUE(ParsePatternReal(FormatPatternReal(p.BaseTimePeriod), period));
    p.DeriveFromBaseTimePeriod(period, 10);
    EXPECT_EQ(FormatPatternReal(p.BaseFrequency), "3.000003");
}

// Whatever a rule starts from, the fields it fills form one pattern that
// may be sent: the slot frequency shown is the base frequency shown times N.
TEST(PatternRules, DerivedFieldsAlwaysShowOnePattern)
{
    for (int n : {1, 7, 10, 13, 250}) {
        for (double value : {0.3, 1.0 / 3, 2.5, 7.3, 0.123456789, 1000.123, 29.99999949}) {
            FiringPattern p;
            p.DeriveFromBaseFrequency(value, n);
            EXPECT_TRUE(ShowsOnePattern(FormatPatternReal(p.BaseFrequency), FormatPatternCount(n),
                                        FormatPatternReal(p.SlotFrequency)))
                << "B " << value << " N " << n;
            p.DeriveFromBaseTimePeriod(value, n);
            EXPECT_TRUE(ShowsOnePattern(FormatPatternReal(p.BaseFrequency), FormatPatternCount(n),
                                        FormatPatternReal(p.SlotFrequency)))
                << "T " << value << " N " << n;
        }
    }
}

TEST(PatternRules, OnePatternNeedsAPositiveBaseACountInRangeAndTheirProduct)
{
    const struct {
        const char* b;
        const char* n;
        const char* f;
        bool one;
    } cases[] = {
        {"2.500000", "8", "20.000000", true}, {"2.5", "8", "20", true},
        {"0.000000", "8", "0.000000", false}, {"-1.000000", "2", "-2.000000", false},
        {"", "10", "10.000000", false},       {"1.000000", "0", "0.000000", false},
        {"1.000000", "251", "251.000000", false}, {"1.000000", "", "10.000000", false},
        {"1.000000", "10", "10.000001", false},   {"1.000000", "10", "", false},
        {"3.333333", "7", "23.333333", false},    {"3.333333", "7", "23.333331", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowsOnePattern(c.b, c.n, c.f), c.one) << c.b << " " << c.n << " " << c.f;
}

TEST(PatternRules, StickTakesAtMost300Hz)
{
    FiringPattern p;
    p.NumberOfSlots = 10;
    p.BaseFrequency = 30;
    EXPECT_TRUE(p.FitsDevice());
    p.BaseFrequency = 30.1;
    EXPECT_FALSE(p.FitsDevice());
    p.BaseFrequency = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(p.FitsDevice());
    p.BaseFrequency = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(p.FitsDevice());
}

TEST(PatternRules, OnlyPositiveInputsGiveUsableQuantities)
{
    FiringPattern p;
    p.DeriveFromBaseFrequency(2, 10);
    EXPECT_TRUE(p.HasUsableQuantities());
    // 1e-320 divides into infinity; 1e308 times 10 overflows.
    for (double bad : {0.0, -0.0, -2.0, 1e-320, 1e308}) {
        p.DeriveFromBaseFrequency(bad, 10);
        EXPECT_FALSE(p.HasUsableQuantities()) << "base frequency " << bad;
    }
    for (double bad : {0.0, -0.0, -2.0, 1e-320}) {
        p.DeriveFromBaseTimePeriod(bad, 10);
        EXPECT_FALSE(p.HasUsableQuantities()) << "base time period " << bad;
    }
    p.DeriveFromBaseFrequency(2, 0);
    EXPECT_FALSE(p.HasUsableQuantities());
    p.DeriveFromBaseTimePeriod(0.5, 0);
    EXPECT_FALSE(p.HasUsableQuantities());
}

TEST(PatternText, FormsAreFixedSixDecimalsAndPlainCounts)
{
    EXPECT_EQ(FormatPatternReal(1), "1.000000");
    EXPECT_EQ(FormatPatternReal(0.05), "0.050000");
    EXPECT_EQ(FormatPatternReal(1.0 / 18), "0.055556");
    EXPECT_EQ(FormatPatternReal(-1.5), "-1.500000");
    EXPECT_EQ(FormatPatternReal(0.0000004), "0.000000");
    EXPECT_EQ(FormatPatternReal(1e20), "100000000000000000000.000000");
    EXPECT_EQ(FormatPatternCount(10), "10");
    EXPECT_EQ(FormatPatternCount(250), "250");
}

TEST(PatternText, ParsingTakesNumbersOnly)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    for (const Case& c : {Case{"2.5", true, 2.5}, Case{" 0.25\n", true, 0.25}, Case{"+4", true, 4},
                          Case{"-1.5", true, -1.5}, Case{"1e3", true, 1000}, Case{".5", true, 0.5},
                          Case{"1.", true, 1}, Case{"", false, 0}, Case{" ", false, 0},
                          Case{"-", false, 0}, Case{"+", false, 0}, Case{"+-1", false, 0},
                          Case{"2,5", false, 0}, Case{"1.5x", false, 0}, Case{"abc", false, 0},
                          Case{"0x10", false, 0}, Case{"inf", false, 0}, Case{"nan", false, 0},
                          Case{"1e999", false, 0}}) {
        double value = -99;
        EXPECT_EQ(ParsePatternReal(c.text, value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.ok ? c.value : -99) << '"' << c.text << '"';
    }

    long count = -99;
    EXPECT_TRUE(ParsePatternCount(" 007 ", count));
    EXPECT_EQ(count, 7);
    EXPECT_TRUE(ParsePatternCount("-3", count));
    EXPECT_EQ(count, -3);
    for (const char* bad : {"", "10.5", "1e1", "ten", "12 3", "99999999999999999999"})
        EXPECT_FALSE(ParsePatternCount(bad, count)) << '"' << bad << '"';
}

TEST(PatternText, GermanNumericLocaleChangesNothing)
{
    const ScopedLocale german(LC_NUMERIC, GermanLocale);
    if (!german.Active())
        GTEST_SKIP() << "locale " << GermanLocale << " is not installed";
    EXPECT_EQ(FormatPatternReal(0.25), "0.250000");
    double value = 0;
    EXPECT_TRUE(ParsePatternReal("0.25", value));
    EXPECT_FALSE(ParsePatternReal("0,25", value));
    EXPECT_EQ(value, 0.25);
}

}  // namespace
