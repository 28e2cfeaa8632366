// The preview's geometry: cells edge to edge along the axis, pulses only in
// fired slots and inside their cells, labels in the right units.
#include <gtest/gtest.h>

#include "treatments/pattern_preview.h"

namespace {

FiringPattern Pattern(double baseFrequency, int slots, bool (*fires)(int))
{
    FiringPattern pattern;
    pattern.BaseFrequency = baseFrequency;
    pattern.NumberOfSlots = slots;
    for (int i = 0; i < slots; ++i)
        pattern.Slot[i] = fires(i) ? 1 : 2;
    return pattern;
}

// A label as the English window shows it: the number, then its unit.
std::string Shown(const PreviewLabel& label)
{
    static const char* const units[] = {"", " ms", " s", " Hz"};
    return label.quantity.number + units[static_cast<int>(label.quantity.unit)];
}

bool Every(int)
{
    return true;
}
bool None(int)
{
    return false;
}
bool Odd(int i)
{
    return i % 2 == 1;
}

TEST(PatternPreview, CellsFillTheAxisAndPulsesSitInTheFiredCells)
{
    constexpr int Width = 465, Height = 60, Text = 14;
    const struct {
        int slots;
        bool (*fires)(int);
        int pulses;
    } cases[] = {{1, Every, 1},   {1, None, 0},      {10, Odd, 5},  {10, Every, 10},
                 {250, Odd, 125}, {250, Every, 250}, {250, None, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.slots << " slots, " << c.pulses << " fired");
        const FiringPattern pattern = Pattern(2, c.slots, c.fires);
        const PatternPreviewLayout layout = LayoutPatternPreview(pattern, Width, Height, Text);
        ASSERT_EQ(layout.cells.size(), static_cast<std::size_t>(c.slots));
        ASSERT_EQ(layout.pulses.size(), static_cast<std::size_t>(c.pulses));
        EXPECT_EQ(layout.cells.front().x, layout.axis.x);
        EXPECT_EQ(layout.cells.back().x + layout.cells.back().width, layout.axis.x + layout.axis.width);
        EXPECT_GT(layout.cells.front().y, Text);  // below the labels
        EXPECT_LE(layout.axis.y, Height - 1);
        EXPECT_EQ(layout.outlineCells, c.slots < 250);
        std::size_t pulse = 0;
        for (int i = 0; i < c.slots; ++i) {
            const PreviewRect& cell = layout.cells[i];
            EXPECT_GE(cell.width, 1);
            if (i > 0) {
                EXPECT_EQ(cell.x, layout.cells[i - 1].x + layout.cells[i - 1].width);
            }
            if (!c.fires(i))
                continue;
            const PreviewRect& p = layout.pulses[pulse++];
            EXPECT_GE(p.x, cell.x);
            EXPECT_LE(p.x + p.width, cell.x + cell.width);
            EXPECT_GT(p.y, cell.y);  // a pulse is lower than its cell: empty cells stay visible
            EXPECT_EQ(p.y + p.height, cell.y + cell.height);
        }
    }
}

TEST(PatternPreview, LabelsInMillisecondsBelowOneSecondAndInSecondsFromOneOn)
{
    const struct {
        double baseFrequency;
        int slots;
        const char *base, *slot, *frequency;
    } cases[] = {
        {3, 10, "333.3 ms", "33.33 ms", "30 Hz"},
        {30, 10, "33.33 ms", "3.333 ms", "300 Hz"},
        {0.5, 2, "2 s", "1 s", "1 Hz"},
        {0.2, 250, "5 s", "20 ms", "50 Hz"},
        {1, 1, "1 s", "1 s", "1 Hz"},
        {0, 10, "-", "-", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        const PatternPreviewLayout layout =
            LayoutPatternPreview(Pattern(c.baseFrequency, c.slots, Every), 300, 60, 14);
        EXPECT_EQ(Shown(layout.basePeriod), c.base);
        EXPECT_EQ(Shown(layout.slotPeriod), c.slot);
        EXPECT_EQ(Shown(layout.slotFrequency), c.frequency);
    }
    const PatternPreviewLayout layout = LayoutPatternPreview(Pattern(3, 10, Every), 300, 60, 14);
    EXPECT_EQ(layout.basePeriod.align, PreviewLabel::Align::Left);
    EXPECT_EQ(layout.slotFrequency.align, PreviewLabel::Align::Right);
    EXPECT_EQ(layout.slotFrequency.x, 298);
}

}  // namespace
