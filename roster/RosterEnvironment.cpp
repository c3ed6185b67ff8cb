#include "roster/RosterEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/Paths.h"

#ifdef _WIN32
// Names are ANSI throughout the roster; without UNICODE the block is the ANSI one.
#undef UNICODE
#include <windows.h>
#else
#include <unistd.h>  // environ
#endif

namespace fs = std::filesystem;

namespace tazu {
namespace {

#ifdef _WIN32
constexpr DWORD kFolderBufferSize = MAX_PATH + 1;
#else
// Shared by every user; the sticky bit keeps one user from removing another's files.
constexpr fs::perms kSharedFolderPerms = fs::perms::all | fs::perms::sticky_bit;

bool EnsureFolder(const fs::path& folder, bool shared) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (!fs::create_directories(folder, ec) || ec) return false;
  if (shared) fs::permissions(folder, kSharedFolderPerms, ec);
  return true;
}

fs::path UserDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return fs::path(home) / ".local" / "share";
  }
  return {};
}
#endif

}  // namespace

std::vector<std::string> DefaultRosterEnvironment::EnvironmentBlock() const {
  std::vector<std::string> entries;
#ifdef _WIN32
  LPCH block = GetEnvironmentStrings();
  if (block == nullptr) return entries;
  for (const char* entry = block; *entry != '\0'; entry += entries.back().size() + 1) {
    entries.emplace_back(entry);
  }
  FreeEnvironmentStringsA(block);
#else
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    entries.emplace_back(*entry);
  }
#endif
  return entries;
}

std::string DefaultRosterEnvironment::SystemFolder() const {
#ifdef _WIN32
  char buffer[kFolderBufferSize] = {};
  const DWORD length = GetSystemDirectoryA(buffer, kFolderBufferSize);
  return length > 0 && length < kFolderBufferSize ? std::string(buffer, length) : std::string();
#else
  if (EnsureFolder(kSharedDataFolder, true)) return kSharedDataFolder;
  const fs::path user = UserDataFolder();
  if (!user.empty() && EnsureFolder(user / kUserDataSubFolder, false)) {
    return (user / kUserDataSubFolder).string();
  }
  return kSharedDataFolder;
#endif
}

std::string DefaultRosterEnvironment::CurrentFolder() const {
#ifdef _WIN32
  char buffer[kFolderBufferSize] = {};
  const DWORD length = GetCurrentDirectoryA(kFolderBufferSize, buffer);
  return length > 0 && length < kFolderBufferSize ? std::string(buffer, length) : std::string();
#else
  return GetCurrentDir();
#endif
}

}  // namespace tazu
