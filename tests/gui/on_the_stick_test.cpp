// The "On the stick" area, the battery level in figures, the low-battery
// warning and the write outcome in the status bar, against the simulated
// stick; and where the stick's programme replies go.
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include "ui/pages/advanced_settings_page.h"
#include "ui/widgets/pattern_preview_control.h"
#include "device/serial.h"
#include "stick_test_support.h"

namespace {

// "Ten" is the simulated stick's own start programme: 10 Hz slots, ten,
// alternately on and off.
const char* const Catalogue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VitrelTreatmentsList>\n"
    "<Treatment><Title>Ten</Title><BodySpot>0</BodySpot><BaseFrequency>1</BaseFrequency>"
    "<NumberOfSlots>10</NumberOfSlots><Slot>1</Slot><Slot>0</Slot><Slot>1</Slot><Slot>0</Slot>"
    "<Slot>1</Slot><Slot>0</Slot><Slot>1</Slot><Slot>0</Slot><Slot>1</Slot><Slot>0</Slot></Treatment>\n"
    "<Treatment><Title>Four</Title><BodySpot>0</BodySpot><BaseFrequency>2</BaseFrequency>"
    "<NumberOfSlots>4</NumberOfSlots><Slot>1</Slot><Slot>1</Slot><Slot>0</Slot><Slot>1</Slot></Treatment>\n"
    "<Treatment><Title>Too fast</Title><BodySpot>0</BodySpot><BaseFrequency>40</BaseFrequency>"
    "<NumberOfSlots>10</NumberOfSlots><Slot>1</Slot><Slot>1</Slot><Slot>1</Slot><Slot>1</Slot>"
    "<Slot>1</Slot><Slot>1</Slot><Slot>1</Slot><Slot>1</Slot><Slot>1</Slot><Slot>1</Slot></Treatment>\n"
    "</VitrelTreatmentsList>\n";

const char* const NoStick = "No Vitrel stick is attached.";
const char* const LowBattery =
    "The battery of the Vitrel stick is low. A treatment may stop before its end: please charge the stick.";

}  // namespace

class OnTheStick : public StickFrameTest {
protected:
    void SetUp() override
    {
        StickFrameTest::SetUp();
        WriteWorkFile("VitrelTreatmentsList.xml", Catalogue);
    }

    wxString Line(int n) const
    {
        static const char* const names[] = {"ID_STATICTEXT51", "ID_STATICTEXT52", "ID_STATICTEXT53"};
        return Find<wxStaticText>(names[n])->GetLabel();
    }
    PatternPreviewControl* Drawing() const { return Find<PatternPreviewControl>("ID_PATTERNPREVIEW3"); }
    wxString Battery() const { return Find<wxStaticText>("ID_STATICTEXT54")->GetLabel(); }
    wxString Outcome() const { return frame->GetStatusBar()->GetStatusText(1); }
    wxString Field(const char* name) const { return Find<wxTextCtrl>(name)->GetValue(); }
    bool ShowsTitle(const wxString& title) const { return Line(0) == title; }

    // Runs the event loop; any box that opens meanwhile fails the test.
    void RunWithoutAnyBox(int milliseconds) const
    {
        GTestModalHook noBox(__FILE__, __LINE__, "RunWithoutAnyBox");
        RunEventLoopFor(milliseconds);
        noBox.CheckUnmetExpectations();
    }

    // Writes treatment `row` from the Treatments page and waits for its
    // check to end.
    void WriteRow(int row)
    {
        DoubleClickRow(row);
        auto write = [&] {
            Click(Find<wxButton>("ID_BUTTON9"));
            WaitFor([&] { return !Outcome().StartsWith("Checking"); }, 3000);
        };
        wxTEST_DIALOG(write(), MessageAnswer(wxID_OK));
    }
};

TEST_F(OnTheStick, AttachShowsWhatTheStickHoldsWithoutTouchingThePage)
{
    struct Case {
        std::vector<std::string> options;
        const char* title;
        int slots;
    } const cases[] = {
        {{}, "Ten", 10},
        {{"--programme", "57 9E 00 01 01 02"}, "Custom pattern", 3},  // 10 Hz, 3 slots: in no record
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        StartStick(c.options);
        CreateFrame();
        const wxString slots = Field("ID_TEXTCTRL8");
        const wxString frequency = Field("ID_TEXTCTRL11");
        ASSERT_TRUE(WaitFor([&] { return ShowsTitle(c.title); }, AttachMilliseconds)) << Line(0);
        EXPECT_EQ(Drawing()->Pattern().NumberOfSlots, c.slots);
        EXPECT_TRUE(Drawing()->IsShown());
        // A pseudo-terminal has no USB product name: only the port is named.
        EXPECT_EQ(Line(1), wxString::Format("Slot frequency 10 Hz, %d slots", c.slots)
                               + wxString::FromUTF8(" \u00b7 Found on ") + stick->link());
        EXPECT_EQ(Line(2), "");  // not written by this run
        EXPECT_EQ(Field("ID_TEXTCTRL8"), slots);
        EXPECT_EQ(Field("ID_TEXTCTRL11"), frequency);

        ASSERT_TRUE(WaitForReceived("00 0B FF", 2, 1000));
        const std::vector<std::string> frames = Received();
        EXPECT_EQ(std::vector<std::string>(frames.begin(), frames.begin() + 3),
                  (std::vector<std::string> {"00 0C FF", "00 11 FF", "00 12 FF"}));
        // Then polls (or, on a busy machine, the same three again first).
        EXPECT_TRUE(frames[3] == "00 0B FF" || frames[3] == "00 0C FF") << frames[3];
        CloseFrame();
        stick.reset();
    }
}

TEST_F(OnTheStick, ReadVitrelFillsThePageAndRefreshesTheArea)
{
    StartAttached();
    ASSERT_TRUE(WaitFor([&] { return ShowsTitle("Ten"); }, 1000));
    ASSERT_TRUE(stick->Command("programme 57 9E 00 01 01 02"));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK));
    EXPECT_TRUE(WaitFor([&] { return ShowsTitle("Custom pattern"); }, 1000));
    EXPECT_TRUE(WaitFor([&] { return Field("ID_TEXTCTRL8") == "3"; }, 1000));
}

TEST_F(OnTheStick, OnlyAConfirmedWriteChangesTheAreaAndItGivesTheTime)
{
    StartAttached();
    ASSERT_TRUE(WaitFor([&] { return ShowsTitle("Ten"); }, 1000));
    WriteRow(1);
    EXPECT_TRUE(Outcome().StartsWith("Programme written and checked")) << Outcome();
    EXPECT_EQ(Line(0), "Four");
    EXPECT_EQ(Drawing()->Pattern().NumberOfSlots, 4);
    EXPECT_EQ(Line(2), "written and checked at " + wxDateTime::Now().Format("%H:%M"));
    const wxString written = Line(2);
    // Read Vitrel finds the same programme: still the one this run checked.
    const int reads = CountReceived("00 12 FF");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK));
    ASSERT_TRUE(WaitForReceived("00 12 FF", reads + 1, 1000));
    RunEventLoopFor(300);
    EXPECT_EQ(Line(0), "Four");
    EXPECT_EQ(Line(2), written);

    // Refused (over 300 Hz): nothing sent, the area as it was.
    DoubleClickRow(2);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK), MessageAnswer(wxID_OK));
    // Failed: the stick is gone before the monitor notices.
    ASSERT_TRUE(stick->Command("unplug"));
    DoubleClickRow(0);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK), MessageAnswer(wxID_OK));
    EXPECT_EQ(Line(0), "Four");
    EXPECT_EQ(Line(2), written);

    // Unplugged: the area, the battery and the outcome say there is no stick.
    EXPECT_TRUE(WaitFor([&] { return Line(0) == NoStick; }, 2500));
    EXPECT_FALSE(Drawing()->IsShown());
    EXPECT_EQ(Outcome(), "");
    EXPECT_EQ(Battery(), wxString::FromUTF8("\u2013"));
}

TEST_F(OnTheStick, TurnOffShowsTheFieldOffUntilTheNextWrite)
{
    StartAttached();
    WriteRow(1);
    ASSERT_TRUE(Outcome().StartsWith("Programme written and checked"));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON15")), MessageAnswer(wxID_OK));
    EXPECT_EQ(Outcome(), "");
    EXPECT_TRUE(Line(2).StartsWith("Field off since")) << Line(2);
    RunEventLoopFor(300);  // replies and polls go on
    EXPECT_TRUE(Line(2).StartsWith("Field off since"));
    WriteRow(0);
    EXPECT_EQ(Line(0), "Ten");
    EXPECT_TRUE(Line(2).StartsWith("written and checked at")) << Line(2);
}

// Another stick (or the same one, plugged in again): nothing said of the
// last one stays on show.
TEST_F(OnTheStick, ANewAttachClearsTheOutcomeAndAsksAgain)
{
    StartAttached();
    WriteRow(1);
    ASSERT_TRUE(Outcome().StartsWith("Programme written and checked"));
    ASSERT_TRUE(stick->Command("unplug"));
    ASSERT_TRUE(WaitFor([&] { return !Attached(); }, 2500));
    EXPECT_EQ(Line(0), NoStick);
    ASSERT_TRUE(stick->Command("programme 57 9E 00 01 01 02"));
    ASSERT_TRUE(stick->Command("plug"));
    EXPECT_TRUE(WaitFor([&] { return ShowsTitle("Custom pattern"); }, AttachMilliseconds));
    EXPECT_EQ(Outcome(), "");
    EXPECT_EQ(Line(2), "");
}

TEST_F(OnTheStick, BatteryTextIsADashUntilFiftyReadingsSinceTheAttach)
{
    // Attached, but no status poll answered yet.
    StartStick({"--answer", "0/10", "--battery", "150,100"});
    CreateFrame();
    ASSERT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    RunEventLoopFor(500);
    const wxString dash = wxString::FromUTF8("\u2013");
    EXPECT_EQ(Battery(), dash);
    // The gauge climbs from the first reading on; the text waits until it
    // averages this stick's readings alone, 56.25 %.
    ASSERT_TRUE(stick->Command("answer"));
    ASSERT_TRUE(WaitFor([&] { return Find<wxGauge>("ID_GAUGE1")->GetValue() > 0; }, AttachMilliseconds));
    EXPECT_EQ(Battery(), dash);
    ASSERT_TRUE(WaitFor([&] { return Battery() != dash; }, 10000));
    EXPECT_EQ(Battery(), "56 %");
    EXPECT_FALSE(Find<wxGauge>("ID_GAUGE1")->GetToolTipText().empty());
}

// Readings of 9.4 % (3.375 V) warn once, after ten seconds below 15 %; 81 %
// never does. Each phase fails on a box it does not expect.
TEST_F(OnTheStick, ALowBatteryWarnsOnceAndNeverInTheFirstSeconds)
{
    StartStick({"--battery", "135,100"});
    CreateFrame();
    RunWithoutAnyBox(5000);
    wxTEST_DIALOG(RunEventLoopFor(8000), MessageAnswer(wxID_OK, LowBattery, "Vitrel Battery"));
    EXPECT_EQ(Battery(), "9 %");
    RunWithoutAnyBox(3000);
}

TEST_F(OnTheStick, AGoodBatteryNeverWarns)
{
    StartStick({"--battery", "158,100"});
    CreateFrame();
    RunWithoutAnyBox(12000);
    EXPECT_EQ(Battery(), "81 %");
}

// A busy window reads the check's reply only after the deadline: the reply
// still confirms the write, and never lands on the page.
TEST_F(OnTheStick, ACheckReplyReadAfterItsDeadlineGoesToTheCheckNotThePage)
{
    StartAttached();
    DoubleClickRow(1);
    auto write = [&] {
        Click(Find<wxButton>("ID_BUTTON9"));
        AdvancedPage().Slots().boxes[2]->SetValue(true);  // a reply put on the page would clear it
        wxMilliSleep(ProgrammeCheck::AllowanceMilliseconds(4) + 300);
        WaitFor([&] { return !Outcome().StartsWith("Checking"); }, 2000);
        RunEventLoopFor(300);
    };
    wxTEST_DIALOG(write(), MessageAnswer(wxID_OK));
    EXPECT_TRUE(Outcome().StartsWith("Programme written and checked")) << Outcome();
    EXPECT_TRUE(AdvancedPage().Slots().boxes[2]->GetValue());
    EXPECT_EQ(Line(0), "Four");
}

namespace {
// Closes the port as the next read request is about to be written, so that
// this write fails; later writes are left alone.
void FailTheReadRequest(int index, const unsigned char* bytes, int count, void*)
{
    if (count == 3 && bytes[0] == 0x00 && bytes[1] == 0x12 && bytes[2] == 0xFF) {
        SerialClosePort(index);
        SerialSetWriteTap(nullptr, nullptr);
    }
}
}  // namespace

TEST_F(OnTheStick, AReadBackRequestThatCannotBeWrittenSaysWritingFailed)
{
    StartAttached();
    SerialSetWriteTap(&FailTheReadRequest, nullptr);
    DoubleClickRow(1);
    wxString outcome;
    auto write = [&] {
        Click(Find<wxButton>("ID_BUTTON9"));
        outcome = Outcome();
        RunEventLoopFor(300);
    };
    wxTEST_DIALOG(write(), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK,
                                "Writing to the Vitrel stick failed: it did not take everything that was "
                                "sent. Check that it is plugged in and try again.",
                                "Program Vitrel Device"));
    EXPECT_EQ(outcome, "Programme NOT confirmed: writing to the stick failed");
}
