#include "device/programme_check.h"

#include <cmath>
#include <utility>

#include "device/instruction.h"

long long ProgrammeCheck::AllowanceMilliseconds(int slots)
{
    // Out: SetSlotTimer (6 bytes), SetSlotPattern (slots + 3), ReadProgramme
    // (3). In: the reply (slots + 6). A status poll and its reply (3 + 5) may
    // be queued ahead of them.
    const int bytes = 6 + (slots + 3) + 3 + (slots + 6) + 3 + 5;
    return static_cast<long long>(std::ceil(bytes * ByteMilliseconds)) + MarginMilliseconds;
}

void ProgrammeCheck::Start(const unsigned char timer[3], const std::vector<unsigned char>& states,
                           long long nowMs)
{
    for (int i = 0; i < 3; ++i)
        sentTimer[i] = timer[i];
    sentStates = states;
    deadlineMs = nowMs + AllowanceMilliseconds(static_cast<int>(states.size()));
    currentOutcome = Outcome::Waiting;
    late = false;
    Open(Asker::Check, ++checks, deadlineMs);
}

void ProgrammeCheck::ReadRequested(long long nowMs, Asker asker)
{
    // The reply holds at most 255 states.
    Open(asker, 0, nowMs + AllowanceMilliseconds(255));
}

void ProgrammeCheck::Open(Asker asker, int check, long long deadline)
{
    openRequests.push_back({asker, check, deadline, ++requests});
    unanswered.asker = Asker::Nobody;
}

void ProgrammeCheck::EndOverdueRequests(long long nowMs)
{
    for (auto request = openRequests.begin(); request != openRequests.end();) {
        if (request->deadline >= nowMs) {
            ++request;
            continue;
        }
        if (request->number == requests && request->asker != Asker::ReadVitrel)
            unanswered = *request;
        request = openRequests.erase(request);
    }
}

void ProgrammeCheck::ForgetRequests()
{
    openRequests.clear();
    unanswered.asker = Asker::Nobody;
}

ProgrammeCheck::Asker ProgrammeCheck::Offer(const unsigned char* instruction, int length, long long nowMs)
{
    if (length < 3 || instruction[1] != ReadProgramme)
        return Asker::Nobody;
    Request answered = {Asker::Nobody, 0, 0, 0};
    if (!openRequests.empty()) {
        answered = openRequests.front();
        openRequests.pop_front();
    } else if (nowMs - unanswered.deadline <= LateReplyMilliseconds) {
        std::swap(answered, unanswered);
    }
    if (answered.asker == Asker::Nobody)
        return Asker::Nobody;
    if (answered.asker != Asker::Check)
        return answered.asker;
    const bool decides = currentOutcome == Outcome::Waiting || currentOutcome == Outcome::NoReply;
    if (answered.check != checks || !decides)
        return Asker::Check;  // superseded

    // 00 12 lo hi sel s1 .. sn FF
    const int stateCount = length - 6;
    bool same = stateCount == static_cast<int>(sentStates.size());
    for (int i = 0; same && i < 3; ++i)
        same = instruction[2 + i] == sentTimer[i];
    for (int j = 0; same && j < stateCount; ++j)
        same = (instruction[5 + j] == SlotOn) == (sentStates[static_cast<std::size_t>(j)] == SlotOn);
    late = currentOutcome == Outcome::NoReply || nowMs > deadlineMs;
    currentOutcome = same ? Outcome::Confirmed : Outcome::Differs;
    return Asker::Check;
}

bool ProgrammeCheck::Expire(long long nowMs)
{
    if (currentOutcome != Outcome::Waiting || nowMs < deadlineMs)
        return false;
    currentOutcome = Outcome::NoReply;
    return true;
}

void ProgrammeCheck::Fail()
{
    if (currentOutcome != Outcome::Waiting)
        return;
    currentOutcome = Outcome::NotSent;
    openRequests.pop_back();  // the request that did not go out
}

bool ProgrammeCheck::Awaits(Asker asker, long long nowMs) const
{
    for (const Request& request : openRequests)
        if (request.asker == asker && request.deadline >= nowMs)
            return true;
    return false;
}
