#pragma once

#include <wx/window.h>

#include "treatments/firing_pattern.h"
#include "treatments/pattern_preview.h"

// A quantity of the preview as shown: its number with its unit ("80 Hz").
wxString PreviewQuantityText(const PreviewQuantity& quantity);

// A small picture of one base period of a firing pattern: a cell per slot, a
// pulse in each fired one, and the periods and the slot frequency above.
// Painted in the system's colours; the geometry is LayoutPatternPreview's.
class PatternPreviewControl : public wxWindow {
public:
    PatternPreviewControl(wxWindow* parent, wxWindowID id, const wxString& name);

    // Shows `pattern`, redrawing only when it differs from the one shown.
    void ShowPattern(const FiringPattern& pattern);
    const FiringPattern& Pattern() const { return pattern; }
    // Without the labels, the slots take the whole height: for places that
    // give the figures as text beside it.
    void HideLabels();
    // A picture: nothing to do with the keyboard, so no Tab stop.
    bool AcceptsFocus() const override { return false; }

private:
    void OnPaint(wxPaintEvent& event);
    FiringPattern pattern;
    bool labelsShown = true;
};
