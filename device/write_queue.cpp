#include "device/write_queue.h"

bool WriteQueue::Append(const unsigned char* bytes, int count, bool begun, long long nowMs)
{
    if (count <= 0)
        return true;
    if (count > CapacityBytes - waitingBytes)
        return false;
    entries.push_back({std::vector<unsigned char>(bytes, bytes + count), 0, begun, nowMs});
    waitingBytes += count;
    return true;
}

bool WriteQueue::Pump(const PortWrite& write, long long nowMs, std::vector<int>& dropped)
{
    bool failed = false;
    while (!entries.empty()) {
        Entry& head = entries.front();
        const int left = static_cast<int>(head.bytes.size()) - head.sent;
        const int taken = write(head.bytes.data() + head.sent, left);
        if (taken < 0) {
            failed = true;
            break;
        }
        head.sent += taken;
        waitingBytes -= taken;
        if (taken > 0)
            head.begun = true;
        if (taken < left)
            break;
        entries.pop_front();
    }
    // Only the head can have begun; behind it the writes wait in the order
    // they came, so the old ones are all at the front.
    auto entry = entries.begin();
    if (entry != entries.end() && entry->begun)
        ++entry;
    while (entry != entries.end() && nowMs - entry->queuedAt >= DeadlineMilliseconds) {
        dropped.push_back(static_cast<int>(entry->bytes.size()));
        waitingBytes -= static_cast<int>(entry->bytes.size());
        entry = entries.erase(entry);
    }
    return !failed;
}

std::vector<int> WriteQueue::Clear()
{
    std::vector<int> sizes;
    for (const Entry& entry : entries)
        sizes.push_back(static_cast<int>(entry.bytes.size()) - entry.sent);
    entries.clear();
    waitingBytes = 0;
    return sizes;
}
