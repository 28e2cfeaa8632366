#include "tools/stick-sim/stick.h"

#include <cstring>

int SimulatedStick::Receive(const unsigned char* frame, int length, unsigned char* reply)
{
    if (length < 3)
        return 0;  // 00 FF: no code
    const unsigned char* payload = frame + 2;
    int payloadLength = length - 3;
    switch (static_cast<signed char>(frame[1])) {
        case SetSlotTimer:
            // A frame cut short by a 0xFF inside the timer bytes leaves the timer
            // as it was.
            if (payloadLength >= 3)
                std::memcpy(timer, payload, 3);
            if (alterTimer)
                timer[0] = timer[0] > 0 ? static_cast<unsigned char>(timer[0] - 1) : 1;
            return 0;
        case SetSlotPattern:
            stateCount = payloadLength < 255 ? payloadLength : 255;
            std::memcpy(states, payload, static_cast<std::size_t>(stateCount));
            if (flipSlot >= 0 && flipSlot < stateCount)
                states[flipSlot] = states[flipSlot] == SlotOn ? SlotOff : SlotOn;
            return 0;
        case BeeperOn:
            beeperOn = true;
            return 0;
        case BeeperOff:
            beeperOn = false;
            return 0;
        case Identify:
            return silent ? 0 : BuildFrame(Identify, nullptr, 0, reply);
        case PollStatus: {
            if (silent)
                return 0;
            bool answer = pollsSeen % pollCycle < answeredPolls;
            ++pollsSeen;
            return answer ? BuildFrame(PollStatus, battery, 2, reply) : 0;
        }
        case QueryBeeper: {
            if (silent)
                return 0;
            const unsigned char state = beeperOn ? 1 : 0;
            return BuildFrame(QueryBeeper, &state, 1, reply);
        }
        case ReadProgramme: {
            if (silent || !answerReads)
                return 0;
            unsigned char programme[3 + 255];
            std::memcpy(programme, timer, 3);
            std::memcpy(programme + 3, states, static_cast<std::size_t>(stateCount));
            return BuildFrame(ReadProgramme, programme, 3 + stateCount, reply);
        }
        default:
            return 0;
    }
}

void SimulatedStick::AnswerPolls(int answered, int cycle)
{
    answeredPolls = answered;
    pollCycle = cycle;
    pollsSeen = 0;
}

bool SimulatedStick::SetProgramme(const unsigned char* bytes, int count)
{
    if (count < 3 || count > 3 + 255)
        return false;
    std::memcpy(timer, bytes, 3);
    stateCount = count - 3;
    std::memcpy(states, bytes + 3, static_cast<std::size_t>(stateCount));
    return true;
}
