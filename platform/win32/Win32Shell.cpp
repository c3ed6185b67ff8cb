#include "platform/win32/Win32Shell.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

namespace tazu {
namespace {

const char* OrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

}  // namespace

ShellExecuteResult Win32Shell::Execute(const ShellExecuteRequest& request, void* owner) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  // Only the process handle is asked for: the shell may show its own error box.
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = static_cast<HWND>(owner);
  info.lpVerb = OrNull(request.verb);
  info.lpFile = request.file.c_str();
  info.lpParameters = OrNull(request.parameters);
  info.lpDirectory = OrNull(request.directory);
  info.nShow = request.show;
  ShellExecuteExA(&info);  // the instance code below tells success from failure
  ShellExecuteResult result;
  result.process = reinterpret_cast<ProcessHandle>(info.hProcess);
  result.instanceCode = static_cast<int>(reinterpret_cast<INT_PTR>(info.hInstApp));
  return result;
}

std::optional<uint32_t> Win32Shell::ExitCode(ProcessHandle process) const {
  if (process == 0) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code)) return std::nullopt;
  return static_cast<uint32_t>(code);
}

void Win32Shell::Wait(ProcessHandle process) const {
  if (process != 0) WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

void Win32Shell::Close(ProcessHandle process) const {
  if (process != 0) CloseHandle(reinterpret_cast<HANDLE>(process));
}

}  // namespace tazu
