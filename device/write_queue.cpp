#include "device/write_queue.h"

bool WriteQueue::Append(const unsigned char* bytes, int count, bool begun, long long nowMs) {
  if (count <= 0) return true;
  if (count > kCapacityBytes - bytes_) return false;
  entries_.push_back({std::vector<unsigned char>(bytes, bytes + count), 0, begun, nowMs});
  bytes_ += count;
  return true;
}

bool WriteQueue::Pump(const PortWrite& write, long long nowMs, std::vector<int>& dropped) {
  bool failed = false;
  while (!entries_.empty()) {
    Entry& head = entries_.front();
    const int left = static_cast<int>(head.bytes.size()) - head.sent;
    const int taken = write(head.bytes.data() + head.sent, left);
    if (taken < 0) {
      failed = true;
      break;
    }
    head.sent += taken;
    bytes_ -= taken;
    if (taken > 0) head.begun = true;
    if (taken < left) break;
    entries_.pop_front();
  }
  // Only the head can have begun; behind it the writes wait in the order
  // they came, so the old ones are all at the front.
  auto entry = entries_.begin();
  if (entry != entries_.end() && entry->begun) ++entry;
  while (entry != entries_.end() && nowMs - entry->queuedAt >= kDeadlineMilliseconds) {
    dropped.push_back(static_cast<int>(entry->bytes.size()));
    bytes_ -= static_cast<int>(entry->bytes.size());
    entry = entries_.erase(entry);
  }
  return !failed;
}

std::vector<int> WriteQueue::Clear() {
  std::vector<int> sizes;
  for (const Entry& entry : entries_) sizes.push_back(static_cast<int>(entry.bytes.size()) - entry.sent);
  entries_.clear();
  bytes_ = 0;
  return sizes;
}
