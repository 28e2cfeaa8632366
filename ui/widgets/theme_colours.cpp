#include "ui/widgets/theme_colours.h"

#include <algorithm>
#include <cmath>

#include <wx/event.h>
#include <wx/font.h>
#include <wx/window.h>

namespace {
double Linear(unsigned char channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct Hsl {
    double hue = 0;  // 0 to 6, one unit per sixth of the circle
    double saturation = 0;
    double lightness = 0;
};

Hsl ToHsl(const wxColour& colour)
{
    const double r = colour.Red() / 255.0;
    const double g = colour.Green() / 255.0;
    const double b = colour.Blue() / 255.0;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    const double chroma = high - low;
    Hsl hsl;
    hsl.lightness = (high + low) / 2;
    if (chroma == 0)
        return hsl;
    hsl.saturation = chroma / (1 - std::fabs(2 * hsl.lightness - 1));
    if (high == r)
        hsl.hue = std::fmod((g - b) / chroma + 6, 6);
    else if (high == g)
        hsl.hue = (b - r) / chroma + 2;
    else
        hsl.hue = (r - g) / chroma + 4;
    return hsl;
}

wxColour FromHsl(const Hsl& hsl)
{
    const double chroma = (1 - std::fabs(2 * hsl.lightness - 1)) * hsl.saturation;
    const double x = chroma * (1 - std::fabs(std::fmod(hsl.hue, 2) - 1));
    const double rgb[6][3] = {{chroma, x, 0}, {x, chroma, 0}, {0, chroma, x},
                              {0, x, chroma}, {x, 0, chroma}, {chroma, 0, x}};
    const double* sector = rgb[std::min(5, static_cast<int>(hsl.hue))];
    const double low = hsl.lightness - chroma / 2;
    const auto byte = [](double c) {
        return static_cast<unsigned char>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
    };
    return wxColour(byte(sector[0] + low), byte(sector[1] + low), byte(sector[2] + low));
}
}  // namespace

double RelativeLuminance(const wxColour& colour)
{
    return 0.2126 * Linear(colour.Red()) + 0.7152 * Linear(colour.Green()) + 0.0722 * Linear(colour.Blue());
}

double ContrastRatio(const wxColour& a, const wxColour& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double MinimumContrast(const wxFont& font)
{
    const double points = font.GetFractionalPointSize();
    const bool large = points >= 18 || (points >= 14 && font.GetWeight() >= wxFONTWEIGHT_BOLD);
    return large ? 3.0 : 4.5;
}

wxColour ReadableInHue(const wxColour& colour, const wxColour& ground, double contrast)
{
    if (ContrastRatio(colour, ground) >= contrast)
        return colour;
    // Towards white on a ground darker than the luminance (0.18) where white
    // and black contrast alike, else towards black. Lightness alone moves
    // every channel the same way, so the contrast grows steadily on the way:
    // halve the interval to the nearest lightness that reaches it.
    const bool lighter = RelativeLuminance(ground) < 0.18;
    Hsl hsl = ToHsl(colour);
    double shortOf = hsl.lightness;  // a lightness that does not reach it
    double enough = lighter ? 1.0 : 0.0;  // one that does, once checked
    hsl.lightness = enough;
    wxColour reached = FromHsl(hsl);
    if (ContrastRatio(reached, ground) < contrast)
        return reached;
    for (int step = 0; step < 16; ++step) {
        hsl.lightness = (shortOf + enough) / 2;
        const wxColour tried = FromHsl(hsl);
        if (ContrastRatio(tried, ground) >= contrast) {
            reached = tried;
            enough = hsl.lightness;
        } else {
            shortOf = hsl.lightness;
        }
    }
    return reached;
}

wxColour TextColourOn(const wxColour& ground)
{
    const wxColour white(255, 255, 255);
    return ContrastRatio(white, ground) >= 4.5 ? white : wxColour(0, 0, 0);
}

void ShowInGivenColour(wxWindow* text, const wxColour& given)
{
    // The theme's ground is the text's own default background.
    const auto apply = [text, given] {
        text->SetForegroundColour(
            ReadableInHue(given, text->GetBackgroundColour(), MinimumContrast(text->GetFont())));
    };
    apply();
    text->Bind(wxEVT_SYS_COLOUR_CHANGED, [apply](wxSysColourChangedEvent& event) {
        apply();
        event.Skip();
    });
}
