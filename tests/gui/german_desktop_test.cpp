// The program in a process started under a German desktop (LANG=de_DE.UTF-8,
// decimal comma): the diary's date and time and the texts' language follow
// it, the numbers do not. ctest runs this
// suite on its own with that environment; see tests/CMakeLists.txt.
#include <clocale>
#include <cstdlib>
#include <string>

#include <wx/button.h>
#include <wx/datetime.h>

#include "ui/pages/advanced_settings_page.h"
#include "gui_test_support.h"

namespace {

class GermanDesktop : public FrameTest {
protected:
    void SetUp() override
    {
        const char* lang = std::getenv("LANG");
        if (lang == nullptr || std::string(lang) != "de_DE.UTF-8")
            GTEST_SKIP() << "runs in a process started with LANG=de_DE.UTF-8";
        FrameTest::SetUp();
    }

    // Base frequency, base time period, slot frequency, time period per slot,
    // slot count, then one 1 or 0 per slot box.
    std::string Shown() const
    {
        std::string shown;
        for (const char* name :
             {"ID_TEXTCTRL11", "ID_TEXTCTRL7", "ID_TEXTCTRL12", "ID_TEXTCTRL9", "ID_TEXTCTRL8"})
            shown += Find<wxTextCtrl>(name)->GetValue().utf8_string() + " ";
        for (int i = 0; i < AdvancedPage().Slots().count; ++i)
            shown += AdvancedPage().Slots().boxes[i]->GetValue() ? '1' : '0';
        return shown;
    }
};

TEST_F(GermanDesktop, NumbersKeepTheirPointWhileDateAndLanguageFollowTheDesktop)
{
    CreateFrame();
    EXPECT_STREQ(std::setlocale(LC_TIME, nullptr), "de_DE.UTF-8") << "is the locale installed?";
    EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), "de_DE.UTF-8");
    for (int category : {LC_NUMERIC, LC_CTYPE, LC_COLLATE, LC_MONETARY})
        EXPECT_STREQ(std::setlocale(category, nullptr), "C") << "category " << category;

    Enter(Find<wxTextCtrl>("ID_TEXTCTRL8"), "6");
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL11"), "3");
    for (int slot : {0, 2, 5})
        Toggle(AdvancedPage().Slots().boxes[slot], true);
    const std::string shown = "3.000000 0.333333 18.000000 0.055556 6 101001";
    EXPECT_EQ(Shown(), shown);

    ShowPage(2);
    Click(Find<wxButton>("ID_BUTTON13"));  // a new diary entry
    const wxString date = Find<wxTextCtrl>("ID_TEXTCTRL2")->GetValue();
    EXPECT_TRUE(date == wxDateTime::Today().Format("%d.%m.%Y")) << date;

    CloseFrame();
    EXPECT_EQ(ReadWorkFile("AdvancedSettings.xml"),
              ReadWholeFile(VITREL_TEST_DATA "/pattern_expected_AdvancedSettings.xml"));
    CreateFrame();
    EXPECT_EQ(Shown(), shown);
}

// The comma is the decimal key of this desktop: typed, it is the point.
TEST_F(GermanDesktop, ATypedCommaIsTheDecimalPoint)
{
    CreateFrame();
    ShowPage(1);
    wxTextCtrl* base = Find<wxTextCtrl>("ID_TEXTCTRL11");
    TypeKeys(base, "2,5", 0);
    EXPECT_EQ(base->GetValue(), "2.5");
    TypeKeys(base, "", WXK_TAB, false);
    EXPECT_EQ(Shown(), "2.500000 0.400000 25.000000 0.040000 10 0000000000");
}

}  // namespace
