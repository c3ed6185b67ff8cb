// The roster's view of the real process on Windows: the ANSI environment block, the
// system folder and the current folder as the system names them.
#include <windows.h>

#include "platform/ProcessRoster.h"
#include "platform/win32/Win32Folders.h"

namespace tazu {

std::vector<std::string> DefaultRosterEnvironment::EnvironmentBlock() const {
  std::vector<std::string> entries;
  LPCH block = GetEnvironmentStringsA();
  if (block == nullptr) return entries;
  for (const char* entry = block; *entry != '\0'; entry += entries.back().size() + 1) {
    entries.emplace_back(entry);
  }
  FreeEnvironmentStringsA(block);
  return entries;
}

std::string DefaultRosterEnvironment::SystemFolder() const { return win32::SystemDirectory(); }

std::string DefaultRosterEnvironment::CurrentFolder() const { return win32::CurrentDirectory(); }

}  // namespace tazu
