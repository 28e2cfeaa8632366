// Reading a programme back after writing it: the stick does not acknowledge a
// write, so the program asks for the stored programme (ReadProgramme) and
// compares the reply with what it sent. Plain logic: the caller sends the
// request, feeds the replies and the clock, and shows the outcome.
#ifndef VITREL_DEVICE_PROGRAMME_CHECK_H
#define VITREL_DEVICE_PROGRAMME_CHECK_H

#include <vector>

class ProgrammeCheck {
 public:
  enum class Outcome {
    None,       // nothing written yet
    Waiting,    // the request is out, no reply yet
    Confirmed,  // the reply holds exactly what was written
    Differs,    // the reply holds another programme
    NoReply,    // no reply by the deadline
  };

  // The time one byte takes on the wire at 9600 baud, 8N1 (10 bits).
  static constexpr double kByteMilliseconds = 10.0 * 1000.0 / 9600.0;
  // Added to the wire time: the monitor sees a reply only on its next 100 ms
  // tick and reads at most 512 bytes a tick, and the stick has to store the
  // programme before it can report it; a second covers both with room for a
  // busy machine, and still tells the user within two seconds.
  static constexpr int kMarginMilliseconds = 1000;

  // Milliseconds from the request to the deadline for a programme of
  // `slots` slots.
  static long long AllowanceMilliseconds(int slots);

  // Starts checking the programme just written: the SetSlotTimer payload
  // (lo, hi, sel) and the slot states as sent (1 on, anything else off).
  // `nowMs` is a steady clock in milliseconds. Any check still waiting is
  // dropped.
  void Start(const unsigned char timer[3], const std::vector<unsigned char>& states,
             long long nowMs);

  // Offers a completed instruction from the stick (00 code payload FF,
  // `length` bytes). While waiting, the first ReadProgramme reply is the
  // answer to the check: it is consumed (true) and decides the outcome.
  // Anything else, and every reply when not waiting, is left to the caller.
  bool Offer(const unsigned char* instruction, int length);

  // Ends a wait whose deadline has passed with NoReply; true when this call
  // ended it.
  bool Expire(long long nowMs);

  // Ends a wait at once with NoReply (the request could not be sent).
  void Fail();

  Outcome outcome() const { return outcome_; }
  long long deadline() const { return deadline_; }

 private:
  Outcome outcome_ = Outcome::None;
  unsigned char timer_[3] = {};
  std::vector<unsigned char> states_;
  long long deadline_ = 0;
};

#endif
