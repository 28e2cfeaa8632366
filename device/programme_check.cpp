#include "device/programme_check.h"

#include <cmath>

#include "device/instruction.h"

long long ProgrammeCheck::AllowanceMilliseconds(int slots) {
  // Out: SetSlotTimer (6 bytes), SetSlotPattern (slots + 3), ReadProgramme
  // (3). In: the reply (slots + 6). A status poll and its reply (3 + 5) may
  // be queued ahead of them.
  const int bytes = 6 + (slots + 3) + 3 + (slots + 6) + 3 + 5;
  return static_cast<long long>(std::ceil(bytes * kByteMilliseconds)) + kMarginMilliseconds;
}

void ProgrammeCheck::Start(const unsigned char timer[3], const std::vector<unsigned char>& states,
                           long long nowMs) {
  for (int i = 0; i < 3; ++i) timer_[i] = timer[i];
  states_ = states;
  deadline_ = nowMs + AllowanceMilliseconds(static_cast<int>(states.size()));
  outcome_ = Outcome::Waiting;
  open_.push_back({++checks_, deadline_});
}

void ProgrammeCheck::ReadRequested(long long nowMs) {
  // The reply holds at most 255 states.
  open_.push_back({0, nowMs + AllowanceMilliseconds(255)});
}

void ProgrammeCheck::DropLostRequests(long long nowMs) {
  while (!open_.empty() && open_.front().deadline < nowMs) open_.pop_front();
}

bool ProgrammeCheck::Offer(const unsigned char* instruction, int length, long long nowMs) {
  if (length < 3 || instruction[1] != ReadProgramme) return false;
  DropLostRequests(nowMs);
  if (open_.empty()) return false;  // unasked
  const Request answered = open_.front();
  open_.pop_front();
  if (answered.check == 0) return false;  // a Read Vitrel's
  if (answered.check != checks_ || outcome_ != Outcome::Waiting) return true;  // superseded

  // 00 12 lo hi sel s1 .. sn FF
  const int stateCount = length - 6;
  bool same = stateCount == static_cast<int>(states_.size());
  for (int i = 0; same && i < 3; ++i) same = instruction[2 + i] == timer_[i];
  for (int j = 0; same && j < stateCount; ++j)
    same = (instruction[5 + j] == 1) == (states_[static_cast<std::size_t>(j)] == 1);
  outcome_ = same ? Outcome::Confirmed : Outcome::Differs;
  return true;
}

bool ProgrammeCheck::Expire(long long nowMs) {
  DropLostRequests(nowMs);
  if (outcome_ != Outcome::Waiting || nowMs < deadline_) return false;
  outcome_ = Outcome::NoReply;
  return true;
}

void ProgrammeCheck::Fail() {
  if (outcome_ != Outcome::Waiting) return;
  outcome_ = Outcome::NoReply;
  open_.pop_back();  // the request that did not go out
}
