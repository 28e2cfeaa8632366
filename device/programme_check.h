// Reading a programme back after writing it: the stick does not acknowledge a
// write, so the program asks for the stored programme (ReadProgramme) and
// compares the reply with what it sent. Plain logic: the caller sends the
// requests, feeds the replies and the clock, and shows the outcome.
//
// Replies carry no request number, but the stick answers in order: each
// ReadProgramme reply answers the oldest request still open, whether that
// request was this check's or a Read Vitrel's. A request that is not answered
// by its deadline is taken as lost.
#ifndef VITREL_DEVICE_PROGRAMME_CHECK_H
#define VITREL_DEVICE_PROGRAMME_CHECK_H

#include <deque>
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

  // Starts checking the programme just written, whose ReadProgramme request
  // goes out now: the SetSlotTimer payload (lo, hi, sel) and the slot states
  // as sent (1 on, anything else off). `nowMs` is a steady clock in
  // milliseconds. A check still waiting is superseded: its reply will be
  // consumed unread.
  void Start(const unsigned char timer[3], const std::vector<unsigned char>& states,
             long long nowMs);

  // A ReadProgramme request that is not a check's (Read Vitrel) went out now:
  // its reply belongs to the caller's page.
  void ReadRequested(long long nowMs);

  // Offers a completed instruction from the stick (00 code payload FF,
  // `length` bytes). True when it answered a check, which consumes it: the
  // latest check's reply decides the outcome, a superseded check's is
  // dropped. False for anything else: other codes, the answer to a Read
  // Vitrel, and a reply nobody asked for.
  bool Offer(const unsigned char* instruction, int length, long long nowMs);

  // Ends a wait whose deadline has passed with NoReply; true when this call
  // ended it.
  bool Expire(long long nowMs);

  // Ends a wait at once with NoReply (the request could not be sent).
  void Fail();

  Outcome outcome() const { return outcome_; }
  long long deadline() const { return deadline_; }

 private:
  struct Request {
    int check;  // the number of the check that sent it; 0 for a Read Vitrel
    long long deadline;
  };
  void DropLostRequests(long long nowMs);

  Outcome outcome_ = Outcome::None;
  int checks_ = 0;  // checks started so far; the latest is the one that counts
  unsigned char timer_[3] = {};
  std::vector<unsigned char> states_;
  long long deadline_ = 0;
  std::deque<Request> open_;  // requests not yet answered, oldest first
};

#endif
