#include "treatments/pattern_preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int Margin = 2;  // around everything, so the outline stays inside
constexpr int LabelGap = 3;  // between the labels and the cells
constexpr int MinOutlinedCell = 4;

const PreviewQuantity NoQuantity = {"-", PreviewUnit::None};

PreviewQuantity FormatQuantity(double value, PreviewUnit unit)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return NoQuantity;
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", value);
    return {text, unit};
}
}  // namespace

PreviewQuantity FormatPreviewDuration(double seconds)
{
    return seconds < 1.0 ? FormatQuantity(seconds * 1000.0, PreviewUnit::Milliseconds)
                         : FormatQuantity(seconds, PreviewUnit::Seconds);
}

PreviewQuantity FormatPreviewFrequency(double hertz)
{
    return FormatQuantity(hertz, PreviewUnit::Hertz);
}

PatternPreviewLayout LayoutPatternPreview(const FiringPattern& pattern, int width, int height, int textHeight)
{
    PatternPreviewLayout layout;
    const int n = std::clamp(pattern.NumberOfSlots, 0, static_cast<int>(FiringPattern::MaxSlots));
    const double baseFrequency = pattern.BaseFrequency;
    const double basePeriod = 1.0 / baseFrequency;
    layout.basePeriod = {FormatPreviewDuration(basePeriod), Margin, Margin, PreviewLabel::Align::Left};
    layout.slotPeriod = {n > 0 ? FormatPreviewDuration(basePeriod / n) : NoQuantity, width / 2, Margin,
                         PreviewLabel::Align::Centre};
    layout.slotFrequency = {n > 0 ? FormatPreviewFrequency(baseFrequency * n) : NoQuantity, width - Margin,
                            Margin, PreviewLabel::Align::Right};

    const int top = Margin + textHeight + LabelGap;
    const int bottom = std::max(top + 1, height - Margin);
    const int left = Margin;
    const int span = std::max(0, width - 2 * Margin);
    layout.axis = {left, bottom - 1, span, 1};
    if (n == 0)
        return layout;

    // Cell i spans [i * span / n, (i + 1) * span / n): edge to edge, widths
    // differing by at most one pixel.
    const int cellHeight = bottom - top;
    const int pulseTop = top + cellHeight / 4;
    layout.outlineCells = span / n >= MinOutlinedCell;
    const int inset = layout.outlineCells ? 1 : 0;
    for (int i = 0; i < n; ++i) {
        const int x0 = left + static_cast<int>(static_cast<long long>(i) * span / n);
        const int x1 = left + static_cast<int>(static_cast<long long>(i + 1) * span / n);
        layout.cells.push_back({x0, top, x1 - x0, cellHeight});
        if (pattern.Slot[i] == 1)
            layout.pulses.push_back(
                {x0 + inset, pulseTop, std::max(1, x1 - x0 - 2 * inset), bottom - pulseTop});
    }
    return layout;
}
