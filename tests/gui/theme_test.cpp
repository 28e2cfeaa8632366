// The texts the window colours, read off the screen, under a light and a
// dark desktop theme. ctest runs DarkDesktop in a process started with
// GTK_THEME=Adwaita:dark; see tests/CMakeLists.txt.
#include <algorithm>
#include <cstdlib>
#include <map>

#include <gtk/gtk.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include "gui_test_support.h"
#include "stick_test_support.h"
#include "ui/widgets/theme_colours.h"

namespace {
// The contrast of the strongest pixel in `area` of the screen against the
// area's commonest colour, its ground.
double DrawnContrast(const wxRect& area)
{
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.x, area.y, area.width, area.height);
    std::map<unsigned long, int> counts;
    const int stride = gdk_pixbuf_get_rowstride(shot);
    const int step = gdk_pixbuf_get_n_channels(shot);
    for (int y = 0; y < area.height; ++y)
        for (const guchar* p = gdk_pixbuf_get_pixels(shot) + y * stride;
             p < gdk_pixbuf_get_pixels(shot) + y * stride + step * area.width; p += step)
            ++counts[p[0] << 16 | p[1] << 8 | p[2]];
    g_object_unref(shot);
    const auto colour = [](unsigned long rgb) { return wxColour(rgb >> 16, rgb >> 8 & 255, rgb & 255); };
    const wxColour ground = colour(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                       return a.second < b.second;
                                   })->first);
    double strongest = 1;
    for (const auto& [rgb, count] : counts)
        strongest = std::max(strongest, ContrastRatio(colour(rgb), ground));
    return strongest;
}
}  // namespace

// The window with a diary of one entry, a row on the grey of even rows.
class ThemeTest : public StickFrameTest {
protected:
    void SetUp() override
    {
        StickFrameTest::SetUp();
        WriteWorkFile("DiaryHistoryDB.xml", "<HistoryDoc><Entry><Date>01.03.2026</Date><Time>08:15</Time>"
                                            "<Summary>Abends</Summary><Content/></Entry></HistoryDoc>\n");
    }

    // Each text the window colours, on its page, read inside its frame:
    // at least its font's minimum.
    void ExpectEveryColouredTextReads() const
    {
        const struct {
            int page;
            const char* name;
        } texts[] = {{0, "ID_STATICTEXT18"}, {0, "ID_STATICTEXT19"}, {0, "ID_STATICTEXT21"},
                     {0, "ID_STATICTEXT24"}, {0, "ID_STATICTEXT22"}, {1, "ID_STATICTEXT25"},
                     {1, "ID_TEXTCTRL11"},   {1, "ID_TEXTCTRL8"},    {2, "ID_LISTVIEW1"},
                     {3, "ID_STATICTEXT14"}, {3, "ID_STATICTEXT15"}};
        for (const auto& text : texts) {
            ShowPage(text.page);
            wxWindow* window = Find<wxWindow>(text.name);
            RunEventLoopFor(100);
            wxRect area = window->GetScreenRect().Deflate(3);
            if (wxListCtrl* list = dynamic_cast<wxListCtrl*>(window)) {  // the first row
                ASSERT_TRUE(list->GetItemRect(0, area));
                area = wxRect(list->ClientToScreen(area.GetPosition()), area.GetSize()).Deflate(0, 2);
            }
            const double contrast = DrawnContrast(area);
            EXPECT_GE(contrast, MinimumContrast(window->GetFont())) << text.name;
        }
    }
};

class DarkDesktop : public ThemeTest {
protected:
    void SetUp() override
    {
        const char* theme = std::getenv("GTK_THEME");
        if (theme == nullptr || std::string(theme) != "Adwaita:dark")
            GTEST_SKIP() << "runs in a process started with GTK_THEME=Adwaita:dark";
        ThemeTest::SetUp();
    }
};

TEST_F(DarkDesktop, EveryColouredTextReads)
{
    StartAttached();
    ExpectEveryColouredTextReads();
}

// A light theme shows the headings in their own colours; a change to a dark
// theme while the window is open makes every text read again.
TEST_F(ThemeTest, LightKeepsTheHeadingsColoursAndAChangeToDarkReads)
{
    CreateFrame();
    ShowEveryPage();
    const struct {
        const char* name;
        wxColour colour;
    } headings[] = {{"ID_STATICTEXT18", wxColour(39, 34, 140)},
                    {"ID_STATICTEXT19", wxColour(160, 22, 44)},
                    {"ID_STATICTEXT25", wxColour(160, 22, 44)},
                    {"ID_STATICTEXT14", wxColour(64, 52, 165)},
                    {"ID_STATICTEXT15", wxColour(173, 12, 16)}};
    for (const auto& heading : headings)
        EXPECT_EQ(Find<wxWindow>(heading.name)->GetForegroundColour(), heading.colour) << heading.name;
    ExpectEveryColouredTextReads();

    g_object_set(gtk_settings_get_default(), "gtk-theme-name", "HighContrastInverse", nullptr);
    ASSERT_TRUE(WaitFor([] { return wxSystemSettings::GetAppearance().IsDark(); }, 2000));
    RunEventLoopFor(100);
    for (const auto& heading : headings)
        EXPECT_NE(Find<wxWindow>(heading.name)->GetForegroundColour(), heading.colour) << heading.name;
    ExpectEveryColouredTextReads();
}
