// The firing pattern's rules and the text forms of its quantities.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scoped_locale.h"
#include "treatments/firing_pattern.h"

namespace {

// The page's fields hold texts; every rule reads them back from there.
struct Fields {
    std::string b = "1.000000", t = "1.000000", f = "1.000000", p = "1.000000", n = "10";

    static double Read(const std::string& text)
    {
        double value = 0;
        EXPECT_TRUE(ParsePatternReal(text, value)) << text;
        return value;
    }
    void Show(const FiringPattern& pattern)
    {
        b = FormatPatternReal(pattern.BaseFrequency);
        t = FormatPatternReal(pattern.BaseTimePeriod);
        f = FormatPatternReal(pattern.SlotFrequency);
        p = FormatPatternReal(pattern.TimePeriodPerSlot);
    }
    std::string Texts() const { return b + " " + t + " " + f + " " + p + " " + n; }
};

// Each way the fields change, applied to the fields' texts.
enum class Step { BaseFrequencyTaken, BaseTimePeriodTaken, CountEntered, CountLeft, ReadBack };

void Apply(Fields& fields, Step step, const char* value)
{
    FiringPattern pattern;
    switch (step) {
        case Step::BaseFrequencyTaken:  // rule 1: leaving or Enter in Base Frequency
            pattern.DeriveFromBaseFrequency(Fields::Read(value), Fields::Read(fields.n));
            fields.Show(pattern);
            return;
        case Step::BaseTimePeriodTaken:  // rule 2: leaving or Enter in Base Time Period
            pattern.DeriveFromBaseTimePeriod(Fields::Read(value), Fields::Read(fields.n));
            fields.Show(pattern);
            return;
        case Step::ReadBack:  // rule 3: "N@F" read from the stick: T = N / F, then as Enter
            fields.n = std::string(value).substr(0, std::string(value).find('@'));
            fields.t = FormatPatternReal(Fields::Read(fields.n)
                                         / Fields::Read(std::string(value).substr(fields.n.size() + 1)));
            [[fallthrough]];
        case Step::CountEntered:  // rule 2 from the Base Time Period text
            if (step == Step::CountEntered)
                fields.n = value;
            pattern.DeriveFromBaseTimePeriod(Fields::Read(fields.t), Fields::Read(fields.n));
            fields.Show(pattern);
            return;
        case Step::CountLeft:  // slot period and frequency from Base Time Period; Base Frequency kept
            fields.n = value;
            pattern.DeriveSlotsFromBaseTimePeriod(Fields::Read(fields.t), Fields::Read(fields.n));
            fields.f = FormatPatternReal(pattern.SlotFrequency);
            fields.p = FormatPatternReal(pattern.TimePeriodPerSlot);
            return;
    }
}

TEST(PatternRules, EveryWorkedExampleShowsItsTexts)
{
    struct Change {
        Step step;
        const char* value;
    };
    const struct {
        std::vector<Change> changes;
        const char* shown;  // base frequency, base time period, slot frequency, slot period, count
    } examples[] = {
        {{{Step::BaseFrequencyTaken, "2"}}, "2.000000 0.500000 20.000000 0.050000 10"},
        {{{Step::BaseFrequencyTaken, "4"}}, "4.000000 0.250000 40.000000 0.025000 10"},
        {{{Step::CountEntered, "4"}, {Step::BaseTimePeriodTaken, "0.25"}},
         "4.000000 0.250000 16.000000 0.062500 4"},
        {{{Step::BaseTimePeriodTaken, "0.3"}}, "3.333333 0.300000 33.333333 0.030000 10"},
        // One slot runs at the base frequency.
        {{{Step::CountEntered, "1"}, {Step::BaseFrequencyTaken, "7.5"}},
         "7.500000 0.133333 7.500000 0.133333 1"},
        {{{Step::CountEntered, "1"}, {Step::BaseTimePeriodTaken, "0.4"}},
         "2.500000 0.400000 2.500000 0.400000 1"},
        // Read back from the stick: 20 slots at 40 Hz; 3 slots at 10 Hz.
        {{{Step::ReadBack, "20@40"}}, "2.000000 0.500000 40.000000 0.025000 20"},
        {{{Step::ReadBack, "3@10"}}, "3.333333 0.300000 10.000000 0.100000 3"},
        // Enter in the count rewrites Base Frequency from the rounded period.
        {{{Step::BaseFrequencyTaken, "3"}, {Step::CountEntered, "10"}},
         "3.000003 0.333333 30.000030 0.033333 10"},
        // Leaving a new count keeps Base Frequency.
        {{{Step::BaseFrequencyTaken, "3"}, {Step::CountLeft, "12"}},
         "3.000000 0.333333 36.000036 0.027778 12"},
        {{{Step::BaseFrequencyTaken, "2"}, {Step::CountLeft, "12"}},
         "2.000000 0.500000 24.000000 0.041667 12"},
    };
    for (const auto& e : examples) {
        Fields fields;
        for (const Change& change : e.changes)
            Apply(fields, change.step, change.value);
        EXPECT_EQ(fields.Texts(), e.shown) << e.changes.back().value;
        // Whatever led there, the page shows one pattern that may be sent.
        EXPECT_TRUE(ShowsOnePattern(fields.b, fields.n, fields.f, fields.t)) << fields.Texts();
    }
}

// Whatever a rule starts from, the fields it fills form one pattern.
TEST(PatternRules, DerivedFieldsAlwaysShowOnePattern)
{
    for (int n : {1, 7, 10, 13, 250}) {
        for (double value : {0.3, 1.0 / 3, 2.5, 7.3, 0.123456789, 1000.123, 29.99999949, 0.0123457}) {
            FiringPattern p;
            p.DeriveFromBaseFrequency(value, n);
            EXPECT_TRUE(ShowsOnePattern(FormatPatternReal(p.BaseFrequency), FormatPatternCount(n),
                                        FormatPatternReal(p.SlotFrequency),
                                        FormatPatternReal(p.BaseTimePeriod)))
                << "B " << value << " N " << n;
            p.DeriveFromBaseTimePeriod(value, n);
            EXPECT_TRUE(ShowsOnePattern(FormatPatternReal(p.BaseFrequency), FormatPatternCount(n),
                                        FormatPatternReal(p.SlotFrequency),
                                        FormatPatternReal(p.BaseTimePeriod)))
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
        const char* t;
        bool one;
    } cases[] = {
        {"2.500000", "8", "20.000000", "0.400000", true},
        {"2.5", "8", "20", "0.4", true},
        {"0.000000", "8", "0.000000", "0.000000", false},
        {"-1.000000", "2", "-2.000000", "-1.000000", false},
        {"", "10", "10.000000", "1.000000", false},
        {"1.000000", "0", "0.000000", "1.000000", false},
        {"1.000000", "251", "251.000000", "1.000000", false},
        {"1.000000", "", "10.000000", "1.000000", false},
        {"1.000000", "10", "", "1.000000", false},
        // B x N may be off by N + 1 half units of the sixth decimal: 5.5e-6 for N = 10.
        {"1.000000", "10", "10.000005", "2.000000", true},
        {"1.000000", "10", "10.000006", "2.000000", false},
        {"1.000000", "10", "9.999995", "2.000000", true},
        {"1.000000", "10", "9.999994", "2.000000", false},
        {"3.333333", "3", "10.000000", "0.300000", true},
        {"3.333333", "7", "23.333331", "0.300000", true},
        // Or N / T may be off by one half unit: leaving Number of Slots.
        {"3.000000", "12", "36.000036", "0.333333", true},
        {"3.000000", "12", "36.000037", "0.333333", false},
        {"3.000000", "12", "36.000036", "", false},
        // ... as long as B and T show the same cycle.
        {"3.000010", "12", "36.000036", "0.333333", false},
        {"7.000000", "10", "10.000000", "1.000000", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowsOnePattern(c.b, c.n, c.f, c.t), c.one)
            << c.b << " " << c.n << " " << c.f << " " << c.t;
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
    for (const Case& c :
         {Case {"2.5", true, 2.5}, Case {" 0.25\n", true, 0.25}, Case {"+4", true, 4},
          Case {"-1.5", true, -1.5}, Case {"1e3", true, 1000}, Case {".5", true, 0.5}, Case {"1.", true, 1},
          Case {"", false, 0}, Case {" ", false, 0}, Case {"-", false, 0}, Case {"+", false, 0},
          Case {"+-1", false, 0}, Case {"2,5", false, 0}, Case {"1.5x", false, 0}, Case {"abc", false, 0},
          Case {"0x10", false, 0}, Case {"inf", false, 0}, Case {"nan", false, 0},
          Case {"1e999", false, 0}}) {
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
