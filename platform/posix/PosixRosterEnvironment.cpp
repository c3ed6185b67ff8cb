// The roster's view of the real process on POSIX systems: the environment block, the
// shared data folder standing in for the system folder, and the current folder.
#include "platform/ProcessRoster.h"

#include <unistd.h>  // environ

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/Paths.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

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

}  // namespace

std::vector<std::string> DefaultRosterEnvironment::EnvironmentBlock() const {
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    entries.emplace_back(*entry);
  }
  return entries;
}

std::string DefaultRosterEnvironment::SystemFolder() const {
  if (EnsureFolder(kSharedDataFolder, true)) return kSharedDataFolder;
  const fs::path user = UserDataFolder();
  if (!user.empty() && EnsureFolder(user / kUserDataSubFolder, false)) {
    return (user / kUserDataSubFolder).string();
  }
  return kSharedDataFolder;
}

std::string DefaultRosterEnvironment::CurrentFolder() const { return GetCurrentDir(); }

}  // namespace tazu
