// The stick session against a fake stick behind a fake port, with a fake
// clock: attach, liveness, where replies go, writes and their check, battery.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/stick_session.h"
#include "hex_text.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Outcome = ProgrammeCheck::Outcome;
using Result = StickSession::Result;

// A stick on COM3 that answers what it was sent on the next read, as a real
// one is heard on the next tick; its probe answers Identify one step later.
// The flags are its faults.
struct FakeStick : StickPort {
    bool unplugged = false, ignoresWrites = false, ignoresReads = false, refusesReadRequest = false,
         takesPartOnly = false, takesNothing = false, refusesPattern = false;
    std::string answers = "1111111111";  // poll i is answered when answers[i % 10] is '1'
    unsigned char battery[2] = {170, 100};
    Bytes stored = {0x57, 0x9E, 0x00, 1, 2, 1};  // the programme: timer bytes, states
    std::vector<std::string> writes;  // in hex, one entry per write
    std::vector<int> opened;
    Bytes incoming;
    int polls = 0, silentProbes = 0;
    bool probing = false, rechecking = false;

    int Open(int index, int) override { return opened.push_back(index), unplugged || index != 2; }
    void Close(int) override { }
    int Read(int, unsigned char* destination, int maxBytes) override
    {
        const int count = std::min(static_cast<int>(incoming.size()), maxBytes);
        std::copy(incoming.begin(), incoming.begin() + count, destination);
        incoming.erase(incoming.begin(), incoming.begin() + count);
        return count;
    }
    int Write(int index, const unsigned char* bytes, int count) override
    {
        return refusesReadRequest && bytes[1] == ReadProgramme ? -1 : WriteAtOnce(index, bytes, count);
    }
    int WriteAtOnce(int index, const unsigned char* bytes, int count) override
    {
        if (unplugged || index != 2)
            return -1;
        if (takesNothing || (refusesPattern && bytes[1] == SetSlotPattern))
            return 0;
        count = takesPartOnly ? std::min(count, 6) : count;
        writes.push_back(Hex(bytes, count));
        for (int i = 0; i + 2 < count && bytes[i] == 0;) {
            const int end = static_cast<int>(std::find(bytes + i, bytes + count, 0xFF) - bytes);
            const Bytes payload(bytes + i + 2, bytes + end);
            // The timer and the pattern are kept apart: one written alone leaves the other.
            if (bytes[i + 1] == SetSlotTimer && !ignoresWrites)
                std::copy(payload.begin(), payload.begin() + 3, stored.begin());
            if (bytes[i + 1] == SetSlotPattern && !ignoresWrites) {
                stored.resize(3);
                stored.insert(stored.end(), payload.begin(), payload.end());
            }
            if (bytes[i + 1] == PollStatus && answers[polls++ % 10] == '1')
                Reply(PollStatus, Bytes(battery, battery + 2));
            if (bytes[i + 1] == QueryBeeper)
                Reply(QueryBeeper, {1});
            if (bytes[i + 1] == ReadProgramme && !ignoresReads)
                Reply(ReadProgramme, stored);
            i = end + 1;
        }
        return count;
    }
    int PendingBytes(int) override { return 0; }
    int ProbePorts(DeviceLink& link) override
    {
        if (link.port != 0)
            ++silentProbes, rechecking = true;
        link.port = 0;
        probing = !unplugged && !probing;  // Identify on one step, its answer on the next
        rechecking = rechecking && probing;
        return !unplugged && !probing ? 3 : 0;
    }
    bool RecheckingStick(const DeviceLink&) override { return rechecking; }
    const char* DeniedDevice() override { return ""; }
    std::vector<int> beyond;  // ports numbered 10 and above
    int PortsBeyondSearch(int n[], int) override { return std::copy(beyond.begin(), beyond.end(), n) - n; }

    void Reply(unsigned char code, Bytes payload)
    {
        payload.insert(payload.begin(), {0, code});
        payload.push_back(0xFF);
        incoming.insert(incoming.end(), payload.begin(), payload.end());
    }
};

// The session with a fake stick, a fake clock, and a listener that notes
// what the window would show.
struct Rig : StickSession::Listener {
    FakeStick* stick = new FakeStick;  // owned by the session
    StickSession session {*this, "", std::unique_ptr<StickPort>(stick)};
    long long now = 0;
    std::vector<std::string> events;  // all but the display of every tick
    int detachedTicks = 0, gauge = -1, percent = -2;
    Outcome outcome = Outcome::None;

    void Run(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            session.Tick(now += 100);
    }
    // Found on the first tick; beeper and programme read on the second.
    void Attach() { session.Start(now), Run(2); }
    long Count(const char* event) const { return std::count(events.begin(), events.end(), event); }

    void ShowDeviceAttached() override { }
    void ShowDeviceDetached() override { ++detachedTicks; }
    void StickAttached() override { events.push_back("attached"); }
    void StickGone() override { events.push_back("gone"); }
    void ShowBeeper(bool on) override { events.push_back(on ? "beeper on" : "beeper off"); }
    void ShowBatteryGauge(int level) override { gauge = level; }
    void ShowBatteryPercent(int shown) override { percent = shown; }
    void ShowProgrammeOnPage(double, const Bytes&) override { events.push_back("page"); }
    void ShowStickProgramme(const StickProgramme&, const FiringPattern&, bool checked, bool) override
    {
        events.push_back(checked ? "stick checked" : "stick");
    }
    void StickProgrammeUnsure() override { events.push_back("unsure"); }
    void ShowProgrammeUnanswered() override { }
    void ProgrammeConfirmed(const FiringPattern&, bool late) override
    {
        events.push_back(late ? "confirmed late" : "confirmed");
    }
    void ShowCheckOutcome(Outcome shown, bool) override { outcome = shown; }
    void BatteryLow() override { events.push_back("low battery"); }
    void DeviceDenied(const char*) override { }
    void ShowPortsBeyondSearch(const std::vector<int>& ports) override { told.push_back(ports); }
    std::vector<std::vector<int>> told;  // the ports beyond the search, as told
};

const unsigned char Timer[3] = {0x11, 0x9E, 0x00};
const std::vector<unsigned char> States = {2, 2, 1};

// 5 replies in 10 polls keep the stick; 4 make the session ask its port
// again, and meanwhile it stays shown attached. Unplugged, it is gone.
TEST(StickSession, LivenessAndTheGraceWhileTheStickIsAskedAgain)
{
    const struct {
        const char* answers;
        bool unplugged, askedAgain, shownGone;
    } cases[] = {
        {"1111111111", false, false, false},
        {"1010101010", false, false, false},
        {"1000100110", false, true, false},
        {"1111111111", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers + std::string(c.unplugged ? " unplugged" : ""));
        Rig rig;
        rig.stick->answers = c.answers;
        rig.Attach();
        rig.stick->unplugged = c.unplugged;
        rig.Run(40);
        EXPECT_EQ(rig.stick->silentProbes > 0, c.askedAgain);
        EXPECT_EQ(rig.Count("gone"), c.shownGone ? 1 : 0);
        EXPECT_EQ(rig.detachedTicks > 1, c.shownGone);
    }
}

// The attach asks for the beeper and the programme, then polls; each
// programme reply goes to whoever asked, the rest to the page.
TEST(StickSession, AttachThenProgrammeRepliesGoToWhoAskedAndTheRestToThePage)
{
    Rig rig;
    rig.session.Start(rig.now);
    EXPECT_EQ(rig.stick->opened, std::vector<int> {-1});  // none found yet: "illegal comport number"
    rig.Run(2);
    EXPECT_EQ(rig.percent, StickSession::NoBatteryFigure);
    rig.Run(1);
    // The gauge climbs, 2 % of the way to 100 %; the figure waits (LowBatteryIsToldOncePerAttach).
    EXPECT_EQ(rig.gauge, 2);
    EXPECT_EQ(rig.percent, StickSession::NoBatteryFigure);
    EXPECT_EQ(rig.stick->opened, (std::vector<int> {-1, 2}));
    EXPECT_EQ(rig.stick->writes, (std::vector<std::string> {"00 11 FF", "00 12 FF", "00 0B FF", "00 0B FF"}));
    EXPECT_EQ(rig.events, (std::vector<std::string> {"attached", "beeper on", "stick"}));
    EXPECT_EQ(rig.detachedTicks, 1);
    // Sent unasked at 4, 6 and 8 s.
    for (long long at : {4000, 6000, 8000}) {
        rig.Run(static_cast<int>((at - rig.now) / 100));
        rig.stick->Reply(ReadProgramme, {0x57, 0x9E, 0x00, 1, 1, 1, 2});
    }
    rig.Run(1);
    EXPECT_EQ(rig.Count("page"), 3);
    // Read Vitrel's reply too.
    ASSERT_EQ(rig.session.Read(rig.now), Result::Done);
    rig.Run(2);
    EXPECT_EQ(rig.Count("page"), 4);
    // A check's reply that comes after status replies still answers the check.
    rig.stick->ignoresReads = true;
    ASSERT_EQ(
        rig.session.WriteProgramme(Timer, States, FiringPattern(), StickSession::Writes::Together, rig.now),
        Result::Done);
    rig.Run(5);
    rig.stick->Reply(ReadProgramme, rig.stick->stored);
    rig.Run(1);
    EXPECT_EQ(rig.outcome, Outcome::Confirmed);
    EXPECT_EQ(rig.Count("page"), 4);
}

TEST(StickSession, WriteCheckAndOutcome)
{
    using Writes = StickSession::Writes;
    const std::string timer = "00 07 11 9E 00 FF", pattern = "00 08 02 02 01 FF", read = "00 12 FF";
    const std::string both = timer + " " + pattern;
    const struct {
        bool FakeStick::*fault;
        Writes writes;
        Result result;
        Outcome outcome;
        std::vector<std::string> written;
    } cases[] = {
        {nullptr, Writes::Together, Result::Done, Outcome::Confirmed, {both, read}},
        {nullptr, Writes::FrameByFrame, Result::Done, Outcome::Confirmed, {timer, pattern, read}},
        {&FakeStick::ignoresWrites, Writes::Together, Result::Done, Outcome::Differs, {both, read}},
        {&FakeStick::ignoresReads, Writes::Together, Result::Done, Outcome::NoReply, {both, read}},
        {&FakeStick::refusesReadRequest, Writes::Together, Result::Done, Outcome::NotSent, {both}},
        // The timer went out alone: the area asks the stick what it holds now.
        {&FakeStick::takesPartOnly, Writes::Together, Result::WriteFailed, Outcome::None, {timer, read}},
        {&FakeStick::refusesPattern, Writes::FrameByFrame, Result::WriteFailed, Outcome::None, {timer, read}},
        {&FakeStick::takesNothing, Writes::Together, Result::WriteFailed, Outcome::None, {}},
        {&FakeStick::unplugged, Writes::Together, Result::NoStick, Outcome::None, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Rig rig;
        // The port stops taking anything after the attach; the other faults are there from the start.
        if (c.fault && c.fault != &FakeStick::takesNothing)
            rig.stick->*c.fault = true;
        rig.Attach();
        rig.stick->takesNothing = c.fault == &FakeStick::takesNothing;
        rig.stick->writes.clear();
        rig.events.clear();
        EXPECT_EQ(rig.session.WriteProgramme(Timer, States, FiringPattern(), c.writes, rig.now), c.result);
        EXPECT_EQ(rig.stick->writes, c.written);
        rig.Run(30);
        EXPECT_EQ(rig.outcome, c.outcome);
        EXPECT_EQ(rig.Count("confirmed") + rig.Count("stick checked"),
                  c.outcome == Outcome::Confirmed ? 2 : 0);
        EXPECT_EQ(rig.Count("page"), 0);
        if (c.written.size() == 2 && c.result == Result::WriteFailed)
            EXPECT_EQ(rig.events, (std::vector<std::string> {"unsure", "stick"}));
        else
            EXPECT_EQ(rig.Count("unsure"), 0);
    }
}

// A reply after the program's own read ended unanswered answers that read
// within 10 s of its deadline, when nothing was asked since; otherwise it
// counts as sent unasked and goes onto the page.
TEST(StickSession, ALateReplyAnswersTheProgramsOwnLastRead)
{
    enum Asked { AtAttach, ReadVitrelLater, WriteLater };
    const struct {
        Asked asked;
        long long replyAt;  // the read at the attach ends at 1.7 s, a later one by 3.8 s
        std::vector<std::string> events;
    } cases[] = {
        {AtAttach, 4000, {"stick"}},
        {AtAttach, 12000, {"page", "stick"}},
        {ReadVitrelLater, 6000, {"page", "stick"}},
        {WriteLater, 6000, {"confirmed late", "stick checked"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Rig rig;
        rig.stick->ignoresReads = true;
        rig.Attach();
        rig.Run(20);
        if (c.asked == ReadVitrelLater)
            rig.session.Read(rig.now);
        if (c.asked == WriteLater)
            rig.session.WriteProgramme(Timer, States, FiringPattern(), StickSession::Writes::Together,
                                       rig.now);
        rig.Run(static_cast<int>((c.replyAt - rig.now) / 100));
        rig.events.clear();
        rig.stick->Reply(ReadProgramme, rig.stick->stored);
        rig.Run(1);
        EXPECT_EQ(rig.events, c.events);
        EXPECT_EQ(rig.outcome, c.asked == WriteLater ? Outcome::Confirmed : Outcome::None);
    }
}

// A low battery is told once per attach: unplugged and plugged in again, told again.
TEST(StickSession, LowBatteryIsToldOncePerAttach)
{
    for (const int reading : {135, 158}) {  // 9 %, 81 %
        SCOPED_TRACE(reading);
        Rig rig;
        rig.stick->battery[0] = static_cast<unsigned char>(reading);
        rig.Attach();
        rig.Run(49);  // 49 readings: the gauge still climbs, and its figure waits
        EXPECT_EQ(rig.percent, StickSession::NoBatteryFigure);
        rig.Run(101);
        EXPECT_EQ(rig.percent, reading == 135 ? 9 : 81);
        rig.stick->unplugged = true;
        rig.Run(30);
        rig.stick->unplugged = false;
        rig.Run(150);
        EXPECT_EQ(rig.Count("attached"), 2);
        EXPECT_EQ(rig.Count("low battery"), reading == 135 ? 2 : 0);
    }
}

// The ports the search never tries are told at the start, then when they change.
TEST(StickSession, PortsBeyondTheSearchAreToldWhenTheyChange)
{
    Rig rig;
    rig.stick->unplugged = true;
    rig.stick->beyond = {12};
    rig.session.Start(rig.now);
    rig.Run(20);
    rig.stick->beyond = {10, 12};
    rig.Run(10);
    EXPECT_EQ(rig.told, (std::vector<std::vector<int>> {{12}, {10, 12}}));
}

}  // namespace
