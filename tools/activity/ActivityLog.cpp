#include "tools/activity/ActivityLog.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>

namespace tazu::activity {

namespace {

constexpr mode_t kLogMode = 0644;

std::string Field(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

}  // namespace

std::string OwnProgramPath(const char* argv0) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n > 0 && static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, size_t(n));
  return argv0 != nullptr ? argv0 : "";
}

std::string LogLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = Field(program);
  for (const std::string& argument : arguments) {
    line += '\t';
    line += Field(argument);
  }
  line += '\n';
  return line;
}

bool AppendLine(const std::string& path, const std::string& line) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kLogMode);
  if (fd < 0) return false;
  ssize_t written = 0;
  do {
    written = write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  const bool whole = written == static_cast<ssize_t>(line.size());
  return close(fd) == 0 && whole;
}

}  // namespace tazu::activity
