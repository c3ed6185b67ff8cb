// Repeating timers kept by the loop itself: due timers come out of WaitEvent like
// window messages, at most one pending tick per timer, never from another thread.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/Platform.h"

namespace tazu {

class TimerQueue {
 public:
  TimerHandle Start(uint32_t intervalMs, uint64_t now);
  void Stop(TimerHandle timer);
  bool Empty() const { return timers_.empty(); }
  size_t Count() const { return timers_.size(); }

  // The timer that is due at `now` and has waited longest; its next tick is scheduled
  // one interval after `now` (missed ticks are not made up).
  std::optional<TimerHandle> TakeDue(uint64_t now);
  // Milliseconds until the next timer is due (0 if one is due), or -1 with no timers.
  int MsUntilNext(uint64_t now) const;
  // Absolute time of the next due timer, if any.
  std::optional<uint64_t> NextDue() const;

 private:
  struct Entry {
    uint32_t interval;
    uint64_t due;
  };
  std::map<TimerHandle, Entry> timers_;
  TimerHandle next_ = 1;
};

}  // namespace tazu
