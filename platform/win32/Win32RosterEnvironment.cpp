// The roster's view of the real process on Windows: the ANSI environment block, the
// system folder and the current folder as the system names them. Compiled into the
// roster library of Windows builds in place of its POSIX counterpart.
#include <windows.h>

#include <array>

#include "roster/RosterEnvironment.h"

namespace tazu {
namespace {

// A folder as the system wrote it into a MAX_PATH buffer; a length beyond the buffer is
// the size it would have needed.
std::string FolderText(const char* text, DWORD length) {
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(text, length);
}

}  // namespace

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

std::string DefaultRosterEnvironment::SystemFolder() const {
  std::array<char, MAX_PATH> buffer{};
  return FolderText(buffer.data(), GetSystemDirectoryA(buffer.data(), MAX_PATH));
}

std::string DefaultRosterEnvironment::CurrentFolder() const {
  std::array<char, MAX_PATH> buffer{};
  return FolderText(buffer.data(), GetCurrentDirectoryA(MAX_PATH, buffer.data()));
}

}  // namespace tazu
