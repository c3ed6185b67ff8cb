// A thread that waits on the descriptors of event sources outside SDL (the program's
// own X connection, open mixer devices) and only says "ready": the source's owner
// reads it on the UI thread, so no Xlib or ALSA call ever runs on this thread. A source
// that was reported is not watched again until it is re-armed, so the thread never
// spins on data that the UI thread has not read yet.
#pragma once

#include <poll.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace tazu {

class FdWatcher {
 public:
  using Ready = std::function<void(uint32_t source)>;

  // `ready` runs on the watcher thread; it must only hand the news over (it must not
  // call back into the watcher).
  explicit FdWatcher(Ready ready);
  ~FdWatcher();
  FdWatcher(const FdWatcher&) = delete;
  FdWatcher& operator=(const FdWatcher&) = delete;

  // Watches `fds` (events set by the caller) as source `source`, armed.
  void Watch(uint32_t source, std::vector<pollfd> fds);
  // Stops watching; once this returns the thread no longer polls the source's
  // descriptors, so the caller may close them.
  void Forget(uint32_t source);
  // Watches a reported source again.
  void Rearm(uint32_t source);

 private:
  struct Source {
    std::vector<pollfd> fds;
    bool armed = true;
  };

  void Run();
  void Nudge();
  // Waits until the thread has taken in every change made so far (lock held).
  void WaitTakenIn(std::unique_lock<std::mutex>& lock);

  Ready ready_;
  int wakeFd_ = -1;  // eventfd: a change of sources, or the end
  std::mutex mutex_;
  std::condition_variable takenIn_;
  std::map<uint32_t, Source> sources_;
  uint64_t changes_ = 0;  // bumped at every change of the watched set
  uint64_t seen_ = 0;     // the last change the thread has taken in
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tazu
