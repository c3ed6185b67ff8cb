#include "platform/sdl/CopyMarker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tazu {
namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kLockFile = 0600;
constexpr mode_t kOthersMayWrite = 0022;
constexpr const char* kSuffix = ".lock";

// A folder of our own: a real folder (no link), owned by us, writable by nobody else.
bool IsPrivateFolder(const std::string& folder) {
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & kOthersMayWrite) == 0;
}

// Names come from the program file; anything that would leave the folder is replaced.
std::string SafeName(const std::string& name) {
  std::string safe = name.empty() ? std::string("unnamed") : name;
  for (char& c : safe) {
    if (c == '/' || c == '\0') c = '_';
  }
  if (safe == "." || safe == "..") safe = "_" + safe;
  return safe;
}

}  // namespace

CopyMarker::~CopyMarker() {
  for (int fd : descriptors_) close(fd);
}

std::string CopyMarker::Folder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) return runtime;
  const std::string folder = "/tmp/pelkor-tazu-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), kPrivateFolder) != 0 && errno != EEXIST) return {};
  return IsPrivateFolder(folder) ? folder : std::string();
}

std::string CopyMarker::PathOf(const std::string& name) {
  const std::string folder = Folder();
  return folder.empty() ? std::string() : folder + "/" + SafeName(name) + kSuffix;
}

bool CopyMarker::Take(const std::string& name) {
  const std::string path = PathOf(name);
  if (path.empty()) return false;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFile);
  if (fd < 0) return false;
  // Kept open whatever the answer, until the platform goes.
  descriptors_.push_back(fd);
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return true;
    if (errno != EINTR) return false;
  }
  return false;
}

}  // namespace tazu
