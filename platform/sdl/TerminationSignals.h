// Termination requests (SIGTERM, SIGINT, SIGHUP) turned into an orderly close. The
// constructor blocks them in the calling thread, so every thread started afterwards
// inherits the block and none of them is ever interrupted; one watcher thread then
// takes them from a signalfd. The first request calls the handler (which asks the
// program to close); a second request, or no end within the grace period, ends the
// process at once with _exit, leaving the desktop to the session guardian.
#pragma once

#include <signal.h>

#include <functional>
#include <thread>

namespace tazu {

class TerminationSignals {
 public:
  static constexpr int kGracePeriodMs = 5000;

  // Blocks the signals in the calling thread; call before any other thread starts.
  TerminationSignals();
  // Stops the watcher and gives the calling thread back the signal mask it had.
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Starts watching; `onRequest` runs on the watcher thread, once. `graceMs` is the
  // time the program has to end after the first request.
  void Start(std::function<void()> onRequest, int graceMs = kGracePeriodMs);

  // The signals handled here.
  static sigset_t Handled();

 private:
  void Watch(std::function<void()> onRequest, int graceMs);

  sigset_t previousMask_{};
  int signalFd_ = -1;
  int stopFd_ = -1;
  std::thread watcher_;
};

}  // namespace tazu
