// The read-back check after a write: which replies confirm the programme,
// which are consumed, and when the wait ends.
#include <gtest/gtest.h>

#include "device/programme_check.h"
#include "device/instruction.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Outcome = ProgrammeCheck::Outcome;

const unsigned char kTimer[3] = {0x57, 0x9E, 0x00};
const Bytes kStates = {1, 2, 2, 1};

Bytes Reply(const Bytes& payload) {
  Bytes frame(payload.size() + 3);
  BuildFrame(ReadProgramme, payload.data(), static_cast<int>(payload.size()), frame.data());
  return frame;
}

const Bytes kFaithful = Reply({0x57, 0x9E, 0x00, 1, 2, 2, 1});

bool Offer(ProgrammeCheck& check, const Bytes& reply, long long now = 0) {
  return check.Offer(reply.data(), static_cast<int>(reply.size()), now);
}

TEST(ProgrammeCheck, ReplyDecidesTheOutcome) {
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
    check.Start(kTimer, kStates, 0);
    EXPECT_TRUE(Offer(check, Reply(c.payload)));
    EXPECT_EQ(check.outcome(), c.outcome);
  }
}

// The stick answers in order: each reply goes to the oldest open request.
TEST(ProgrammeCheck, RepliesGoToTheirRequestsInOrder) {
  ProgrammeCheck check;
  EXPECT_FALSE(Offer(check, kFaithful));  // unasked: the page shows it
  EXPECT_EQ(check.outcome(), Outcome::None);

  // A Read Vitrel still open when the write goes out keeps its reply.
  check.ReadRequested(0);
  check.Start(kTimer, kStates, 10);
  const unsigned char status[] = {0x00, 0x0B, 160, 100, 0xFF};
  EXPECT_FALSE(check.Offer(status, 5, 20));
  EXPECT_FALSE(Offer(check, Reply({0x11, 0x22, 0x00, 1}), 30));  // the read's, for the page
  EXPECT_EQ(check.outcome(), Outcome::Waiting);
  EXPECT_TRUE(Offer(check, kFaithful, 40));
  EXPECT_EQ(check.outcome(), Outcome::Confirmed);
  EXPECT_FALSE(Offer(check, kFaithful, 50));  // nobody asked any more

  // A second write before the first check's reply: that reply is dropped,
  // the next one decides.
  check.Start(kTimer, {2, 2, 2, 2}, 100);
  check.Start(kTimer, kStates, 110);
  EXPECT_TRUE(Offer(check, Reply({0x57, 0x9E, 0x00, 2, 2, 2, 2}), 120));
  EXPECT_EQ(check.outcome(), Outcome::Waiting);
  EXPECT_TRUE(Offer(check, kFaithful, 130));
  EXPECT_EQ(check.outcome(), Outcome::Confirmed);
}

TEST(ProgrammeCheck, DeadlineIsTheWireTimeAt9600BaudPlusTheMargin) {
  for (int slots : {1, 10, 250}) {
    SCOPED_TRACE(slots);
    const double wire = (2 * slots + 26) * 10.0 / 9.6;
    const long long allowance = ProgrammeCheck::AllowanceMilliseconds(slots);
    EXPECT_GE(allowance, wire + ProgrammeCheck::kMarginMilliseconds);
    EXPECT_LT(allowance, wire + ProgrammeCheck::kMarginMilliseconds + 1);
  }
  ProgrammeCheck check;
  check.Start(kTimer, kStates, 5000);
  EXPECT_EQ(check.deadline(), 5000 + ProgrammeCheck::AllowanceMilliseconds(4));
  EXPECT_FALSE(check.Expire(check.deadline() - 1));
  EXPECT_TRUE(check.Expire(check.deadline()));
  EXPECT_EQ(check.outcome(), Outcome::NoReply);
  EXPECT_FALSE(check.Expire(check.deadline() + 1));  // reported once

  // A Read Vitrel never answered is given up at its deadline, so it does
  // not take the reply of a later check.
  check.ReadRequested(10000);
  check.Start(kTimer, kStates, 20000);
  EXPECT_TRUE(Offer(check, kFaithful, 20050));
  EXPECT_EQ(check.outcome(), Outcome::Confirmed);
  EXPECT_FALSE(check.Expire(1 << 30));  // a decided check never expires
}

TEST(ProgrammeCheck, ARequestThatDidNotGoOutFailsAtOnce) {
  ProgrammeCheck check;
  check.Start(kTimer, kStates, 0);
  check.Fail();
  EXPECT_EQ(check.outcome(), Outcome::NoReply);
  EXPECT_FALSE(Offer(check, kFaithful, 10));  // its request was never sent
}

}  // namespace
