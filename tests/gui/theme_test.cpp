// The colours set on the texts the window colours, against their grounds, on the light theme and after a
// change to a dark one, and in a process started with GTK_THEME=Adwaita:dark (tests/CMakeLists.txt).
#include <gtk/gtk.h>
#include <wx/settings.h>

#include "stick_test_support.h"
#include "ui/widgets/theme_colours.h"

class ThemeTest : public StickFrameTest {
protected:
    // On the colour set on the text or the nearest window under it, else the theme's.
    void ExpectEveryColouredTextReads() const
    {
        for (const char* name :
             {"ID_STATICTEXT18", "ID_STATICTEXT19", "ID_STATICTEXT21", "ID_STATICTEXT24", "ID_STATICTEXT22",
              "ID_STATICTEXT25", "ID_TEXTCTRL11", "ID_TEXTCTRL8", "ID_STATICTEXT14", "ID_STATICTEXT15"}) {
            wxWindow* text = Find<wxWindow>(name);
            wxWindow* under = text;
            while (!under->UseBackgroundColour() && !under->IsTopLevel())
                under = under->GetParent();
            const wxColour ground = (under->UseBackgroundColour() ? under : text)->GetBackgroundColour();
            EXPECT_GE(ContrastRatio(text->GetForegroundColour(), ground), MinimumContrast(text->GetFont()))
                << name;
        }
    }
};

TEST_F(ThemeTest, EveryColouredTextReads)
{
    StartAttached();
    ShowEveryPage();
    ExpectEveryColouredTextReads();
    g_object_set(gtk_settings_get_default(), "gtk-theme-name", "HighContrastInverse", nullptr);
    ASSERT_TRUE(WaitFor([] { return wxSystemSettings::GetAppearance().IsDark(); }, 2000));
    ExpectEveryColouredTextReads();
}
