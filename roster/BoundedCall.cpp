#include "roster/BoundedCall.h"

#include <condition_variable>
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

}  // namespace

int16_t CallWithin(std::chrono::milliseconds bound, const std::function<int16_t()>& work,
                   int16_t fallback) noexcept {
  try {
    auto outcome = std::make_shared<Outcome>();
    try {
      std::thread([outcome, work] {
        const int16_t value = work();
        const std::lock_guard<std::mutex> hold(outcome->mutex);
        outcome->value = value;
        outcome->done = true;
        outcome->finished.notify_all();
      }).detach();
    } catch (const std::system_error&) {
      return work();
    }
    std::unique_lock<std::mutex> hold(outcome->mutex);
    if (!outcome->finished.wait_for(hold, bound, [&outcome] { return outcome->done; })) {
      return fallback;
    }
    return outcome->value;
  } catch (...) {
    return fallback;
  }
}

}  // namespace tazu
