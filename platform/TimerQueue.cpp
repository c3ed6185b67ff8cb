#include "platform/TimerQueue.h"

#include <algorithm>
#include <limits>

namespace tazu {

TimerHandle TimerQueue::Start(uint32_t intervalMs, uint64_t now) {
  // A zero interval would tick on every loop pass; the system timers also raise it.
  const uint32_t interval = std::max<uint32_t>(intervalMs, 1);
  const TimerHandle handle = next_++;
  timers_[handle] = Entry{interval, now + interval};
  return handle;
}

void TimerQueue::Stop(TimerHandle timer) { timers_.erase(timer); }

std::optional<TimerHandle> TimerQueue::TakeDue(uint64_t now) {
  auto best = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due <= now && (best == timers_.end() || it->second.due < best->second.due)) {
      best = it;
    }
  }
  if (best == timers_.end()) return std::nullopt;
  best->second.due = now + best->second.interval;
  return best->first;
}

std::optional<uint64_t> TimerQueue::NextDue() const {
  if (timers_.empty()) return std::nullopt;
  uint64_t due = std::numeric_limits<uint64_t>::max();
  for (const auto& [handle, entry] : timers_) due = std::min(due, entry.due);
  return due;
}

int TimerQueue::MsUntilNext(uint64_t now) const {
  const auto due = NextDue();
  if (!due) return -1;
  if (*due <= now) return 0;
  const uint64_t wait = *due - now;
  return static_cast<int>(std::min<uint64_t>(wait, std::numeric_limits<int>::max()));
}

}  // namespace tazu
