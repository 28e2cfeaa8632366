// The colour rule: the given text colours on a light and a dark theme's
// ground, and the text on each ground of the window's own.
#include <gtest/gtest.h>
#include <wx/image.h>

#include "ui/widgets/theme_colours.h"

TEST(ThemeColours, GivenColoursReadInTheirHueAndEveryGroundGetsReadableText)
{
    EXPECT_NEAR(ContrastRatio(wxColour(118, 118, 118), *wxWHITE), 4.54, 0.01);
    const wxColour light(246, 245, 244), dark(53, 53, 53);  // Adwaita's window, and Adwaita:dark's
    const auto hue = [](const wxColour& c) { return wxImage::RGBtoHSV({c.Red(), c.Green(), c.Blue()}).hue; };
    for (const wxColour& given :
         {wxColour(39, 34, 140), wxColour(64, 52, 165), wxColour(160, 22, 44), wxColour(173, 12, 16)}) {
        const wxColour shown = ReadableInHue(given, dark, 4.5);
        EXPECT_EQ(ReadableInHue(given, light, 4.5), given);
        EXPECT_NEAR(ContrastRatio(shown, dark), 4.55, 0.05);  // as dark as it can be
        EXPECT_NEAR(hue(shown), hue(given), 0.01) << given.GetAsString();
    }
    // The fields, tool bars, band, diary rows, device panel and Write button.
    const std::pair<wxColour, wxColour> grounds[] = {{{255, 255, 190}, *wxBLACK}, {{208, 208, 208}, *wxBLACK},
                                                     {{199, 199, 199}, *wxBLACK}, {{224, 224, 224}, *wxBLACK},
                                                     {{64, 191, 86}, *wxBLACK},   {{224, 44, 71}, *wxWHITE},
                                                     {{153, 32, 35}, *wxWHITE}};
    for (const auto& [ground, text] : grounds)
        EXPECT_EQ(TextColourOn(ground), text) << ground.GetAsString();
}
