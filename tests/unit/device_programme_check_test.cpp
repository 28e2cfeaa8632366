// The read-back check after a write: which replies confirm the programme,
// which are consumed, and when the wait ends.
#include <gtest/gtest.h>

#include "device/programme_check.h"
#include "device/instruction.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Outcome = ProgrammeCheck::Outcome;

const unsigned char WrittenTimer[3] = {0x57, 0x9E, 0x00};
const Bytes WrittenStates = {1, 2, 2, 1};

Bytes Reply(const Bytes& payload)
{
    Bytes frame(payload.size() + 3);
    BuildFrame(ReadProgramme, payload.data(), static_cast<int>(payload.size()), frame.data());
    return frame;
}

const Bytes Faithful = Reply({0x57, 0x9E, 0x00, 1, 2, 2, 1});

using Asker = ProgrammeCheck::Asker;

Asker Offer(ProgrammeCheck& check, const Bytes& reply, long long now = 0)
{
    return check.Offer(reply.data(), static_cast<int>(reply.size()), now);
}

TEST(ProgrammeCheck, ReplyDecidesTheOutcome)
{
    const struct {
        const char* what;
        Bytes payload;
        Outcome outcome;
    } cases[] = {
        {"the same", {0x57, 0x9E, 0x00, 1, 2, 2, 1}, Outcome::Confirmed},
        {"off stored as 0", {0x57, 0x9E, 0x00, 1, 0, 0, 1}, Outcome::Confirmed},
        {"one slot flipped", {0x57, 0x9E, 0x00, 1, 2, 1, 1}, Outcome::Differs},
        {"lo byte changed", {0x56, 0x9E, 0x00, 1, 2, 2, 1}, Outcome::Differs},
        {"sel changed", {0x57, 0x9E, 0x01, 1, 2, 2, 1}, Outcome::Differs},
        {"a slot fewer", {0x57, 0x9E, 0x00, 1, 2, 2}, Outcome::Differs},
        {"a slot more", {0x57, 0x9E, 0x00, 1, 2, 2, 1, 2}, Outcome::Differs},
        {"no timer", {}, Outcome::Differs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgrammeCheck check;
        check.Start(WrittenTimer, WrittenStates, 0);
        EXPECT_EQ(Offer(check, Reply(c.payload)), Asker::Check);
        EXPECT_EQ(check.outcome(), c.outcome);
        EXPECT_FALSE(check.Late());
    }
}

// The stick answers in order: each reply goes to the oldest open request.
TEST(ProgrammeCheck, RepliesGoToTheirRequestsInOrder)
{
    ProgrammeCheck check;
    EXPECT_EQ(Offer(check, Faithful), Asker::Nobody);  // unasked
    EXPECT_EQ(check.outcome(), Outcome::None);

    // The area's request at the attach, a Read Vitrel, then a write's check.
    check.ReadRequested(0, Asker::Area);
    check.ReadRequested(5);
    check.Start(WrittenTimer, WrittenStates, 10);
    const unsigned char status[] = {0x00, 0x0B, 160, 100, 0xFF};
    EXPECT_EQ(check.Offer(status, 5, 20), Asker::Nobody);
    EXPECT_EQ(Offer(check, Reply({0x11, 0x22, 0x00, 1}), 25), Asker::Area);
    EXPECT_EQ(Offer(check, Reply({0x11, 0x22, 0x00, 1}), 30), Asker::ReadVitrel);
    EXPECT_EQ(check.outcome(), Outcome::Waiting);
    EXPECT_EQ(Offer(check, Faithful, 40), Asker::Check);
    EXPECT_EQ(check.outcome(), Outcome::Confirmed);
    EXPECT_EQ(Offer(check, Faithful, 50), Asker::Nobody);  // nobody asked any more

    // A second write before the first check's reply: that reply is only
    // consumed, the next one decides.
    check.Start(WrittenTimer, {2, 2, 2, 2}, 100);
    check.Start(WrittenTimer, WrittenStates, 110);
    EXPECT_EQ(Offer(check, Reply({0x57, 0x9E, 0x00, 2, 2, 2, 2}), 120), Asker::Check);
    EXPECT_EQ(check.outcome(), Outcome::Waiting);
    EXPECT_EQ(Offer(check, Faithful, 130), Asker::Check);
    EXPECT_EQ(check.outcome(), Outcome::Confirmed);
}

// A busy machine reads the reply after the deadline: it still belongs to
// the check (or the area) that asked, never to the page.
TEST(ProgrammeCheck, ALateReplyGoesToTheRequestThatAskedForIt)
{
    ProgrammeCheck check;
    check.Start(WrittenTimer, WrittenStates, 0);
    ASSERT_TRUE(check.Expire(check.deadline()));
    EXPECT_EQ(check.outcome(), Outcome::NoReply);
    EXPECT_EQ(Offer(check, Faithful, check.deadline() + 5000), Asker::Check);
    EXPECT_EQ(check.outcome(), Outcome::Confirmed);
    EXPECT_TRUE(check.Late());

    // Read before the tick that would have expired it: late all the same.
    check.Start(WrittenTimer, WrittenStates, 10000);
    EXPECT_EQ(Offer(check, Reply({0x57, 0x9E, 0x00, 2, 2, 2, 2}), check.deadline() + 1), Asker::Check);
    EXPECT_EQ(check.outcome(), Outcome::Differs);
    EXPECT_TRUE(check.Late());

    check.ReadRequested(20000, Asker::Area);
    EXPECT_TRUE(check.Awaits(Asker::Area, 20000));
    EXPECT_FALSE(check.Awaits(Asker::Area, 20000 + ProgrammeCheck::AllowanceMilliseconds(255) + 1));
    EXPECT_EQ(Offer(check, Faithful, 30000), Asker::Area);
}

TEST(ProgrammeCheck, DeadlineIsTheWireTimeAt9600BaudPlusTheMargin)
{
    for (int slots : {1, 10, 250}) {
        SCOPED_TRACE(slots);
        const double wire = (2 * slots + 26) * 10.0 / 9.6;
        const long long allowance = ProgrammeCheck::AllowanceMilliseconds(slots);
        EXPECT_GE(allowance, wire + ProgrammeCheck::MarginMilliseconds);
        EXPECT_LT(allowance, wire + ProgrammeCheck::MarginMilliseconds + 1);
    }
    ProgrammeCheck check;
    check.Start(WrittenTimer, WrittenStates, 5000);
    EXPECT_EQ(check.deadline(), 5000 + ProgrammeCheck::AllowanceMilliseconds(4));
    EXPECT_FALSE(check.Expire(check.deadline() - 1));
    EXPECT_TRUE(check.Expire(check.deadline()));
    EXPECT_EQ(check.outcome(), Outcome::NoReply);
    EXPECT_FALSE(check.Expire(check.deadline() + 1));  // reported once
}

// The stick may answer status polls sent after a request before the request
// itself: only the deadline ends it, once the replies read by then were offered.
TEST(ProgrammeCheck, ARequestEndsOnlyAtItsDeadline)
{
    ProgrammeCheck check;
    check.ReadRequested(0);
    const long long deadline = ProgrammeCheck::AllowanceMilliseconds(255);
    check.EndOverdueRequests(deadline);
    EXPECT_TRUE(check.Awaits(Asker::ReadVitrel, deadline));
    check.EndOverdueRequests(deadline + 1);
    EXPECT_FALSE(check.Awaits(Asker::ReadVitrel, 0));
    EXPECT_EQ(Offer(check, Faithful, deadline + 1), Asker::Nobody);

    check.Start(WrittenTimer, WrittenStates, 10);
    check.EndOverdueRequests(20);
    EXPECT_EQ(Offer(check, Faithful, 20), Asker::Check);
    EXPECT_EQ(check.outcome(), Outcome::Confirmed);

    // The stick went away: nothing open is answered any more.
    check.ReadRequested(30, Asker::Area);
    check.ForgetRequests();
    EXPECT_FALSE(check.Awaits(Asker::Area, 30));
    EXPECT_EQ(Offer(check, Faithful, 40), Asker::Nobody);
}

TEST(ProgrammeCheck, ARequestThatDidNotGoOutFailsAtOnceAsNotSent)
{
    ProgrammeCheck check;
    check.Start(WrittenTimer, WrittenStates, 0);
    check.Fail();
    EXPECT_EQ(check.outcome(), Outcome::NotSent);
    EXPECT_FALSE(check.Expire(1 << 30));
    EXPECT_EQ(Offer(check, Faithful, 10), Asker::Nobody);  // its request was never sent
}

}  // namespace
