// What a long-running process holds, read from /proc: open descriptors, threads,
// children left as zombies and resident memory. The soak tests compare these figures
// before and after many repetitions of one operation.
#pragma once

#include <cstdint>
#include <string>

namespace tazu::test {

struct ProcessFigures {
  int openFiles = 0;       // entries of /proc/self/fd
  int threads = 0;         // entries of /proc/self/task
  int zombies = 0;         // our children in state Z
  int64_t residentKb = 0;  // VmRSS of /proc/self/status

  static ProcessFigures Now();
  // One line a person can grep: "SOAK: <label> fds=.. threads=.. zombies=.. rss_kb=..".
  std::string Line(const std::string& label) const;
};

}  // namespace tazu::test
