#pragma once

// Text that reads on every desktop theme. The window keeps its own grounds
// (the yellow fields, the grey bars and rows, the device panel) and its
// headings' colours, and takes everything else from the theme; on a dark
// theme the theme's light text would land on those grounds, and the
// headings' dark colours on the theme's dark ground. These functions choose
// text colours by the WCAG 2 contrast ratio.

#include <wx/colour.h>

class wxFont;
class wxWindow;

// The relative luminance of an sRGB colour: 0 for black, 1 for white.
double RelativeLuminance(const wxColour& colour);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ContrastRatio(const wxColour& a, const wxColour& b);

// The contrast text needs: 4.5, or 3 for large text (18 pt, or 14 pt bold).
double MinimumContrast(const wxFont& font);

// `colour` where it reaches `contrast` on `ground`; otherwise the colour of
// the same hue and saturation, lighter on a dark ground and darker on a
// light one, nearest to it that does (white or black where none does).
wxColour ReadableInHue(const wxColour& colour, const wxColour& ground, double contrast);

// The text colour on a ground of our own, whatever the theme: white where it
// reads (4.5), otherwise black.
wxColour TextColourOn(const wxColour& ground);

// Shows `text` in the colour `given`, made readable on the theme's ground
// for the text's font, now and after every change of the desktop's theme.
void ShowInGivenColour(wxWindow* text, const wxColour& given);
