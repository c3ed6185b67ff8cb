#include "tests/soak/ProcessFigures.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace tazu::test {
namespace {

int CountEntries(const fs::path& folder) {
  std::error_code ec;
  int count = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) ++count;
  return count;
}

// State and parent of one process from its stat line; the command name may hold
// spaces and brackets, so the fields are read after its last closing bracket.
bool StateAndParent(const fs::path& statFile, char& state, long& parent) {
  std::ifstream in(statFile);
  std::string line;
  if (!std::getline(in, line)) return false;
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 1));
  return static_cast<bool>(fields >> state >> parent);
}

int CountZombieChildren() {
  const long self = static_cast<long>(getpid());
  int zombies = 0;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    char state = 0;
    long parent = 0;
    if (StateAndParent(it->path() / "stat", state, parent) && parent == self && state == 'Z') {
      ++zombies;
    }
  }
  return zombies;
}

int64_t ResidentKb() {
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    if (key == "VmRSS:") {
      int64_t kb = 0;
      in >> kb;
      return kb;
    }
    in.ignore(1 << 16, '\n');
  }
  return -1;
}

}  // namespace

ProcessFigures ProcessFigures::Now() {
  ProcessFigures f;
  // The directory listing itself holds one descriptor while it runs.
  f.openFiles = CountEntries("/proc/self/fd") - 1;
  f.threads = CountEntries("/proc/self/task");
  f.zombies = CountZombieChildren();
  f.residentKb = ResidentKb();
  return f;
}

std::string ProcessFigures::Line(const std::string& label) const {
  std::ostringstream out;
  out << "SOAK: " << label << " fds=" << openFiles << " threads=" << threads
      << " zombies=" << zombies << " rss_kb=" << residentKb;
  return out.str();
}

}  // namespace tazu::test
