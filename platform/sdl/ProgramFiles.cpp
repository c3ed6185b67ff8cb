#include "platform/sdl/ProgramFiles.h"

#include <unistd.h>

#include <string_view>
#include <vector>

namespace tazu {
namespace {

constexpr size_t kFirstPathBuffer = 256;
constexpr size_t kLongestPath = 1 << 16;
// What the kernel appends to the link of a program file that was replaced while running.
constexpr std::string_view kDeletedSuffix = " (deleted)";

}  // namespace

std::string ProgramPath() {
  for (size_t size = kFirstPathBuffer; size <= kLongestPath; size *= 2) {
    std::vector<char> buffer(size);
    const ssize_t got = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (got < 0) return {};
    if (static_cast<size_t>(got) < buffer.size()) {
      std::string path(buffer.data(), static_cast<size_t>(got));
      if (path.ends_with(kDeletedSuffix)) path.resize(path.size() - kDeletedSuffix.size());
      return path;
    }
  }
  return {};
}

std::string ProgramFileName() {
  const std::string path = ProgramPath();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string StandInWindowsFolder() { return ProgramFolder() + "/windows"; }

std::string StandInSystemFolder() { return ProgramFolder() + "/system"; }

}  // namespace tazu
