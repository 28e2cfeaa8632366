// The device monitor against the simulated stick: finding it, the attached
// and detached display, polling, liveness, replies and the battery gauge.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include "ui/pages/advanced_settings_page.h"
#include "stick_test_support.h"

namespace {
const char* const IdentifyFrame = "00 0C FF";
const char* const QueryBeeperFrame = "00 11 FF";
const char* const PollFrame = "00 0B FF";

// A programme reply with `count` slot states, all on, at 10 Hz.
std::string ProgrammeReplyOfAllOn(int count)
{
    std::string reply = "send 00 12 57 9E 00";
    for (int i = 0; i < count; ++i)
        reply += " 01";
    return reply + " FF";
}
}  // namespace

using DeviceMonitor = StickFrameTest;

TEST_F(DeviceMonitor, WithoutAnyPortShowsDetachedAndWritesNothing)
{
    CapturedOutput output;
    CreateFrame();
    EXPECT_EQ(output.Count("illegal comport number"), 1);
    // Said once, not at every probe that finds nothing, once a second.
    RunEventLoopFor(1300);
    EXPECT_EQ(output.Count("illegal comport number"), 1);
    EXPECT_EQ(Find<wxStaticText>("ID_STATICTEXT22")->GetLabel(), "Device Detached");
    EXPECT_EQ(Find<wxPanel>("ID_PANEL12")->GetBackgroundColour(), wxColour(224, 44, 71));
    EXPECT_FALSE(Find<wxButton>("ID_BUTTON15")->IsEnabled());
    EXPECT_FALSE(Find<wxCheckBox>("ID_CHECKBOX1")->IsEnabled());
    EXPECT_EQ(Find<wxGauge>("ID_GAUGE1")->GetValue(), 0);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Vitrel NOT Found !!!");
    EXPECT_TRUE(Writes().empty());
}

TEST_F(DeviceMonitor, FindsTheStickAsksForTheBeeperThenPollsTenTimesASecond)
{
    StartAttached();
    EXPECT_EQ(Find<wxPanel>("ID_PANEL12")->GetBackgroundColour(), wxColour(64, 191, 86));
    EXPECT_TRUE(Find<wxButton>("ID_BUTTON15")->IsEnabled());
    EXPECT_TRUE(Find<wxCheckBox>("ID_CHECKBOX1")->IsEnabled());
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Vitrel USB Device Detected !!!");

    ASSERT_TRUE(WaitForReceived(PollFrame, 1, 1000));
    const int pollsBefore = CountReceived(PollFrame);
    RunEventLoopFor(3000);
    const int polls = CountReceived(PollFrame) - pollsBefore;
    EXPECT_GE(polls, 20);
    EXPECT_LE(polls, 33);

    const std::vector<std::string> frames = Received();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(frames[0], IdentifyFrame);
    EXPECT_EQ(frames[1], QueryBeeperFrame);
    EXPECT_EQ(frames[2], "00 12 FF");  // the programme, for the "On the stick" area
    EXPECT_EQ(frames[3], PollFrame);
    // A stick that answers every poll is never looked for again.
    EXPECT_EQ(CountReceived(IdentifyFrame), 1);
    EXPECT_EQ(CountReceived(QueryBeeperFrame), 1);
}

// A stick answering `answered` of every 10 polls: 5 keep it connected, 4 make
// the liveness check look for it again (it answers Identify, so it is found
// again at once).
struct AnswerRate {
    const char* answered;
    bool lookedForAgain;
};

void PrintTo(const AnswerRate& rate, std::ostream* os)
{
    *os << rate.answered;
}

class PollAnswers : public StickFrameTest, public testing::WithParamInterface<AnswerRate> { };

TEST_P(PollAnswers, DecideWhetherTheStickIsLookedForAgain)
{
    StartStick({"--answer", GetParam().answered});
    CreateFrame();
    if (GetParam().lookedForAgain) {
        EXPECT_TRUE(WaitForReceived(IdentifyFrame, 2, 3500));
        EXPECT_TRUE(WaitForReceived(QueryBeeperFrame, 2, 2500));
    } else {
        RunEventLoopFor(3500);
        EXPECT_EQ(CountReceived(IdentifyFrame), 1);
        EXPECT_TRUE(Attached());
    }
}

INSTANTIATE_TEST_SUITE_P(DeviceMonitor, PollAnswers,
                         testing::Values(AnswerRate {"5/10", false}, AnswerRate {"4/10", true}),
                         [](const testing::TestParamInfo<AnswerRate>& info) {
                             return std::string(info.param.answered).substr(0, 1) + "InTen";
                         });

TEST_F(DeviceMonitor, LongAttachedStickUnpluggedIsShownDetachedAndFoundAgainAtCom9)
{
    StartAttached();
    // Past the first liveness checks, with the stick answering.
    RunEventLoopFor(2200);
    ASSERT_TRUE(Attached());
    {
        // The loss is said once; the probes that follow, once a second,
        // find nothing and say nothing more.
        CapturedOutput output;
        ASSERT_TRUE(stick->Command("unplug"));
        EXPECT_TRUE(WaitFor([&] { return !Attached(); }, 2500));
        EXPECT_EQ(Find<wxGauge>("ID_GAUGE1")->GetValue(), 0);
        EXPECT_FALSE(Find<wxCheckBox>("ID_CHECKBOX1")->IsEnabled());
        EXPECT_FALSE(Find<wxButton>("ID_BUTTON15")->IsEnabled());
        RunEventLoopFor(2050);
        EXPECT_EQ(output.Count("illegal comport number"), 1);
    }
    // It comes back at the last number the discovery tries.
    setenv("VITREL_SERIAL_PORTS", (std::string(8, ':') + stick->link()).c_str(), 1);
    ClearWrites();
    ASSERT_TRUE(stick->Command("plug"));
    EXPECT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    ASSERT_TRUE(WaitFor([&] { return !Writes().empty() && Writes().back().hex == PollFrame; }, 1000));
    EXPECT_EQ(Writes().back().index, 8);

    // The Beeper box is usable again, and a click reaches the stick found anew.
    wxCheckBox* beeper = Find<wxCheckBox>("ID_CHECKBOX1");
    ASSERT_TRUE(beeper->IsEnabled());
    Toggle(beeper, !beeper->GetValue());
    EXPECT_TRUE(WaitForReceived(beeper->GetValue() ? "00 0F FF" : "00 10 FF", 1, 1000));
}

TEST_F(DeviceMonitor, BeeperReplySetsTheBoxWithoutSendingAnything)
{
    StartAttached({"--beeper", "off"});
    wxCheckBox* beeper = Find<wxCheckBox>("ID_CHECKBOX1");
    CapturedOutput output;
    // Any state byte but 0 means on. The state byte 0xFF ends the frame; the
    // stick's own end byte follows. Noise before a reply is reported, and the
    // reply still handled.
    for (const auto& [reply, on] :
         {std::pair {"send 00 11 02 FF", true}, std::pair {"send 00 11 00 FF", false},
          std::pair {"send 00 11 FF FF", true}, std::pair {"send 00 11 00 FF", false},
          std::pair {"send 33 34 00 11 01 FF", true}}) {
        ASSERT_TRUE(stick->Command(reply));
        EXPECT_TRUE(WaitFor([&, on = on] { return beeper->GetValue() == on; }, 1000)) << reply;
    }
    RunEventLoopFor(200);
    EXPECT_EQ(CountReceived("00 0F FF"), 0);
    EXPECT_EQ(CountReceived("00 10 FF"), 0);
    // One noise run is the stick's end byte after 00 11 FF, the other 33 34.
    EXPECT_EQ(output.Count("Received 2 error bytes between two instructions!"), 1);
    EXPECT_EQ(output.Count("Bad Instruction!!!"), 2);
}

// A status reading of 255 ends the reply early; such replies still count.
struct FFReading {
    const char* name;
    const char* readings;
    bool lowersGauge;  // the cut reply still gives a reading: (r1, 255)
};

void PrintTo(const FFReading& reading, std::ostream* out)
{
    *out << reading.readings;
}

class DeviceMonitorFFReading : public StickFrameTest, public testing::WithParamInterface<FFReading> { };

TEST_P(DeviceMonitorFFReading, StickStaysAttachedAndTheGaugeShowsWhatTheReadingsGive)
{
    StartStick({"--battery", "170,100"});
    CreateFrame();
    wxGauge* gauge = Find<wxGauge>("ID_GAUGE1");
    ASSERT_TRUE(WaitFor([&] { return gauge->GetValue() >= 10; }, 3000));
    const int identifies = CountReceived(IdentifyFrame);
    ASSERT_TRUE(stick->Command(std::string("battery ") + GetParam().readings));
    RunEventLoopFor(200);
    const int before = gauge->GetValue();
    RunEventLoopFor(5000);
    // Never looked for again.
    EXPECT_TRUE(Attached());
    EXPECT_EQ(CountReceived(IdentifyFrame), identifies);
    if (GetParam().lowersGauge)  // 2.5 V x 160 / 255 is below empty: 0 % once the ring is full
        EXPECT_TRUE(WaitFor([&] { return gauge->GetValue() == 0; }, 5000));
    else
        EXPECT_EQ(gauge->GetValue(), before);
}

INSTANTIATE_TEST_SUITE_P(Readings, DeviceMonitorFFReading,
                         testing::Values(FFReading {"SecondIsFF", "160 255", true},
                                         FFReading {"FirstIsFF", "255 100", false},
                                         FFReading {"BothAreFF", "255 255", false}),
                         [](const testing::TestParamInfo<FFReading>& info) { return info.param.name; });

TEST_F(DeviceMonitor, ProgrammeRepliesToReadVitrelAreShownOnTheAdvancedSettingsPage)
{
    StartAttached();
    // Each reply below answers a Read Vitrel the stick itself leaves alone.
    ASSERT_TRUE(stick->Command("reads off"));
    wxTextCtrl* slots = Find<wxTextCtrl>("ID_TEXTCTRL8");
    wxTextCtrl* period = Find<wxTextCtrl>("ID_TEXTCTRL7");
    // The page already holds four checked boxes: the reply keeps the count.
    slots->ChangeValue("4");
    AdvancedPage().RefreshSlotPattern();
    for (int i = 0; i < 4; ++i)
        AdvancedPage().Slots().boxes[i]->SetValue(true);
    const auto shown = [&] {
        return (slots->GetValue() + " " + period->GetValue()).utf8_string() + " " + SlotStates();
    };

    struct Reply {
        std::string command;
        std::string shown;  // slot count, base time period, slot states
        bool asked = true;  // by Read Vitrel
    };
    const std::string all250 = "250 25.000000 " + std::string(250, '1');
    const Reply replies[] = {
        // States 1 on; 0 and 2 (any other value) off. 10 Hz with the identity table.
        {"send 00 12 57 9E 00 01 00 02 01 FF", "4 0.400000 1001"},
        {ProgrammeReplyOfAllOn(250), all250},
        // Refused, the page unchanged: too many states; no states; a timer
        // count of 0 (no frequency); only two timer bytes.
        {ProgrammeReplyOfAllOn(251), all250},
        {"send 00 12 57 9E 00 FF", all250},
        {"send 00 12 FF FF 00 01 FF", all250},
        {"send 00 12 57 9E FF", all250},
        // Nobody asked for it: shown all the same.
        {"send 00 12 57 9E 00 01 00 02 01 FF", "4 0.400000 1001", false},
    };
    CapturedOutput output;
    for (const Reply& reply : replies) {
        if (reply.asked)
            wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK));
        ASSERT_TRUE(stick->Command(reply.command));
        EXPECT_TRUE(WaitFor([&] { return shown() == reply.shown; }, 1000)) << reply.command;
        RunEventLoopFor(250);
        EXPECT_EQ(shown(), reply.shown) << reply.command;
    }
    EXPECT_EQ(output.Text().find("inf"), std::string::npos);
}

TEST_F(DeviceMonitor, BatteryGaugeShowsTheAverageOfTheLastFiftyReadings)
{
    StartStick({"--battery", "150,100"});
    CreateFrame();
    wxGauge* gauge = Find<wxGauge>("ID_GAUGE1");
    // 56.25 % once the ring is full; it climbs there over about five seconds.
    EXPECT_TRUE(WaitFor([&] { return gauge->GetValue() == 56; }, 9000));
    ASSERT_TRUE(stick->Command("battery 170 100"));
    EXPECT_TRUE(WaitFor([&] { return gauge->GetValue() == 100; }, 9000));
}

TEST_F(DeviceMonitor, ReplySplitAcrossTwoReadsIsCompletedByTheSecond)
{
    StartAttached();
    // Unanswered polls keep other replies out of the way; a re-probe (once a
    // second, as nothing answers) would reopen the port mid-way, so the
    // sequence is tried again when one happened.
    ASSERT_TRUE(stick->Command("answer 0/10"));
    wxCheckBox* beeper = Find<wxCheckBox>("ID_CHECKBOX1");
    bool undisturbed = false;
    for (int attempt = 0; attempt < 4 && !undisturbed; ++attempt) {
        const int identifies = CountReceived(IdentifyFrame);
        beeper->SetValue(true);
        CapturedOutput output;
        ASSERT_TRUE(stick->Command("send 00 11"));
        const bool firstHalfRead = WaitFor([&] { return output.Count("Bad Instruction!!!") == 1; }, 1000);
        ASSERT_TRUE(stick->Command("send 00 FF"));
        const bool completed = WaitFor([&] { return !beeper->GetValue(); }, 1000);
        RunEventLoopFor(150);
        undisturbed = CountReceived(IdentifyFrame) == identifies;
        if (undisturbed) {
            EXPECT_TRUE(firstHalfRead);
            EXPECT_TRUE(completed);
            EXPECT_EQ(output.Count("Bad Instruction!!!"), 1);
        }
    }
    EXPECT_TRUE(undisturbed);
}
