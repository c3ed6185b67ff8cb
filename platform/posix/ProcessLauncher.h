// Starting programs and opening documents the Windows shell's way on POSIX, and
// watching the started processes. The Linux backend owns one and forwards the
// platform's process calls to it.
//
// Not thread-safe: every call belongs to the user-interface thread.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tazu {

// The first regular file with execute permission named `name` in the ':'-separated
// folders of `searchPath` (the PATH of the environment without one); empty entries
// (the current folder) are skipped. Empty when there is none.
std::string FindOnSearchPath(const std::string& name,
                             const std::optional<std::string>& searchPath = std::nullopt);

class ProcessLauncher {
 public:
  // Instance code of a successful start (any value above 32 means success).
  static constexpr int kStarted = 42;
  // What the shell answers for a program file it cannot load (ERROR_BAD_FORMAT); the
  // process starter counts it as a start without a process.
  static constexpr int kBadFormat = 11;

  // `searchPath` is the list of folders in which "wine" and "xdg-open" are looked for;
  // without one, the PATH of the environment at the time of each start.
  explicit ProcessLauncher(std::optional<std::string> searchPath = std::nullopt);
  // Reaps what has ended; children still running go on (they are not waited for).
  ~ProcessLauncher();
  ProcessLauncher(const ProcessLauncher&) = delete;
  ProcessLauncher& operator=(const ProcessLauncher&) = delete;

  // - "open" of a program (execute permission): started directly, its arguments split
  //   from the parameter string by the Windows rules; of a Windows program (a file
  //   beginning with "MZ"): started through wine; of a document, or "explore" of a
  //   folder: handed to xdg-open, with no process handle, since the program that shows
  //   it is not our child.
  // - "print" and other verbs: no association.
  // The show state has no equivalent here and is ignored.
  ShellExecuteResult ShellExecute(const ShellExecuteRequest& request);
  // STILL_ACTIVE while the process runs, then its exit status (128 + the signal number
  // for a process ended by a signal), the same on every later call. Nothing for 0, an
  // unknown or closed handle, or a process whose status someone else collected.
  std::optional<uint32_t> GetExitCodeProcess(ProcessHandle process);
  // Blocks until the process has ended (at once when it has already been seen to end).
  void WaitForProcess(ProcessHandle process);
  // Forgets the handle; a process still running is reaped once it ends.
  void CloseProcess(ProcessHandle process);

  // Children whose handles are gone (or never given) that have not ended yet.
  size_t PendingChildren() const { return orphans_.size(); }

 private:
  struct Child {
    pid_t pid = 0;
    bool ended = false;
    std::optional<uint32_t> exitCode;  // nothing: the status was lost
  };

  ShellExecuteResult Open(const std::string& file, bool regular, const std::string& parameters,
                          const std::string& directory);
  ShellExecuteResult OpenWithDesktop(const std::string& target, const std::string& directory);
  ShellExecuteResult Spawn(const std::string& program, const std::vector<std::string>& argv,
                           const std::string& directory, bool keepHandle);
  std::string FindProgram(const std::string& name) const;
  // Collects a child's status without blocking; true once it has ended.
  static bool Poll(Child& child, bool block);
  void ReapOrphans();

  std::optional<std::string> searchPath_;
  std::map<ProcessHandle, Child> children_;
  std::vector<pid_t> orphans_;
  ProcessHandle nextHandle_ = 1;
};

}  // namespace tazu
