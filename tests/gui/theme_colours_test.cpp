// The colour rule: contrast ratios, and the colour each of the window's
// text colours takes on a light and on a dark theme's ground.
#include <gtest/gtest.h>
#include <wx/font.h>
#include <wx/image.h>

#include "ui/widgets/theme_colours.h"

TEST(ThemeColours, ContrastRatiosAreWcags)
{
    const struct {
        wxColour a, b;
        double ratio;
    } cases[] = {
        {*wxBLACK, *wxWHITE, 21.0},
        {wxColour(53, 53, 53), wxColour(53, 53, 53), 1.0},
        {wxColour(118, 118, 118), *wxWHITE, 4.54},  // the lightest grey text that reads on white
        {wxColour(224, 44, 71), *wxWHITE, 4.54},
        {wxColour(39, 34, 140), wxColour(53, 53, 53), 1.01},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.GetAsString();
        EXPECT_DOUBLE_EQ(ContrastRatio(c.a, c.b), ContrastRatio(c.b, c.a));
    }
    // Large text (18 pt, or 14 pt bold) needs 3.
    const struct {
        int points;
        wxFontWeight weight;
        double contrast;
    } fonts[] = {{20, wxFONTWEIGHT_BOLD, 3.0},
                 {18, wxFONTWEIGHT_NORMAL, 3.0},
                 {14, wxFONTWEIGHT_BOLD, 3.0},
                 {14, wxFONTWEIGHT_NORMAL, 4.5},
                 {10, wxFONTWEIGHT_BOLD, 4.5}};
    for (const auto& f : fonts)
        EXPECT_EQ(MinimumContrast(wxFont(f.points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, f.weight)),
                  f.contrast)
            << f.points;
}

TEST(ThemeColours, GivenTextColoursStayOnLightGroundsAndTurnLighterInTheirHueOnDarkOnes)
{
    const wxColour light(246, 245, 244);  // Adwaita's window
    const wxColour dark(53, 53, 53);  // Adwaita:dark's
    const struct {
        wxColour given;
        double contrast;
    } cases[] = {
        {wxColour(39, 34, 140), 3.0},  // "Vitrel", 20 pt bold
        {wxColour(64, 52, 165), 3.0},
        {wxColour(160, 22, 44), 4.5},  // "Health Programmes", "Advanced Settings", the field off
        {wxColour(173, 12, 16), 4.5},  // the slogan
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given.GetAsString());
        EXPECT_EQ(ReadableInHue(c.given, light, c.contrast), c.given);
        const wxColour shown = ReadableInHue(c.given, dark, c.contrast);
        EXPECT_GE(ContrastRatio(shown, dark), c.contrast);
        EXPECT_LT(ContrastRatio(shown, dark), c.contrast + 0.1);  // no lighter than it needs
        const auto hsv = [](const wxColour& colour) {
            return wxImage::RGBtoHSV(wxImage::RGBValue(colour.Red(), colour.Green(), colour.Blue()));
        };
        EXPECT_NEAR(hsv(shown).hue, hsv(c.given).hue, 0.01);
        EXPECT_GT(hsv(shown).value, hsv(c.given).value);
    }
    // Where no colour of the hue reaches it, the far end.
    EXPECT_EQ(ReadableInHue(wxColour(128, 0, 0), wxColour(90, 90, 90), 7.0), *wxWHITE);
}

TEST(ThemeColours, TextOnTheWindowsOwnGroundsIsDarkExceptOnRed)
{
    const struct {
        wxColour ground;
        wxColour text;
    } cases[] = {
        {wxColour(255, 255, 190), *wxBLACK},  // the editable fields
        {wxColour(208, 208, 208), *wxBLACK},  // the tool bars
        {wxColour(199, 199, 199), *wxBLACK},  // the "Treatment:" band
        {wxColour(224, 224, 224), *wxBLACK},  // the diary's even rows
        {wxColour(64, 191, 86), *wxBLACK},  // "Device Attached"
        {wxColour(224, 44, 71), *wxWHITE},  // "Device Detached"
        {wxColour(153, 32, 35), *wxWHITE},  // the Write Vitrel button
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextColourOn(c.ground), c.text) << c.ground.GetAsString();
}
