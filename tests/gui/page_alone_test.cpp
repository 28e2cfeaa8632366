// A page on its own in a bare frame: no main window, no stick, no device
// timer and no diary. What its handlers do is called directly.
#include <string>
#include <vector>

#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/diary_page.h"
#include "device/instruction.h"
#include "gui_test_support.h"
#include "treatments/stick_programme.h"

namespace {

class PageAlone : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        bare = new wxFrame(nullptr, wxID_ANY, "bare");
        page = new AdvancedSettingsPage(bare);
        page->CreateContent();
    }
    void TearDown() override
    {
        delete bare;
        FrameTest::TearDown();
    }

    wxTextCtrl* Field(const char* name) const
    {
        return dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, bare));
    }
    // Base frequency, base time period, slot frequency, time period per slot
    // and slot count, as shown; then one character per slot box.
    std::string Shown() const
    {
        std::string shown;
        for (const char* name :
             {"ID_TEXTCTRL11", "ID_TEXTCTRL7", "ID_TEXTCTRL12", "ID_TEXTCTRL9", "ID_TEXTCTRL8"})
            shown += Field(name)->GetValue().utf8_string() + " ";
        for (int i = 0; i < page->Slots().count; ++i)
            shown += page->Slots().boxes[i]->GetValue() ? '1' : '0';
        return shown;
    }

    wxFrame* bare = nullptr;
    AdvancedSettingsPage* page = nullptr;
};

TEST_F(PageAlone, AdvancedSettingsTakesOneFieldAndDerivesTheOthers)
{
    enum class Action { BaseFrequency, BaseTimePeriod, SlotCountEnter, SlotCountLeft };
    const struct {
        const char* field;
        const char* typed;
        Action action;
        const char* shown;
    } cases[] = {
        {"ID_TEXTCTRL11", "2", Action::BaseFrequency, "2.000000 0.500000 20.000000 0.050000 10 0000000000"},
        {"ID_TEXTCTRL7", "0.25", Action::BaseTimePeriod,
         "4.000000 0.250000 40.000000 0.025000 10 0000000000"},
        // Not a number above zero: the field returns to its value.
        {"ID_TEXTCTRL11", "0", Action::BaseFrequency, "1.000000 1.000000 10.000000 0.100000 10 0000000000"},
        {"ID_TEXTCTRL7", "-1", Action::BaseTimePeriod, "1.000000 1.000000 10.000000 0.100000 10 0000000000"},
        {"ID_TEXTCTRL8", "4", Action::SlotCountEnter, "1.000000 1.000000 4.000000 0.250000 4 0000"},
        // Leaving the field rebuilds the boxes once the focus has moved.
        {"ID_TEXTCTRL8", "3", Action::SlotCountLeft, "1.000000 1.000000 3.000000 0.333333 3 000"},
        {"ID_TEXTCTRL8", "", Action::SlotCountEnter, "1.000000 1.000000 10.000000 0.100000 10 0000000000"},
    };
    for (const auto& c : cases) {
        FiringPattern start;  // the start pattern again
        start.NumberOfSlots = 10;
        start.BaseFrequency = 1.0;
        page->ShowTreatment(start);
        Field(c.field)->ChangeValue(c.typed);
        switch (c.action) {
            case Action::BaseFrequency:
                page->TakeBaseFrequency();
                break;
            case Action::BaseTimePeriod:
                page->TakeBaseTimePeriod();
                break;
            case Action::SlotCountEnter:
                page->TakeSlotCount();
                break;
            case Action::SlotCountLeft:
                page->LeaveSlotCount();
                page->FinishPendingSlotRebuild();
                break;
        }
        EXPECT_EQ(Shown(), c.shown) << c.field << " " << c.typed;
    }
}

TEST_F(PageAlone, AdvancedSettingsShowsATreatmentAndAProgrammeReadBack)
{
    FiringPattern treatment;
    treatment.NumberOfSlots = 3;
    treatment.BaseFrequency = 5.0;
    treatment.Slot[0] = 1;
    treatment.Slot[2] = 1;
    page->ShowTreatment(treatment);
    EXPECT_EQ(Shown(), "5.000000 0.200000 15.000000 0.066667 3 101");
    EXPECT_TRUE(page->ShowsOnePattern());
    EXPECT_EQ(SlotStateBytes(page->WorkingPattern()), (std::vector<unsigned char> {SlotOn, SlotOff, SlotOn}));

    const unsigned char states[] = {SlotOff, SlotOn};
    page->ShowProgrammeRead(0.5, 2, states);
    EXPECT_EQ(Shown(), "2.000000 0.500000 4.000000 0.250000 2 01");
}

// Shown a second after the start, the Diary page bears the start's moment.
TEST_F(PageAlone, ADiaryPageShownLateIsStampedWithTheStart)
{
    DiaryPage* diary = new DiaryPage(bare);
    const wxString before = wxDateTime::Now().Format("%X");
    diary->ReadAtStart(WorkPath("DiaryHistoryDB.xml").c_str());
    const wxString after = wxDateTime::Now().Format("%X");
    wxMilliSleep(1100);
    diary->CreateContent();
    EXPECT_TRUE(Field("ID_TEXTCTRL3")->GetValue() == before || Field("ID_TEXTCTRL3")->GetValue() == after);
}

}  // namespace
