#include "platform/sdl/FdWatcher.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace tazu {

FdWatcher::FdWatcher(Ready ready) : ready_(std::move(ready)) {
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) throw std::runtime_error("Cannot make the watcher's wake-up descriptor");
  thread_ = std::thread([this] { Run(); });
}

FdWatcher::~FdWatcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  Nudge();
  thread_.join();
  close(wakeFd_);
}

void FdWatcher::Nudge() {
  const uint64_t one = 1;
  // A full counter already means "wake up"; nothing is lost when the write fails.
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

void FdWatcher::WaitTakenIn(std::unique_lock<std::mutex>& lock) {
  const uint64_t change = ++changes_;
  Nudge();
  takenIn_.wait(lock, [&] { return seen_ >= change || stopping_; });
}

void FdWatcher::Watch(uint32_t source, std::vector<pollfd> fds) {
  std::unique_lock lock(mutex_);
  sources_[source] = Source{std::move(fds), true};
  ++changes_;
  Nudge();
}

void FdWatcher::Forget(uint32_t source) {
  std::unique_lock lock(mutex_);
  if (sources_.erase(source) == 0) return;
  WaitTakenIn(lock);
}

void FdWatcher::Rearm(uint32_t source) {
  std::lock_guard lock(mutex_);
  auto it = sources_.find(source);
  if (it == sources_.end() || it->second.armed) return;
  it->second.armed = true;
  ++changes_;
  Nudge();
}

void FdWatcher::Run() {
  std::vector<pollfd> fds;
  std::vector<uint32_t> owners;  // the source of each entry of fds after the first
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      fds.assign(1, pollfd{wakeFd_, POLLIN, 0});
      owners.clear();
      for (const auto& [id, source] : sources_) {
        if (!source.armed) continue;
        for (const pollfd& fd : source.fds) {
          fds.push_back(pollfd{fd.fd, fd.events, 0});
          owners.push_back(id);
        }
      }
      seen_ = changes_;
    }
    takenIn_.notify_all();
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;  // cannot happen with valid arguments; the sources just go quiet
    }
    if (fds[0].revents != 0) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    }
    std::vector<uint32_t> reported;
    {
      std::lock_guard lock(mutex_);
      for (size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        auto it = sources_.find(owners[i - 1]);
        // A source forgotten meanwhile is not reported; one reported once is disarmed.
        if (it == sources_.end() || !it->second.armed) continue;
        it->second.armed = false;
        reported.push_back(it->first);
      }
    }
    for (uint32_t source : reported) ready_(source);
  }
}

}  // namespace tazu
