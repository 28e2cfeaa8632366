#pragma once
// Reading a programme back after writing it: the stick does not acknowledge a
// write, so the program asks for the stored programme (ReadProgramme) and
// compares the reply with what it sent. Plain logic: the caller sends the
// requests, feeds the replies and the clock, and shows the outcome.
//
// Replies carry no request number, but the stick answers in order: each
// ReadProgramme reply answers the oldest request still open, whoever sent it
// (a check, Read Vitrel, or the "On the stick" area). A request ends only at
// its deadline or when the stick goes away: the stick may answer status polls
// sent after it first, as it needs longer for a programme. A reply read late
// because the window was busy still belongs to its request, as long as the
// caller ends the requests past their deadline only after offering what it
// read (EndOverdueRequests).
//
// A slow stick may answer after the deadline all the same. The program's own
// last request (a check, or the area's) that ended unanswered still takes a
// reply for LateReplyMilliseconds after its deadline, as long as no other
// request went out since: otherwise the reply would be taken for one sent
// unasked, and go onto the Advanced Settings page over the user's pattern.

#include <deque>
#include <vector>

#include "device/steady_clock.h"

class ProgrammeCheck {
public:
    enum class Outcome {
        None,  // nothing written yet
        Waiting,  // the request is out, no reply yet
        Confirmed,  // the reply holds exactly what was written
        Differs,  // the reply holds another programme
        NoReply,  // no reply by the deadline
        NotSent,  // the request could not be written to the stick
    };

    // Who a ReadProgramme reply answers.
    enum class Asker {
        Nobody,  // not a programme reply, or no request is open for it
        Check,  // a check: this one or one superseded since
        ReadVitrel,  // the user's Read Vitrel: the reply is for the page
        Area,  // the "On the stick" area
    };

    // The time one byte takes on the wire at 9600 baud, 8N1 (10 bits).
    static constexpr double ByteMilliseconds = 10.0 * 1000.0 / 9600.0;
    // Added to the wire time: the monitor sees a reply only on its next 100 ms
    // tick and reads at most 512 bytes a tick, and the stick has to store the
    // programme before it can report it; a second covers both with room for a
    // busy machine, and still tells the user within two seconds.
    static constexpr int MarginMilliseconds = 1000;

    // How long after its deadline the program's own last request may still be
    // answered (see above).
    static constexpr long long LateReplyMilliseconds = 10000;

    // Milliseconds from the request to the deadline for a programme of
    // `slots` slots.
    static long long AllowanceMilliseconds(int slots);

    // Starts checking the programme just written, whose ReadProgramme request
    // goes out now: the SetSlotTimer payload (lo, hi, sel) and the slot states
    // as sent (1 on, anything else off). `nowMs` is a steady clock in
    // milliseconds. A check still waiting is superseded: its reply will be
    // consumed unread.
    void Start(const unsigned char timer[3], const std::vector<unsigned char>& states, long long nowMs);

    // A ReadProgramme request that is not a check's went out now: Read Vitrel
    // or the area's.
    void ReadRequested(long long nowMs, Asker asker = Asker::ReadVitrel);

    // Offers a completed instruction from the stick (00 code payload FF,
    // `length` bytes) and tells whose request it answers. A check's reply
    // decides the latest check's outcome, also when it comes after the
    // deadline (NoReply then becomes Confirmed or Differs, and `Late()` says
    // so); a superseded check's reply is only consumed.
    Asker Offer(const unsigned char* instruction, int length, long long nowMs);

    // Ends the requests whose deadline has passed by `nowMs`: a reply that
    // comes later is one nobody asked for, unless it answers the program's
    // own last request late.
    void EndOverdueRequests(long long nowMs);

    // The stick went away or was found again: no open request will be
    // answered any more.
    void ForgetRequests();

    // Ends a wait whose deadline has passed with NoReply; true when this call
    // ended it.
    bool Expire(long long nowMs);

    // Ends a wait at once with NotSent (the request could not be written).
    void Fail();

    // True while a request of `asker` is open and not past its deadline.
    bool Awaits(Asker asker, long long nowMs) const;

    Outcome outcome() const { return currentOutcome; }
    // The outcome was decided by a reply that came after the deadline.
    bool Late() const { return late; }
    long long deadline() const { return deadlineMs; }

private:
    struct Request {
        Asker asker;
        int check;  // the number of the check that sent it; 0 for others
        long long deadline;
        int number;  // counts the requests sent
    };

    void Open(Asker asker, int check, long long deadline);

    Outcome currentOutcome = Outcome::None;
    bool late = false;
    int checks = 0;  // checks started so far; the latest is the one that counts
    unsigned char sentTimer[3] = {};
    std::vector<unsigned char> sentStates;
    long long deadlineMs = 0;
    std::deque<Request> openRequests;  // requests not yet answered, oldest first
    int requests = 0;  // requests sent so far
    // The last request sent, when it was the program's own and ended at its
    // deadline without an answer; asker Nobody when there is none.
    Request unanswered = {Asker::Nobody, 0, 0, 0};
};
