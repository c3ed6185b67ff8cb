// The roster's file access on POSIX systems. The roster lies in a folder every account
// may write (often sticky and world-writable), so:
// - an existing roster is opened without O_CREAT (fs.protected_regular refuses O_CREAT
//   opens of another account's file in a sticky folder) and without following a
//   symbolic link, and it must be a regular file;
// - a new one is made with O_CREAT|O_EXCL, then given mode 0666 whatever the umask;
// - writers serialise on an open-file-description lock of one sentinel byte: it
//   belongs to this open file alone (not to the process, so two threads or two opens in
//   one process exclude each other too), it goes when the file is closed or its
//   holder dies, and NFS and SMB clients pass it on to the server.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/ProcessRoster.h"

namespace tazu {
namespace {

constexpr mode_t kSharedFileMode = 0666;
constexpr mode_t kSharedFolderMode = 01777;  // the sticky bit: nobody removes another's files
constexpr mode_t kNewFolderMode = 0777;
// Waits between lock attempts grow from the first to the longest: short enough that a
// lock given up between two other writers' turns is soon noticed.
constexpr std::chrono::milliseconds kFirstLockPause{1};
constexpr std::chrono::milliseconds kLongestLockPause{10};

#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
#else
// Systems without open-file-description locks: the process's own record locks.
constexpr int kSetLock = F_SETLK;
#endif

class PosixRosterHandle final : public RosterHandle {
 public:
  explicit PosixRosterHandle(int fd) : fd_(fd) {}
  ~PosixRosterHandle() override {
    if (fd_ >= 0) close(fd_);
  }
  PosixRosterHandle(const PosixRosterHandle&) = delete;
  PosixRosterHandle& operator=(const PosixRosterHandle&) = delete;

  int64_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override {
    size_t done = 0;
    while (done < size) {
      const ssize_t got = pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      if (got == 0) break;
      done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
  }

  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    size_t done = 0;
    while (done < size) {
      const ssize_t put = pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += static_cast<size_t>(put);
    }
    return true;
  }

  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && close(fd) == 0;
  }

  // Tries for the lock until `wait` has passed.
  bool Lock(RosterAccess access, std::chrono::milliseconds wait) {
    struct flock lock {};
    lock.l_type = access == RosterAccess::Exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(kRosterLockOffset);
    lock.l_len = static_cast<off_t>(kRosterLockLength);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds pause = kFirstLockPause;
    for (;;) {
      if (fcntl(fd_, kSetLock, &lock) == 0) return true;
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EACCES) return false;  // no locks on this file system
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(pause);
      pause = std::min(pause * 2, kLongestLockPause);
    }
  }

 private:
  int fd_;
};

RosterOpening Locked(int fd, RosterAccess access) {
  auto handle = std::make_unique<PosixRosterHandle>(fd);
  if (!handle->Lock(access, kRosterLockWait)) return {};
  return {RosterOpenStatus::Opened, std::move(handle)};
}

class PosixRosterStorage final : public RosterStorage {
 public:
  RosterOpening Open(const std::string& hostPath, RosterAccess access) override {
    // Non-blocking, so that a FIFO put in the roster's place cannot hold the open.
    const int fd = open(hostPath.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      return {errno == ENOENT ? RosterOpenStatus::Missing : RosterOpenStatus::Failed, nullptr};
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      close(fd);
      return {};
    }
    return Locked(fd, access);
  }

  RosterOpening Create(const std::string& hostPath) override {
    const int fd =
        open(hostPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
             kSharedFileMode);
    if (fd < 0)
      return {errno == EEXIST ? RosterOpenStatus::Exists : RosterOpenStatus::Failed, nullptr};
    // The umask took bits away; a file system without permission bits may refuse, and
    // the roster then works for this account all the same.
    (void)fchmod(fd, kSharedFileMode);
    return Locked(fd, RosterAccess::Exclusive);
  }

  bool CreateFolder(const std::string& hostPath) override {
    if (mkdir(hostPath.c_str(), kNewFolderMode) != 0) return false;
    // The umask took bits away: set them on the folder just made, reached without
    // following a link in case its name was swapped meanwhile.
    const int fd = open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      (void)fchmod(fd, kSharedFolderMode);
      close(fd);
    }
    return true;
  }
};

}  // namespace

std::shared_ptr<RosterStorage> ProcessRosterStorage() {
  // Never destroyed: a roster call that overran its caller's wait may still use it
  // while the process ends.
  static const auto* const storage =
      new std::shared_ptr<RosterStorage>(std::make_shared<PosixRosterStorage>());
  return *storage;
}

}  // namespace tazu
