#include "platform/sdl/TerminationSignals.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace tazu {
namespace {

constexpr int kExitStatusSignalBase = 128;  // the shell's convention for "ended by signal n"

// The number of the termination request read from `fd`, or 0.
int ReadRequest(int fd) {
  signalfd_siginfo info{};
  const ssize_t got = read(fd, &info, sizeof info);
  return got == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo) : 0;
}

}  // namespace

sigset_t TerminationSignals::Handled() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  return set;
}

TerminationSignals::TerminationSignals() {
  const sigset_t handled = Handled();
  pthread_sigmask(SIG_BLOCK, &handled, &previousMask_);
  signalFd_ = signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TerminationSignals::~TerminationSignals() {
  if (watcher_.joinable()) {
    const uint64_t one = 1;
    while (write(stopFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    watcher_.join();
  }
  if (signalFd_ >= 0) close(signalFd_);
  if (stopFd_ >= 0) close(stopFd_);
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void TerminationSignals::Start(std::function<void()> onRequest, int graceMs) {
  if (watcher_.joinable() || signalFd_ < 0 || stopFd_ < 0) return;
  watcher_ =
      std::thread([this, onRequest = std::move(onRequest), graceMs] { Watch(onRequest, graceMs); });
}

void TerminationSignals::Watch(std::function<void()> onRequest, int graceMs) {
  using Clock = std::chrono::steady_clock;
  int first = 0;
  Clock::time_point deadline{};
  for (;;) {
    int timeout = -1;
    if (first != 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) _exit(kExitStatusSignalBase + first);
      timeout = static_cast<int>(left.count());
    }
    pollfd fds[2] = {{stopFd_, POLLIN, 0}, {signalFd_, POLLIN, 0}};
    const int ready = poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    if (fds[0].revents != 0) return;
    if (fds[1].revents == 0) continue;
    const int request = ReadRequest(signalFd_);
    if (request == 0) continue;
    if (first != 0) _exit(kExitStatusSignalBase + request);
    first = request;
    deadline = Clock::now() + std::chrono::milliseconds(graceMs);
    if (onRequest) onRequest();
  }
}

}  // namespace tazu
