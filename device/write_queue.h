#pragma once
// The bytes a port did not take at once, waiting in order to go out on later
// calls of the serial layer, so that no write ever waits for the port.

#include <deque>
#include <functional>
#include <vector>

class WriteQueue {
public:
    // Room for the largest write the program makes (a 250-slot programme with
    // its timer frame, 259 bytes) a few times over, and for the status polls
    // of many deadlines; beyond it a write is refused.
    static constexpr int CapacityBytes = 1024;
    // A write none of whose bytes went out by then is dropped: four times the
    // wire time of the largest write at 9600 baud, the same as the monitor's
    // liveness check, so that nothing stale reaches a stick found again.
    static constexpr long long DeadlineMilliseconds = 1000;

    // Hands bytes to the port without waiting; returns how many it took
    // (0 to count), or -1 when the port failed.
    using PortWrite = std::function<int(const unsigned char* bytes, int count)>;

    // Queues `count` bytes behind what waits; `begun` says that the bytes
    // before them went out already (the tail of a frame: it is never dropped
    // for its age, or the stick would read the next frame into it). False,
    // queuing nothing, when there is no room.
    bool Append(const unsigned char* bytes, int count, bool begun, long long nowMs);

    // Hands the port what waits, oldest first, as far as it takes it now; then
    // drops the writes that have waited DeadlineMilliseconds and of which
    // nothing went out, adding their sizes to `dropped`. False when the port
    // failed.
    bool Pump(const PortWrite& write, long long nowMs, std::vector<int>& dropped);

    // Forgets every write; returns the sizes of those that were waiting.
    std::vector<int> Clear();

    int Bytes() const { return waitingBytes; }
    bool Empty() const { return entries.empty(); }

private:
    struct Entry {
        std::vector<unsigned char> bytes;
        int sent;  // bytes of it handed over so far
        bool begun;
        long long queuedAt;
    };
    std::deque<Entry> entries;
    int waitingBytes = 0;  // bytes waiting
};
