// Where the pattern preview draws what: one base period of a firing pattern
// as a row of slot cells along a time axis, a pulse in every fired slot, and
// the base period, slot period and slot frequency as labels above. A plain
// function of the pattern and the size, so the drawing code only paints.
#pragma once

#include <string>
#include <vector>

#include "treatments/firing_pattern.h"

struct PreviewRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The unit of a label's number; None when there is no number ("-"). The
// window puts the unit to the number, so that it can be translated.
enum class PreviewUnit { None, Milliseconds, Seconds, Hertz };

struct PreviewQuantity {
    std::string number;  // e.g. "333.3", always with a '.'; "-" when there is none
    PreviewUnit unit = PreviewUnit::None;
};

struct PreviewLabel {
    enum class Align { Left, Centre, Right };
    PreviewQuantity quantity;
    int x = 0, y = 0;  // the anchor: top edge, and left, centre or right per `align`
    Align align = Align::Left;
};

struct PatternPreviewLayout {
    std::vector<PreviewRect> cells;  // one per slot, in time order, edge to edge
    std::vector<PreviewRect> pulses;  // one per fired slot, inside its cell
    bool outlineCells = false;  // the cells are wide enough to outline each one
    PreviewRect axis;  // the time axis under the cells (height 1)
    PreviewLabel basePeriod;  // left: one base period
    PreviewLabel slotPeriod;  // centre: one slot
    PreviewLabel slotFrequency;  // right: slots per second
};

// A duration in ms below one second, in s from one second on, with four
// significant digits ("333.3" ms, "2.5" s); "-" when not a number above zero.
PreviewQuantity FormatPreviewDuration(double seconds);
// A frequency in Hz with four significant digits ("30" Hz); "-" likewise.
PreviewQuantity FormatPreviewFrequency(double hertz);

// The layout for `pattern` (its BaseFrequency, NumberOfSlots and Slot
// states) in a `width` x `height` area whose label line is `textHeight` high.
PatternPreviewLayout LayoutPatternPreview(const FiringPattern& pattern, int width, int height,
                                          int textHeight);
