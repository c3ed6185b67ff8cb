#include "platform/sdl/SessionGuardian.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace tazu {
namespace {

constexpr size_t kMaxLineBytes = 16 * 1024;  // longer lines are dropped whole
constexpr size_t kMaxRecords = 64;
constexpr int kStopWaitMs = 3000;  // a normal end: the guardian has nothing left to do
constexpr int kReapPollMs = 10;
constexpr int kFirstUnusedFd = 3;
constexpr long kMaxWalkedFds = 65536;
constexpr int kFallbackFds = 1024;

// Closes every descriptor except `keep`, and points 0, 1 and 2 at /dev/null so that
// the guardian holds no terminal, pipe or file of the launcher open.
void DetachDescriptors(int keep) {
  const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  for (int fd = 0; fd < kFirstUnusedFd; ++fd) {
    if (devNull >= 0) {
      dup2(devNull, fd);
    } else {
      close(fd);
    }
  }
  const bool below = keep <= kFirstUnusedFd ||
                     close_range(kFirstUnusedFd, static_cast<unsigned>(keep - 1), 0) == 0;
  const bool above = close_range(static_cast<unsigned>(keep + 1), ~0U, 0) == 0;
  if (below && above) return;
  // Kernels without close_range: walk the descriptor table.
  const long limit = sysconf(_SC_OPEN_MAX);
  const int top = limit > 0 ? static_cast<int>(std::min(limit, kMaxWalkedFds)) : kFallbackFds;
  for (int fd = kFirstUnusedFd; fd < top; ++fd) {
    if (fd != keep) close(fd);
  }
}

void ApplyLine(const std::string& line, SessionGuardian::Records& records) {
  const size_t blank = line.find(' ');
  const std::string key = line.substr(0, blank);
  if (key.empty()) return;
  const std::string value = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  if (value.empty()) {
    records.erase(key);
  } else if (records.size() < kMaxRecords || records.count(key) != 0) {
    records[key] = value;
  }
}

[[noreturn]] void RunGuardian(int socket, SessionGuardian::Restorer restorer) {
  // Its own session: no controlling terminal, so terminal signals and hang-ups that
  // are meant for the launcher do not reach it.
  setsid();
  signal(SIGINT, SIG_IGN);
  signal(SIGHUP, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  DetachDescriptors(socket);

  SessionGuardian::Records records;
  std::string line;
  bool overlong = false;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(socket, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (ssize_t i = 0; i < got; ++i) {
      if (buffer[i] == '\n') {
        if (!overlong) ApplyLine(line, records);
        line.clear();
        overlong = false;
      } else if (line.size() < kMaxLineBytes) {
        line.push_back(buffer[i]);
      } else {
        overlong = true;
      }
    }
  }
  close(socket);
  if (!records.empty() && restorer != nullptr) restorer(records);
  _exit(0);
}

}  // namespace

SessionGuardian::SessionGuardian(Restorer restorer) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
  const pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    RunGuardian(ends[1], restorer);
  }
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    return;
  }
  pid_ = pid;
  socket_ = ends[0];
}

SessionGuardian::~SessionGuardian() { Stop(); }

void SessionGuardian::Set(const std::string& key, const std::string& value) {
  if (socket_ < 0) return;
  const std::string line = key + (value.empty() ? "" : " " + value) + "\n";
  size_t sent = 0;
  while (sent < line.size()) {
    const ssize_t n = send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The guardian is gone: nothing can be protected any more, but it must not stay
      // behind as a zombie.
      close(socket_);
      socket_ = -1;
      Reap(false);
      return;
    }
    sent += static_cast<size_t>(n);
  }
}

void SessionGuardian::Stop() {
  if (socket_ >= 0) {
    close(socket_);
    socket_ = -1;
  }
  Reap(true);
}

void SessionGuardian::Reap(bool wait) {
  if (pid_ <= 0) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
  for (;;) {
    const pid_t done = waitpid(pid_, nullptr, WNOHANG);
    if (done == pid_ || (done < 0 && errno != EINTR)) break;
    if (!wait) {
      if (kill(pid_, SIGKILL) != 0) break;
      wait = true;
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kReapPollMs));
  }
  pid_ = -1;
}

}  // namespace tazu
