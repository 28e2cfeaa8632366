// The read-back check after a write: which replies confirm the programme,
// which are consumed, and when the wait ends.
#include <gtest/gtest.h>

#include "device/programme_check.h"
#include "device/instruction.h"

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char kTimer[3] = {0x57, 0x9E, 0x00};
const Bytes kStates = {1, 2, 2, 1};

ProgrammeCheck Started(long long now = 0) {
  ProgrammeCheck check;
  check.Start(kTimer, kStates, now);
  return check;
}

Bytes Reply(const Bytes& payload) {
  Bytes frame(payload.size() + 3);
  BuildFrame(ReadProgramme, payload.data(), static_cast<int>(payload.size()), frame.data());
  return frame;
}

TEST(ProgrammeCheck, ReplyDecidesTheOutcome) {
  using Outcome = ProgrammeCheck::Outcome;
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
    ProgrammeCheck check = Started();
    const Bytes reply = Reply(c.payload);
    EXPECT_TRUE(check.Offer(reply.data(), static_cast<int>(reply.size())));
    EXPECT_EQ(check.outcome(), c.outcome);
  }
}

TEST(ProgrammeCheck, OnlyTheFirstProgrammeReplyWhileWaitingIsConsumed) {
  const Bytes reply = Reply({0x57, 0x9E, 0x00, 1, 2, 2, 1});
  const int length = static_cast<int>(reply.size());
  ProgrammeCheck idle;
  EXPECT_FALSE(idle.Offer(reply.data(), length));  // unasked: the page shows it
  EXPECT_EQ(idle.outcome(), ProgrammeCheck::Outcome::None);

  ProgrammeCheck check = Started();
  const unsigned char status[] = {0x00, 0x0B, 160, 100, 0xFF};
  EXPECT_FALSE(check.Offer(status, 5));
  EXPECT_EQ(check.outcome(), ProgrammeCheck::Outcome::Waiting);
  EXPECT_TRUE(check.Offer(reply.data(), length));
  EXPECT_FALSE(check.Offer(reply.data(), length));  // a later Read Vitrel's reply
  EXPECT_EQ(check.outcome(), ProgrammeCheck::Outcome::Confirmed);
}

TEST(ProgrammeCheck, DeadlineIsTheWireTimeAt9600BaudPlusTheMargin) {
  for (int slots : {1, 10, 250}) {
    SCOPED_TRACE(slots);
    const double wire = (2 * slots + 26) * 10.0 / 9.6;
    const long long allowance = ProgrammeCheck::AllowanceMilliseconds(slots);
    EXPECT_GE(allowance, wire + ProgrammeCheck::kMarginMilliseconds);
    EXPECT_LT(allowance, wire + ProgrammeCheck::kMarginMilliseconds + 1);
  }
  ProgrammeCheck check = Started(5000);
  EXPECT_EQ(check.deadline(), 5000 + ProgrammeCheck::AllowanceMilliseconds(4));
  EXPECT_FALSE(check.Expire(check.deadline() - 1));
  EXPECT_TRUE(check.Expire(check.deadline()));
  EXPECT_EQ(check.outcome(), ProgrammeCheck::Outcome::NoReply);
  EXPECT_FALSE(check.Expire(check.deadline() + 1));  // reported once

  // A new write starts a new wait; a confirmed check never expires.
  check.Start(kTimer, kStates, 9000);
  const Bytes reply = Reply({0x57, 0x9E, 0x00, 1, 2, 2, 1});
  check.Offer(reply.data(), static_cast<int>(reply.size()));
  EXPECT_FALSE(check.Expire(1 << 30));
  EXPECT_EQ(check.outcome(), ProgrammeCheck::Outcome::Confirmed);
}

}  // namespace
