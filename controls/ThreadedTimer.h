// A timer whose waiting is done by a worker thread of its own while its ticks run on
// the UI thread: each tick is handed over synchronously, so ticks never overlap or
// queue, and the next interval starts only when the handler has returned.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "framework/Component.h"

namespace tazu {

class TThreadedTimer : public TComponent {
 public:
  explicit TThreadedTimer(TComponent* owner);
  // Returns promptly even while a tick is being handed over, also when called from
  // inside this timer's own OnTimer; a tick in flight is dropped (the owner around it
  // may already be half gone).
  ~TThreadedTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  uint32_t Interval() const;
  // A change while enabled restarts the timing.
  void SetInterval(uint32_t ms);

  TNotifyEvent OnTimer;

 private:
  void Resume();
  void Pause();
  void WorkerLoop();
  bool WaitForTick(std::unique_lock<std::mutex>& lock);
  void DeliverTick();

  bool enabled_ = false;  // UI thread only

  // Shared with the worker, under mutex_.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  uint32_t interval_ = 1000;
  bool running_ = false;     // the worker may time ticks
  bool terminate_ = false;   // the worker must end
  bool finished_ = false;    // the worker has ended
  uint64_t generation_ = 0;  // bumped by every pause, resume and stop
  std::thread worker_;
};

}  // namespace tazu
