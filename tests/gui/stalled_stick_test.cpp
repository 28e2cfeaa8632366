// A stick that stops taking bytes but keeps answering: the window stays
// responsive and closes at once, and every write the user waits on that the
// stick did not take is reported and never sent later.
#include <algorithm>
#include <sstream>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include "stick_test_support.h"

namespace {
const char* const WriteFailed =
    "Writing to the Vitrel stick failed: it did not take everything that was sent. Check that "
    "it is plugged in and try again.";
const char* const DroppedPoll = "Dropped a write of 3 bytes that the port did not take within 1000 ms";
}  // namespace

class StalledStick : public StickFrameTest {
protected:
    // Attached, then stalled long enough for writes to wait and be dropped.
    void StartStalled()
    {
        StartAttached();
        ASSERT_TRUE(stick->Command("stall on"));
        RunEventLoopFor(1500);
        ASSERT_TRUE(Attached()) << "the stalled stick still answers";
    }

    // How many milliseconds late a one-shot timer of 100 ms fires.
    long TimerLateness() const
    {
        wxTimer timer;
        wxStopWatch watch;
        long firedAt = -1;
        timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { firedAt = watch.Time(); });
        watch.Start();
        timer.StartOnce(100);
        WaitFor([&] { return firedAt >= 0; }, 3000);
        return firedAt < 0 ? 3000 : firedAt - 100;
    }
};

TEST_F(StalledStick, WindowStaysResponsiveAndClosesAtOnce)
{
    CapturedOutput output;
    StartStalled();
    // The median of several, so that one hiccup of a busy machine does not
    // decide; a tick that waited for the port would make every one late.
    std::vector<long> lateness;
    for (int i = 0; i < 7; ++i)
        lateness.push_back(TimerLateness());
    std::sort(lateness.begin(), lateness.end());
    std::ostringstream all;
    for (long each : lateness)
        all << each << " ";
    EXPECT_LE(lateness[3], 50) << "ms late, sorted: " << all.str();
    RecordProperty("TimerLatenessMs", all.str());

    // A poll the stick has not taken is not stacked behind: about one is
    // dropped a second (the stall lasted some 2.5 s), not ten.
    const int dropped = output.Count(DroppedPoll);
    EXPECT_GE(dropped, 1);
    EXPECT_LE(dropped, 4);

    // The close box: a close event through the event loop.
    wxStopWatch watch;
    CloseFrame([this] {
        auto* close = new wxCloseEvent(wxEVT_CLOSE_WINDOW, frame->GetId());
        close->SetEventObject(frame);
        close->SetCanVeto(true);
        wxQueueEvent(frame, close);
    });
    EXPECT_LT(watch.Time(), 2000);
    RecordProperty("CloseMs", static_cast<int>(watch.Time()));
    EXPECT_TRUE(WorkFileExists("AdvancedSettings.xml")) << "the exit save was made";
}

TEST_F(StalledStick, WritesTheUserWaitsOnSayTheyFailedAndAreNeverSentLater)
{
    StartStalled();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, WriteFailed, "Program Vitrel Device"));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON5")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, WriteFailed, "Read Vitrel Device"));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON15")), MessageAnswer(wxID_OK),
                  MessageAnswer(wxID_OK, WriteFailed, "Turn Off Device"));
    // The Beeper box goes back to the state it showed, either way.
    wxCheckBox* beeper = Find<wxCheckBox>("ID_CHECKBOX1");
    for (bool wanted : {false, true}) {
        SCOPED_TRACE(wanted ? "beeper on" : "beeper off");
        beeper->SetValue(!wanted);
        wxTEST_DIALOG(Toggle(beeper, wanted), MessageAnswer(wxID_OK, WriteFailed, "Vitrel USB Device"));
        EXPECT_EQ(beeper->GetValue(), !wanted);
    }

    // Once the stick reads again, the polls reach it, and nothing of the
    // writes reported as failed.
    ASSERT_TRUE(stick->Command("stall off"));
    EXPECT_TRUE(WaitForReceived("00 0B FF", 3, 3000));
    for (const std::string& frame : Received())
        EXPECT_TRUE(frame == "00 0B FF" || frame == "00 0C FF" || frame == "00 11 FF" || frame == "00 12 FF")
            << frame;
    // Every attach asks for the beeper and the programme; Read Vitrel's
    // request never came through.
    EXPECT_EQ(CountReceived("00 12 FF"), CountReceived("00 11 FF"));
}
