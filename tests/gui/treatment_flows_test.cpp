// The Treatments page and the programming flows against the real window and
// the simulated stick: what reaches the stick is checked byte for byte, both
// as write calls and as frames the stick received.
#include <algorithm>
#include <functional>
#include <sstream>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/listctrl.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>

#include <tinyxml2.h>

#include "diary/diary_file.h"
#include "ui/pages/treatments_page.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/widgets/pattern_preview_control.h"
#include "stick_test_support.h"

namespace {

struct TestTreatment {
    std::string title;
    int spot;
    double baseFrequency;
    std::vector<int> slots;
};

std::string CatalogueXml(const std::vector<TestTreatment>& treatments)
{
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VitrelTreatmentsList>\n";
    for (const TestTreatment& t : treatments) {
        xml << "<Treatment><Title>" << t.title << "</Title><Description>About " << t.title
            << "</Description><BodySpot>" << t.spot << "</BodySpot><BaseFrequency>" << t.baseFrequency
            << "</BaseFrequency><NumberOfSlots>" << t.slots.size() << "</NumberOfSlots>";
        for (int slot : t.slots)
            xml << "<Slot>" << slot << "</Slot>";
        xml << "</Treatment>\n";
    }
    xml << "</VitrelTreatmentsList>\n";
    return xml.str();
}

std::vector<int> Alternating(int count)
{
    std::vector<int> slots;
    for (int i = 0; i < count; ++i)
        slots.push_back(i % 2 == 0 ? 1 : 0);
    return slots;
}

// Slot-timer frames worked out by hand: a = 2 x slot frequency (through the
// frequency table), count = 4,000,000 / (a x prescaler x 4) truncated,
// reload = 65535 - count, sent low byte first.
// 10 Hz, identity table: a = 20, sel 0 (prescaler 2), count 25000, reload 0x9E57.
const char* const TimerAt10Hz = "00 07 57 9E 00 FF";
// 300 Hz: a = 600, count 833, reload 64702 = 0xFCBE.
const char* const TimerAt300Hz = "00 07 BE FC 00 FF";
// 250 Hz: a = 500, count 1000, reload 64535 = 0xFC17.
const char* const TimerAt250Hz = "00 07 17 FC 00 FF";

// The SetSlotPattern frame of Alternating(count): 01 02 01 02 ...
std::string AlternatingPatternFrame(int count)
{
    std::string frame = "00 08";
    for (int i = 0; i < count; ++i)
        frame += i % 2 == 0 ? " 01" : " 02";
    return frame + " FF";
}

}  // namespace

class TreatmentFlows : public StickFrameTest {
protected:
    void WriteCatalogue(const std::vector<TestTreatment>& treatments)
    {
        WriteWorkFile("VitrelTreatmentsList.xml", CatalogueXml(treatments));
    }

    wxString Title() const { return Find<wxStaticText>("ID_STATICTEXT24")->GetLabel(); }
    wxString Field(const char* name) const { return Find<wxTextCtrl>(name)->GetValue(); }

    std::vector<bool> BoxStates() const
    {
        std::vector<bool> states;
        for (int i = 0; i < AdvancedPage().Slots().count; ++i)
            states.push_back(AdvancedPage().Slots().boxes[i]->GetValue());
        return states;
    }

    // The write calls of the flows: not the monitor's polls, nor the
    // Identify and QueryBeeper of a re-probe on a busy machine.
    std::vector<std::string> ProgrammingWrites() const
    {
        std::vector<std::string> calls;
        for (const WriteCall& call : Writes())
            if (call.hex != "00 0B FF" && call.hex != "00 0C FF" && call.hex != "00 11 FF")
                calls.push_back(call.hex);
        return calls;
    }
};

TEST_F(TreatmentFlows, SpotFilterListsItsRecordsAndADoubleClickPicksTheRecordOnThatRow)
{
    // Not ordered by spot: row k of a filtered list is not record k.
    WriteCatalogue({{"Neck one", 3, 4, {1}},
                    {"General A", 0, 1, {1}},
                    {"General B", 0, 2, {1}},
                    {"Shoulder", 1, 3, {1}},
                    {"Neck two", 3, 5, {1}}});
    CreateFrame();
    wxListBox* list = Find<wxListBox>("ID_LISTBOX1");
    EXPECT_EQ(list->GetCount(), 5u);
    EXPECT_EQ(list->GetSelection(), 0);
    EXPECT_EQ(Title(), "Neck one");
    EXPECT_EQ(Field("ID_TEXTCTRL13"), "About Neck one");

    SelectChoice("ID_CHOICE1", 4);  // "Spot 3"
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->GetString(0), "Neck one");
    EXPECT_EQ(list->GetString(1), "Neck two");
    DoubleClickRow(1);
    EXPECT_EQ(frame->Treatments().SelectedTreatment(), 4);
    EXPECT_EQ(Title(), "Neck two");
    EXPECT_EQ(Field("ID_TEXTCTRL13"), "About Neck two");

    // Another filter keeps the pick on show and in use.
    SelectChoice("ID_CHOICE1", 1);
    EXPECT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(frame->Treatments().SelectedTreatment(), 4);
    EXPECT_EQ(Title(), "Neck two");
    EXPECT_EQ(frame->Treatments().SpotFilter(), 1);

    SelectChoice("ID_CHOICE1", 0);
    DoubleClickRow(3);
    EXPECT_EQ(Title(), "Shoulder");
    SelectChoice("ID_CHOICE1", 25);
    EXPECT_EQ(list->GetCount(), 0u);
}

TEST_F(TreatmentFlows, ApplyCopiesThePatternOntoTheAdvancedSettingsPage)
{
    WriteCatalogue({{"Twelve", 0, 2, {1, 0, 1, 1, 0, 0, 1, 2, 0, 1, 1, 1}},
                    {"Ten", 0, 3, {0, 1, 0, 1, 0, 1, 0, 1, 0, 1}}});
    CreateFrame();
    wxTEST_DIALOG(
        Click(Find<wxButton>("ID_BUTTON10")),
        MessageAnswer(wxID_OK, "Would you like to apply treatment settings?", "Treatment Settings"));
    EXPECT_EQ(Field("ID_TEXTCTRL11"), "2.000000");
    EXPECT_EQ(Field("ID_TEXTCTRL8"), "12");
    EXPECT_EQ(Field("ID_TEXTCTRL7"), "0.500000");
    EXPECT_EQ(Field("ID_TEXTCTRL12"), "24.000000");
    EXPECT_EQ(Field("ID_TEXTCTRL9"), "0.041667");
    EXPECT_EQ(BoxStates(), (std::vector<bool> {true, false, true, true, false, false, true, false, false,
                                               true, true, true}));

    // 12 boxes to 10, then the same count again: the boxes are kept and
    // every state rewritten.
    DoubleClickRow(1);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
    ASSERT_EQ(AdvancedPage().Slots().count, 10);
    const std::vector<bool> ten = {false, true, false, true, false, true, false, true, false, true};
    EXPECT_EQ(BoxStates(), ten);
    const wxCheckBox* firstBox = AdvancedPage().Slots().boxes[0];
    AdvancedPage().Slots().boxes[0]->SetValue(true);
    AdvancedPage().Slots().boxes[1]->SetValue(false);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
    EXPECT_EQ(AdvancedPage().Slots().boxes[0], firstBox);
    EXPECT_EQ(BoxStates(), ten);
}

// A treatment written from either page: the Treatments page sends both frames
// in one write, the Advanced Settings page (after Apply) in two.
struct WriteCase {
    const char* name;
    bool fromTreatmentsPage;
    TestTreatment treatment;
    std::string timerFrame;
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.name;
}

class WriteTreatment : public TreatmentFlows, public testing::WithParamInterface<WriteCase> { };

TEST_P(WriteTreatment, SendsTheTimerAndThePatternFrames)
{
    const WriteCase& c = GetParam();
    WriteCatalogue({c.treatment});
    StartAttached();
    const char* writeButton = c.fromTreatmentsPage ? "ID_BUTTON9" : "ID_BUTTON4";
    if (!c.fromTreatmentsPage) {
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
        ClearWrites();
    }
    wxTEST_DIALOG(Click(Find<wxButton>(writeButton)),
                  MessageAnswer(wxID_OK, "Do you want to set Vitrel device treatment parameters?",
                                "Program Vitrel Device"));
    const std::string pattern = AlternatingPatternFrame(static_cast<int>(c.treatment.slots.size()));
    // Then the read-back of what was written.
    const std::vector<std::string> expected =
        c.fromTreatmentsPage ? std::vector<std::string> {c.timerFrame + " " + pattern, "00 12 FF"}
                             : std::vector<std::string> {c.timerFrame, pattern, "00 12 FF"};
    EXPECT_EQ(ProgrammingWrites(), expected);
    EXPECT_TRUE(WaitForReceived(pattern, 1, 1000));
    EXPECT_EQ(CountReceived(c.timerFrame), 1);
}

INSTANTIATE_TEST_SUITE_P(
    TreatmentFlows, WriteTreatment,
    testing::Values(WriteCase {"TreatmentsPage", true, {"Two", 0, 5, Alternating(2)}, TimerAt10Hz},
                    WriteCase {"AdvancedPage", false, {"Two", 0, 5, Alternating(2)}, TimerAt10Hz},
                    // Exactly at the 300 Hz limit: 30 Hz x 10 slots.
                    WriteCase {"TreatmentsPageAt300Hz", true, {"Ten", 0, 30, Alternating(10)}, TimerAt300Hz},
                    WriteCase {"AdvancedPageAt300Hz", false, {"Ten", 0, 30, Alternating(10)}, TimerAt300Hz},
                    // 6 + 253 bytes in one write.
                    WriteCase {
                        "TreatmentsPage250Slots", true, {"Full", 0, 1, Alternating(250)}, TimerAt250Hz}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST_F(TreatmentFlows, SlotFrequencyAbove300HertzIsRefusedOnBothPages)
{
    WriteCatalogue({{"Over", 0, 30.5, Alternating(10)}});
    StartAttached();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, "Maximum for slot frequency is 300Hz, please correct parameters!",
                                "Program Vitrel Device"));
    EXPECT_TRUE(ProgrammingWrites().empty());
    // The refused treatment stays on the Advanced Settings page.
    EXPECT_EQ(Field("ID_TEXTCTRL11"), "30.500000");
    EXPECT_EQ(Field("ID_TEXTCTRL12"), "305.000000");

    // The Advanced Settings page refuses it too, before anything is sent.
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, "Maximum for slot frequency is 300Hz, please correct parameters!",
                                "Program Vitrel Device"));
    EXPECT_TRUE(ProgrammingWrites().empty());
}

TEST_F(TreatmentFlows, AdvancedWriteSendsOnlyThePatternThePageShows)
{
    StartAttached();
    // The start pattern: ten silent slots at 1 Hz, a slot frequency of 10 Hz.
    EXPECT_EQ(Field("ID_TEXTCTRL12"), "10.000000");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK));
    EXPECT_EQ(ProgrammingWrites(),
              (std::vector<std::string> {TimerAt10Hz, "00 08 02 02 02 02 02 02 02 02 02 02 FF", "00 12 FF"}));
    ClearWrites();

    // Field texts that were not taken (typed, not yet confirmed) or that do
    // not make one pattern send nothing.
    const struct {
        const char* field;
        const char* text;
    } cases[] = {{"ID_TEXTCTRL11", "-"},        {"ID_TEXTCTRL11", "0"}, {"ID_TEXTCTRL11", "7"},
                 {"ID_TEXTCTRL8", "12"},        {"ID_TEXTCTRL8", ""},   {"ID_TEXTCTRL12", ""},
                 {"ID_TEXTCTRL12", "10.000006"}};
    for (const auto& c : cases) {
        wxTextCtrl* field = Find<wxTextCtrl>(c.field);
        const wxString before = field->GetValue();
        field->ChangeValue(c.text);
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK),
                      MessageAnswer(wxID_OK,
                                    "Nothing was written to the stick, because the Advanced Settings "
                                    "fields do not show one complete pattern: Base Frequency must be a "
                                    "number above zero, Number of Slots a whole number from 1 to 250 "
                                    "with as many slot boxes, and Slot Frequency must be Base Frequency "
                                    "times Number of Slots. Press Enter in the field you changed, check "
                                    "the values and try again.",
                                    "Program Vitrel Device"));
        field->ChangeValue(before);
    }
    EXPECT_TRUE(ProgrammingWrites().empty());
}

TEST_F(TreatmentFlows, AProgrammeReadBackShowsItsSlotFrequencyAsWrittenAndCanBeWrittenAgain)
{
    StartAttached({"--programme", "57 9E 00 01 02 01"});  // 10 Hz, three slots
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK));
    ASSERT_TRUE(WaitFor([&] { return Field("ID_TEXTCTRL8") == "3"; }, 1000));
    EXPECT_EQ(Field("ID_TEXTCTRL12"), "10.000000");
    EXPECT_EQ(Field("ID_TEXTCTRL11"), "3.333333");
    EXPECT_EQ(Field("ID_TEXTCTRL7"), "0.300000");
    EXPECT_EQ(Field("ID_TEXTCTRL9"), "0.100000");
    ClearWrites();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK));
    EXPECT_EQ(ProgrammingWrites(), (std::vector<std::string> {TimerAt10Hz, "00 08 01 02 01 FF", "00 12 FF"}));
}

TEST_F(TreatmentFlows, AWriteRightAfterLeavingNumberOfSlotsSendsTheNewCount)
{
    StartAttached();
    wxTextCtrl* count = Find<wxTextCtrl>("ID_TEXTCTRL8");
    count->ChangeValue("4");
    // The focus moves to the button: the field is left, and the click comes
    // before anything that leaving set off afterwards.
    wxFocusEvent leave(wxEVT_KILL_FOCUS, count->GetId());
    leave.SetEventObject(count);
    count->GetEventHandler()->ProcessEvent(leave);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK));
    const std::vector<std::string> writes = ProgrammingWrites();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[1], "00 08 02 02 02 02 FF");
    EXPECT_EQ(AdvancedPage().Slots().count, 4);
    RunEventLoopFor(50);
    EXPECT_EQ(AdvancedPage().Slots().count, 4);
}

TEST_F(TreatmentFlows, TurnOffBeeperAndReadSendTheirFrames)
{
    StartAttached({"--programme", "57 9E 00 01 01 02"});
    wxTEST_DIALOG(
        Click(Find<wxButton>("ID_BUTTON5")),
        MessageAnswer(wxID_OK, "Do you want to read program from Vitrel device?", "Read Vitrel Device"));
    // The stick's programme shows on a later tick.
    EXPECT_TRUE(WaitFor([&] { return Field("ID_TEXTCTRL8") == "3"; }, 1000));
    EXPECT_EQ(Field("ID_TEXTCTRL7"), "0.300000");
    EXPECT_EQ(BoxStates(), (std::vector<bool> {true, true, false}));

    wxTEST_DIALOG(
        Click(Find<wxButton>("ID_BUTTON15")),
        MessageAnswer(wxID_OK, "Would you like to turn of magnetic field generation?", "Turn Off Device"));
    Toggle(Find<wxCheckBox>("ID_CHECKBOX1"), true);
    Toggle(Find<wxCheckBox>("ID_CHECKBOX1"), false);
    EXPECT_EQ(ProgrammingWrites(),
              (std::vector<std::string> {"00 12 FF", "00 08 02 FF 00 0E FF", "00 0F FF", "00 10 FF"}));
    EXPECT_TRUE(WaitForReceived("00 10 FF", 1, 1000));
    EXPECT_EQ(CountReceived("00 0E FF"), 1);
    EXPECT_EQ(CountReceived("00 0F FF"), 1);
}

TEST_F(TreatmentFlows, CancelOnEveryQuestionSendsAndChangesNothing)
{
    WriteCatalogue({{"Four", 0, 2, {1, 1, 0, 1}}});
    StartAttached();
    const wxString slotsBefore = Field("ID_TEXTCTRL8");
    for (const char* button : {"ID_BUTTON10", "ID_BUTTON9", "ID_BUTTON4", "ID_BUTTON5", "ID_BUTTON15"}) {
        SCOPED_TRACE(button);
        wxTEST_DIALOG(Click(Find<wxButton>(button)), MessageAnswer(wxID_CANCEL));
    }
    EXPECT_TRUE(ProgrammingWrites().empty());
    EXPECT_EQ(Field("ID_TEXTCTRL8"), slotsBefore);
    EXPECT_EQ(AdvancedPage().Slots().count, 10);
}

TEST_F(TreatmentFlows, WithoutAStickWritesAndReadsSaySoAndTheTreatmentIsStillApplied)
{
    WriteCatalogue({{"Four", 0, 2, {1, 1, 0, 1}}});
    CreateFrame();
    ClearWrites();
    const char* const nothingWritten =
        "No Vitrel stick is attached, so nothing was written to it. Plug the stick in, wait until "
        "\"Device Attached\" shows and try again.";
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, nothingWritten, "Program Vitrel Device"));
    EXPECT_EQ(Field("ID_TEXTCTRL8"), "4");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, nothingWritten, "Program Vitrel Device"));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK,
                                "No Vitrel stick is attached, so nothing was read from it. Plug the "
                                "stick in, wait until \"Device Attached\" shows and try again.",
                                "Read Vitrel Device"));
    // The monitor's first tick disables them.
    EXPECT_TRUE(WaitFor([&] { return !Find<wxButton>("ID_BUTTON15")->IsEnabled(); }, 1000));
    EXPECT_FALSE(Find<wxCheckBox>("ID_CHECKBOX1")->IsEnabled());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(TreatmentFlows, AWriteTheStickDoesNotTakeSaysSo)
{
    WriteCatalogue({{"Four", 0, 2, {1, 1, 0, 1}}});
    StartAttached();
    // Gone, but not yet noticed by the monitor: the port's writes fail.
    ASSERT_TRUE(stick->Command("unplug"));
    const char* const failed =
        "Writing to the Vitrel stick failed: it did not take everything that was sent. Check that "
        "it is plugged in and try again.";
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, failed, "Program Vitrel Device"));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, failed, "Program Vitrel Device"));
    // Both stop at the first failed write: no read-back is asked for.
    EXPECT_EQ(ProgrammingWrites().size(), 2u);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(1), "");
}

// A treatments list that is there but gives no treatment is named, with why,
// once the window shows; the list stays empty.
TEST_F(TreatmentFlows, ACatalogueThatGivesNoTreatmentIsNamedWithTheReason)
{
    const struct {
        const char* content;
        const char* why;  // the notice after the file's path
    } cases[] = {
        {"not XML at all", "could not be read: it is not a well-formed XML file."},
        {"<VitrelAdvancedSettings><BaseFrequency>1</BaseFrequency><NumberOfSlots>1</NumberOfSlots>"
         "<Slot>1</Slot></VitrelAdvancedSettings>",
         "could not be used: it is not a treatments list (it has no VitrelTreatmentsList element), for "
         "example an exported pattern saved over it."},
        {"<VitrelTreatmentsList><Treatment><Title>No pattern</Title></Treatment></VitrelTreatmentsList>",
         "holds no treatment that can be used."},
        {"", "could not be read: it is not a well-formed XML file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        WriteWorkFile("VitrelTreatmentsList.xml", c.content);
        const wxString notice = "The treatments list \""
                                + wxString::FromUTF8(WorkPath("VitrelTreatmentsList.xml")) + "\" " + c.why
                                + " The list of treatments stays empty.";
        wxTEST_DIALOG(CreateFrame(), MessageAnswer(wxID_OK, notice, "Treatments List"));
        EXPECT_EQ(Find<wxListBox>("ID_LISTBOX1")->GetCount(), 0u);
        CloseFrame();
    }
    // A usable list says nothing.
    WriteCatalogue({{"One", 0, 2, {1}}});
    CreateFrame();
    RunEventLoopFor(50);
    EXPECT_EQ(Find<wxListBox>("ID_LISTBOX1")->GetCount(), 1u);
}

// The list highlights the treatment shown below it whenever the list holds
// it; a row highlighted by a single click that is not the one shown is
// pointed out, and the one shown stays the one used.
TEST_F(TreatmentFlows, TheListHighlightsTheShownTreatmentAndSaysWhenTheyDiffer)
{
    WriteCatalogue({{"General", 0, 2, {1}}, {"Shoulder A", 3, 3, {1, 0}}, {"Shoulder B", 3, 4, {1, 1, 0}}});
    CreateFrame();
    wxListBox* list = Find<wxListBox>("ID_LISTBOX1");
    wxStaticText* hint = Find<wxStaticText>("ID_STATICTEXT41");
    const wxString differs =
        "Double-click a treatment to show it. Apply and Write Vitrel use the one shown below.";
    const auto singleClick = [&](int row) {
        list->SetSelection(row);
        wxCommandEvent event(wxEVT_LISTBOX, list->GetId());
        event.SetEventObject(list);
        event.SetInt(row);
        list->GetEventHandler()->ProcessEvent(event);
    };
    const struct {
        std::function<void()> act;
        int selection;  // the highlighted row
        const char* shown;
        bool pointedOut;
    } steps[] = {
        {[] {}, 0, "General", false},
        {[&] { SelectChoice("ID_CHOICE1", 4); }, wxNOT_FOUND, "General", false},  // Spot 3
        {[&] { singleClick(1); }, 1, "General", true},
        {[&] { DoubleClickRow(1); }, 1, "Shoulder B", false},
        {[&] { SelectChoice("ID_CHOICE1", 0); }, 2, "Shoulder B", false},  // All
        {[&] { singleClick(0); }, 0, "Shoulder B", true},
        {[&] { singleClick(2); }, 2, "Shoulder B", false},
    };
    int step = 0;
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(list->GetSelection(), s.selection) << "step " << step;
        EXPECT_EQ(Title(), s.shown) << "step " << step;
        EXPECT_EQ(hint->GetLabel(), s.pointedOut ? differs : wxString()) << "step " << step;
        ++step;
    }
    // Apply uses the treatment shown, not the highlighted row.
    singleClick(0);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
    EXPECT_EQ(Field("ID_TEXTCTRL8"), "3");
}

TEST_F(TreatmentFlows, EmptyCatalogueShowsADashAndApplyChangesNothing)
{
    WriteCatalogue({});
    wxTEST_DIALOG(CreateFrame(), MessageAnswer(wxID_OK));
    EXPECT_EQ(Title(), "-");
    EXPECT_EQ(Field("ID_TEXTCTRL13"), "");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK));
    EXPECT_EQ(Field("ID_TEXTCTRL8"), "10");
    EXPECT_TRUE(Writes().empty());
}

TEST_F(TreatmentFlows, AHugeDescriptionIsShownCutToTwentyThousandCharacters)
{
    // Single lines of 4 MB, of words and without any white space: laid out
    // whole, they stall start-up for seconds.
    const std::string words = "lorem ipsum dolor sit amet ";
    std::string text;
    while (text.size() < (4u << 20))
        text += words;
    for (const std::string& description : {text, std::string(4 << 20, 'd')}) {
        WriteWorkFile(
            "VitrelTreatmentsList.xml",
            "<VitrelTreatmentsList><Treatment><Title>" + std::string(300, 'T') + "</Title><Description>"
                + description
                + "</Description><BodySpot>0</BodySpot><BaseFrequency>2</BaseFrequency>"
                  "<NumberOfSlots>1</NumberOfSlots><Slot>1</Slot></Treatment></VitrelTreatmentsList>");
        CreateFrame();
        EXPECT_EQ(Title(), wxString(200, 'T'));
        // 199 zero-width spaces break the run without white space.
        EXPECT_EQ(Field("ID_TEXTCTRL13").length(), description[0] == 'd' ? 20199u : 20000u);
        CloseFrame();
    }
}

TEST_F(TreatmentFlows, FrequencyTableCorrectsTheWriteAndTheReadBack)
{
    // 10 Hz falls in the middle segment: 6 + (30 - 6) / (20 - 5) x (10 - 5) = 14 Hz
    // on the stick's side, so a = 28, count 17857, reload 47678 = 0xBA3E.
    WriteWorkFile("VitrelFrequencyMeasurement.csv", "1,1\n5,6\n20,30\n1000,1000\n");
    WriteCatalogue({{"Five", 0, 2, {1, 1, 0, 0, 1}}});
    StartAttached();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK));
    EXPECT_EQ(ProgrammingWrites(),
              (std::vector<std::string> {"00 07 3E BA 00 FF 00 08 01 01 02 02 01 FF", "00 12 FF"}));
    ASSERT_TRUE(WaitForReceived("00 08 01 01 02 02 01 FF", 1, 1000));

    // Scramble the page, then read the stick's programme back: 17857 counts
    // are 14.000112 Hz on the stick, 5 + 15 / 24 x 8.000112 = 10.000070 Hz for
    // the user, so the base time period is 5 / 10.000070.
    Find<wxTextCtrl>("ID_TEXTCTRL8")->SetValue("4");
    AdvancedPage().RefreshSlotPattern();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK));
    ASSERT_TRUE(WaitFor([&] { return Field("ID_TEXTCTRL8") == "5"; }, 1000));
    EXPECT_EQ(Field("ID_TEXTCTRL7"), "0.499996");
    EXPECT_EQ(BoxStates(), (std::vector<bool> {true, true, false, false, true}));
}

TEST_F(TreatmentFlows, TreatmentsPreviewShowsThePickedTreatmentNotTheHighlightedRow)
{
    WriteCatalogue({{"Two", 0, 5, {1, 0}}, {"Three", 3, 4, {0, 1, 1}}});
    CreateFrame();
    const PatternPreviewControl* preview = Find<PatternPreviewControl>("ID_PATTERNPREVIEW1");
    EXPECT_EQ(preview->Pattern().NumberOfSlots, 2);
    EXPECT_EQ(preview->Pattern().BaseFrequency, 5);

    // A single click only highlights: Write would still send "Two".
    wxListBox* list = Find<wxListBox>("ID_LISTBOX1");
    list->SetSelection(1);
    wxCommandEvent click(wxEVT_LISTBOX, list->GetId());
    click.SetEventObject(list);
    click.SetInt(1);
    list->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(preview->Pattern().NumberOfSlots, 2);

    DoubleClickRow(1);
    EXPECT_EQ(preview->Pattern().NumberOfSlots, 3);
    EXPECT_EQ(preview->Pattern().Slot[0], 0);
    EXPECT_EQ(preview->Pattern().Slot[2], 1);
    SelectChoice("ID_CHOICE1", 1);  // another filter keeps the pick
    EXPECT_EQ(preview->Pattern().NumberOfSlots, 3);
}

TEST_F(TreatmentFlows, AdvancedSettingsPreviewFollowsFieldsAndBoxes)
{
    WriteCatalogue({{"Twelve", 0, 2, {1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 1}}});
    CreateFrame();
    Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(1);
    const PatternPreviewControl* preview = Find<PatternPreviewControl>("ID_PATTERNPREVIEW2");
    EXPECT_TRUE(WaitFor([&] { return preview->Pattern().NumberOfSlots == 10; }, 1000));

    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
    EXPECT_TRUE(WaitFor([&] { return preview->Pattern().NumberOfSlots == 12; }, 1000));
    EXPECT_EQ(preview->Pattern().BaseFrequency, 2);
    Toggle(AdvancedPage().Slots().boxes[1], true);
    EXPECT_TRUE(WaitFor([&] { return preview->Pattern().Slot[1] == 1; }, 1000));
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL11"), "2.5");
    EXPECT_TRUE(WaitFor([&] { return preview->Pattern().BaseFrequency == 2.5; }, 1000));
}

// The read-back after a write, from the Treatments page (ID_BUTTON9) and from
// the Advanced Settings page (ID_BUTTON4).
class ProgrammeReadBack : public TreatmentFlows, public testing::WithParamInterface<const char*> {
protected:
    static constexpr const char* NotConfirmed =
        "The Vitrel stick did not confirm the programme that was written to it. Please write the "
        "programme again.";

    // A 3 Hz treatment for spot 3 on the page and a stick with `options`.
    void Prepare(const std::vector<std::string>& options = {})
    {
        WriteCatalogue({{"Three hertz", 3, 3, Alternating(10)}});
        StartAttached(options);
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON10")), MessageAnswer(wxID_OK));
    }

    // Writes from the page under test, runs `rightAfterWrite` before any
    // reply can be handled, and runs the event loop until the outcome is in.
    // The question is answered, and `notice` is the only other box allowed
    // (none when null). Returns the milliseconds waited.
    long WriteAndWait(const char* notice, const std::function<void()>& rightAfterWrite = {})
    {
        wxStopWatch watch;
        auto writeAndWait = [&] {
            Click(Find<wxButton>(GetParam()));
            if (rightAfterWrite)
                rightAfterWrite();
            EXPECT_EQ(Outcome(), "Checking the programme on the stick...");
            EXPECT_TRUE(WaitFor([&] { return !Outcome().StartsWith("Checking"); }, 5000));
            RunEventLoopFor(300);  // the notice follows the outcome
        };
        if (notice) {
            wxTEST_DIALOG(writeAndWait(), MessageAnswer(wxID_OK),
                          MessageAnswer(wxID_OK, notice, "Program Vitrel Device"));
        } else {
            wxTEST_DIALOG(writeAndWait(), MessageAnswer(wxID_OK));
        }
        return watch.Time();
    }

    wxString Outcome() const { return frame->GetStatusBar()->GetStatusText(1); }
    std::vector<DiaryEntry> DiaryEntries() const
    {
        tinyxml2::XMLDocument doc;
        LoadHistory(doc, WorkPath("DiaryHistoryDB.xml").c_str());
        return ReadHistoryEntries(doc);
    }
};

TEST_P(ProgrammeReadBack, AFaithfulStickConfirmsAndTheCheckLeavesThePageAlone)
{
    Prepare();
    SelectChoice("ID_CHOICE1", 6);  // Spot 5: the list narrowed after the treatment was picked
    const int readsBefore = CountReceived("00 12 FF");  // the attach asks for the programme too
    // Changed after the write, before the reply is handled: a reply put on
    // the page would undo it.
    WriteAndWait(nullptr, [&] { AdvancedPage().Slots().boxes[1]->SetValue(true); });
    EXPECT_TRUE(Outcome().StartsWith("Programme written and checked, ")) << Outcome();
    EXPECT_EQ(CountReceived("00 12 FF"), readsBefore + 1);
    EXPECT_TRUE(AdvancedPage().Slots().boxes[1]->GetValue());
    EXPECT_EQ(Field("ID_TEXTCTRL11"), "3.000000");
    // Noted in the diary as written, not as the page shows it now: the
    // treatment's own spot (none for a custom pattern), the port as "On the
    // stick" names it.
    const std::vector<DiaryEntry> notes = DiaryEntries();
    ASSERT_EQ(notes.size(), 1u);
    const bool treatment = std::string(GetParam()) == "ID_BUTTON9";
    EXPECT_EQ(notes[0].Summary,
              treatment ? "Programme written: Three hertz" : "Programme written: custom pattern");
    EXPECT_EQ(notes[0].Content,
              std::string("Slot frequency: 30 Hz\nNumber of slots: 10\nPattern: ■□■□■□■□■□\n")
                  + (treatment ? "Body spot: Spot 3\n" : "") + "Port: " + stick->link());
    ShowPage(2);
    EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemText(0, 2), wxString::FromUTF8(notes[0].Summary));

    // Read Vitrel still fills the page, and the outcome stays.
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK));
    EXPECT_TRUE(WaitFor([&] { return !AdvancedPage().Slots().boxes[1]->GetValue(); }, 2000));
    EXPECT_NE(Field("ID_TEXTCTRL11"), "3.000000");
    EXPECT_TRUE(Outcome().StartsWith("Programme written and checked, "));
}

TEST_P(ProgrammeReadBack, AStickThatStoresAFlippedSlotGivesTheNotice)
{
    Prepare({"--flip-slot", "3"});
    WriteAndWait(NotConfirmed);
    EXPECT_EQ(Outcome(), "Programme NOT confirmed: the stick holds another one");
    EXPECT_TRUE(DiaryEntries().empty());
}

TEST_P(ProgrammeReadBack, TheBoxSwitchedOffBeforeARestartLeavesNoNote)
{
    CreateFrame();
    ShowPage(2);
    Toggle(Find<wxCheckBox>("ID_CHECKBOX7"), false);
    CloseFrame();
    delete wxConfigBase::Set(nullptr);  // read again from the file
    Prepare();
    WriteAndWait(nullptr);
    EXPECT_TRUE(Outcome().StartsWith("Programme written and checked, "));
    EXPECT_TRUE(DiaryEntries().empty());
}

TEST_P(ProgrammeReadBack, ASilentStickGivesTheNoticeAfterTheDeadlineWhileTheWindowWorks)
{
    Prepare({"--ignore-reads"});
    const int pollsBefore = CountReceived("00 0B FF");
    const long waited = WriteAndWait(NotConfirmed);
    EXPECT_EQ(Outcome(), "Programme NOT confirmed: the stick did not answer");
    EXPECT_GE(waited, ProgrammeCheck::AllowanceMilliseconds(10));
    // The monitor went on polling every 100 ms while the check waited.
    EXPECT_GE(CountReceived("00 0B FF") - pollsBefore, ProgrammeCheck::AllowanceMilliseconds(10) / 200);
}

INSTANTIATE_TEST_SUITE_P(BothPages, ProgrammeReadBack, testing::Values("ID_BUTTON9", "ID_BUTTON4"));

// Not a check: prints the time from "Yes" to "checked" next to the wire time at
// 9600 baud. Run with --gtest_also_run_disabled_tests --gtest_filter='*ReadBackTiming*'.
TEST_F(TreatmentFlows, DISABLED_ReadBackTiming)
{
    const int counts[] = {10, 100, 250};
    WriteCatalogue(
        {{"10", 0, 1, Alternating(10)}, {"100", 0, 1, Alternating(100)}, {"250", 0, 1, Alternating(250)}});
    StartAttached();
    for (int row = 0; row < 3; ++row) {
        DoubleClickRow(row);
        std::vector<long> times;
        for (int run = 0; run < 7; ++run) {
            RunEventLoopFor(150 + 37 * run);  // start at different points of the 100 ms tick
            wxStopWatch watch;
            auto write = [&] {
                Click(Find<wxButton>("ID_BUTTON9"));
                watch.Start();  // the question is answered: "Yes"
                WaitFor(
                    [&] { return frame->GetStatusBar()->GetStatusText(1).StartsWith("Programme written"); },
                    5000);
                times.push_back(watch.Time());
            };
            wxTEST_DIALOG(write(), MessageAnswer(wxID_OK));
        }
        std::sort(times.begin(), times.end());
        const int n = counts[row];
        std::printf("%d slots: min %ld ms, median %ld ms, max %ld ms; wire time %.1f ms; deadline %lld ms\n",
                    n, times.front(), times[times.size() / 2], times.back(),
                    (6 + (n + 3) + 3 + (n + 6)) * ProgrammeCheck::ByteMilliseconds,
                    ProgrammeCheck::AllowanceMilliseconds(n));
    }
}
