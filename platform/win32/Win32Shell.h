// Starting programs and documents through the shell (ShellExecuteExA), and watching
// the started processes by their handles.
#pragma once

#include "platform/Platform.h"

namespace tazu {

class Win32Shell {
 public:
  // `owner` owns the shell's own error boxes (the application window).
  ShellExecuteResult Execute(const ShellExecuteRequest& request, void* owner);
  std::optional<uint32_t> ExitCode(ProcessHandle process) const;
  void Wait(ProcessHandle process) const;
  void Close(ProcessHandle process) const;
};

}  // namespace tazu
