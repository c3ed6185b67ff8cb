#include "controls/ThreadedTimer.h"

#include <chrono>

#include "base/Exceptions.h"
#include "framework/Application.h"

namespace tazu {
namespace {
constexpr auto kShutdownPoll = std::chrono::milliseconds(1);
}  // namespace

TThreadedTimer::TThreadedTimer(TComponent* owner) : TComponent(owner) {
  if (Application() == nullptr) throw Exception("A threaded timer needs the application");
  worker_ = std::thread([this] { WorkerLoop(); });
}

TThreadedTimer::~TThreadedTimer() {
  {
    std::lock_guard lock(mutex_);
    terminate_ = true;
    ++generation_;
  }
  wake_.notify_all();
  // The worker may be blocked handing a tick to this (UI) thread, queued or running
  // (when this timer goes from inside its own tick): release that hand-over until the
  // worker has seen the terminate flag.
  std::unique_lock lock(mutex_);
  while (!finished_) {
    lock.unlock();
    if (Application() != nullptr) Application()->CancelSynchronize(this);
    lock.lock();
    wake_.wait_for(lock, kShutdownPoll, [this] { return finished_; });
  }
  lock.unlock();
  worker_.join();
}

void TThreadedTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  if (enabled_) {
    Resume();
  } else {
    Pause();
  }
}

uint32_t TThreadedTimer::Interval() const {
  std::lock_guard lock(mutex_);
  return interval_;
}

void TThreadedTimer::SetInterval(uint32_t ms) {
  if (ms == Interval()) return;
  const bool wasEnabled = enabled_;
  SetEnabled(false);
  {
    std::lock_guard lock(mutex_);
    interval_ = ms;
  }
  SetEnabled(wasEnabled);
}

void TThreadedTimer::Resume() {
  {
    std::lock_guard lock(mutex_);
    if (interval_ == 0) return;  // paused until a non-zero interval comes
    running_ = true;
    ++generation_;  // a fresh interval starts now
  }
  wake_.notify_all();
}

void TThreadedTimer::Pause() {
  {
    std::lock_guard lock(mutex_);
    running_ = false;
    ++generation_;
  }
  wake_.notify_all();
}

// Waits one interval; true when it ran out undisturbed (a tick is due).
bool TThreadedTimer::WaitForTick(std::unique_lock<std::mutex>& lock) {
  wake_.wait(lock, [this] { return running_ || terminate_; });
  if (terminate_) return false;
  const uint64_t started = generation_;
  const auto interval = std::chrono::milliseconds(interval_);
  const bool disturbed =
      wake_.wait_for(lock, interval, [&] { return generation_ != started || terminate_; });
  return !disturbed;
}

void TThreadedTimer::WorkerLoop() {
  std::unique_lock lock(mutex_);
  while (!terminate_) {
    if (!WaitForTick(lock)) continue;
    lock.unlock();
    bool failed = false;
    try {
      Application()->Synchronize([this] { DeliverTick(); }, this);
    } catch (...) {
      // A handler that raises stops this timer for good, without a message.
      failed = true;
    }
    lock.lock();
    if (failed) break;
  }
  finished_ = true;
  wake_.notify_all();
}

void TThreadedTimer::DeliverTick() {
  if (!enabled_ || !OnTimer) return;
  // The handler may destroy this timer: it runs from a copy, and nothing of the timer
  // is touched after it.
  const TNotifyEvent handler = OnTimer;
  handler(this);
}

}  // namespace tazu
