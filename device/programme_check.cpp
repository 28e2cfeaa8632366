#include "device/programme_check.h"

#include <chrono>
#include <cmath>

#include "device/instruction.h"

long long SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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
  late_ = false;
  open_.push_back({Asker::Check, ++checks_, deadline_, polls_});
}

void ProgrammeCheck::ReadRequested(long long nowMs, Asker asker) {
  // The reply holds at most 255 states.
  open_.push_back({asker, 0, nowMs + AllowanceMilliseconds(255), polls_});
}

void ProgrammeCheck::PollSent() { ++polls_; }

void ProgrammeCheck::StatusReplied() {
  ++statusReplies_;
  // This reply answers poll number statusReplies_ at the latest (fewer when
  // the stick let polls go unanswered), so the requests sent before that
  // poll were passed over.
  while (!open_.empty() && open_.front().pollsBefore < statusReplies_) open_.pop_front();
}

void ProgrammeCheck::ForgetRequests() {
  open_.clear();
  polls_ = 0;
  statusReplies_ = 0;
}

ProgrammeCheck::Asker ProgrammeCheck::Offer(const unsigned char* instruction, int length,
                                            long long nowMs) {
  if (length < 3 || instruction[1] != ReadProgramme || open_.empty()) return Asker::Nobody;
  const Request answered = open_.front();
  open_.pop_front();
  if (answered.asker != Asker::Check) return answered.asker;
  const bool decides = outcome_ == Outcome::Waiting || outcome_ == Outcome::NoReply;
  if (answered.check != checks_ || !decides) return Asker::Check;  // superseded

  // 00 12 lo hi sel s1 .. sn FF
  const int stateCount = length - 6;
  bool same = stateCount == static_cast<int>(states_.size());
  for (int i = 0; same && i < 3; ++i) same = instruction[2 + i] == timer_[i];
  for (int j = 0; same && j < stateCount; ++j)
    same = (instruction[5 + j] == SlotOn) == (states_[static_cast<std::size_t>(j)] == SlotOn);
  late_ = outcome_ == Outcome::NoReply || nowMs > deadline_;
  outcome_ = same ? Outcome::Confirmed : Outcome::Differs;
  return Asker::Check;
}

bool ProgrammeCheck::Expire(long long nowMs) {
  if (outcome_ != Outcome::Waiting || nowMs < deadline_) return false;
  outcome_ = Outcome::NoReply;
  return true;
}

void ProgrammeCheck::Fail() {
  if (outcome_ != Outcome::Waiting) return;
  outcome_ = Outcome::NotSent;
  open_.pop_back();  // the request that did not go out
}

bool ProgrammeCheck::Awaits(Asker asker, long long nowMs) const {
  for (const Request& request : open_)
    if (request.asker == asker && request.deadline >= nowMs) return true;
  return false;
}
