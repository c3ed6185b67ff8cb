#include "roster/BoundedCall.h"

#include <condition_variable>
#include <iterator>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace tazu {
namespace {

// Shared by the caller and the worker: whichever of them is last frees it.
struct Outcome {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  int16_t value = 0;
};

struct Worker {
  std::thread thread;
  std::shared_ptr<Outcome> outcome;
};

// Workers whose callers stopped waiting. They are joined, never detached: MinGW's
// thread library can start a thread detached right after its creation with its
// arguments already reused, which crashes it or never runs it. The finished ones are
// joined at the next call; those still at work when the process ends end with it,
// so the list is never destroyed (a joinable thread's destructor would abort).
class OverranWorkers {
 public:
  void Add(Worker worker) {
    const std::lock_guard<std::mutex> hold(mutex_);
    workers_.push_back(std::move(worker));
  }
  void JoinFinished() {
    std::list<Worker> finished;
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      for (auto it = workers_.begin(); it != workers_.end();) {
        const auto next = std::next(it);
        if (Done(*it->outcome)) finished.splice(finished.end(), workers_, it);
        it = next;
      }
    }
    for (Worker& worker : finished) worker.thread.join();
  }

 private:
  static bool Done(Outcome& outcome) {
    const std::lock_guard<std::mutex> hold(outcome.mutex);
    return outcome.done;
  }

  std::mutex mutex_;
  std::list<Worker> workers_;
};

OverranWorkers& Overran() {
  static auto* const workers = new OverranWorkers;
  return *workers;
}

}  // namespace

int16_t CallWithin(std::chrono::milliseconds bound, const std::function<int16_t()>& work,
                   int16_t fallback) noexcept {
  try {
    Overran().JoinFinished();
    Worker worker{{}, std::make_shared<Outcome>()};
    try {
      worker.thread = std::thread([outcome = worker.outcome, work] {
        const int16_t value = work();
        const std::lock_guard<std::mutex> hold(outcome->mutex);
        outcome->value = value;
        outcome->done = true;
        outcome->finished.notify_all();
      });
    } catch (const std::system_error&) {
      return work();
    }
    Outcome& outcome = *worker.outcome;
    std::unique_lock<std::mutex> hold(outcome.mutex);
    if (!outcome.finished.wait_for(hold, bound, [&outcome] { return outcome.done; })) {
      hold.unlock();
      Overran().Add(std::move(worker));
      return fallback;
    }
    const int16_t value = outcome.value;
    hold.unlock();
    worker.thread.join();
    return value;
  } catch (...) {
    return fallback;
  }
}

}  // namespace tazu
