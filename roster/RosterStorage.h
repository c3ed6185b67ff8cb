// How the roster reaches its file. Opening without following links, making a file
// every account may write, and the byte-range lock that serialises writers are the
// operating system's work: they sit behind this interface, whose process
// implementations live in platform/posix and platform/win32.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tazu {

// The one byte every writer of the roster locks, on every system alike: far past any
// data (65,536 records of 708 bytes end below 47 MB), so programs that never lock
// still read and write the records, and below 2^31, so file servers that map one
// kind of byte-range lock onto another keep it.
inline constexpr uint64_t kRosterLockOffset = 0x40000000;
inline constexpr uint64_t kRosterLockLength = 1;
// How long an open waits for the lock before it gives up.
inline constexpr std::chrono::milliseconds kRosterLockWait{2000};

enum class RosterAccess {
  Shared,     // looking up: any number of readers together
  Exclusive,  // read, update and append as one step
};

// One open roster file holding the roster lock; closing it (or destroying it)
// releases the lock.
class RosterHandle {
 public:
  virtual ~RosterHandle() = default;

  // Reads up to `size` bytes at `offset`: the count read, fewer than `size` only at
  // the end of the file; -1 on failure.
  virtual int64_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) = 0;
  // Writes all `size` bytes at `offset`.
  virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
  // Closes the file; false when closing reports a failure.
  virtual bool Close() = 0;
};

enum class RosterOpenStatus {
  Opened,
  Missing,  // Open: no file of that name
  Exists,   // Create: the name is taken already
  Failed,   // anything else, including a lock not had in time
};

struct RosterOpening {
  RosterOpenStatus status = RosterOpenStatus::Failed;
  std::unique_ptr<RosterHandle> handle;  // set exactly when Opened
};

class RosterStorage {
 public:
  virtual ~RosterStorage() = default;

  // Opens the existing file `hostPath` for reading and writing, shared with other
  // readers and writers, and takes the roster lock for `access`. A symbolic link or
  // anything but a regular file in its place fails.
  virtual RosterOpening Open(const std::string& hostPath, RosterAccess access) = 0;
  // Makes the file `hostPath`, which must not exist yet, readable and writable by
  // every account of the machine, and takes the exclusive roster lock.
  virtual RosterOpening Create(const std::string& hostPath) = 0;
  // Makes the one folder `hostPath` (its parent must exist), in which every account
  // of the machine may create files.
  virtual bool CreateFolder(const std::string& hostPath) = 0;
};

}  // namespace tazu
