// The host questions answered on POSIX systems: execute permission, "#!" scripts and
// ELF programs, wine for Windows programs, access(2) for writing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/ProcessRoster.h"
#include "platform/posix/ProcessLauncher.h"
#include "tools/doctor/HostAccess.h"
#include "tools/doctor/ProgramCheck.h"
#include "tools/doctor/RosterCheck.h"

namespace fs = std::filesystem;

namespace tazu::doctor {
namespace {

constexpr std::string_view kWindowsProgramMagic = "MZ";
constexpr std::string_view kElfMagic =
    "\x7f"
    "ELF";
constexpr std::string_view kScriptMagic = "#!";
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The interpreter a "#!" line names (its first word), or empty.
std::string Interpreter(const std::string& head) {
  const size_t end = head.find('\n');
  std::string line = head.substr(kScriptMagic.size(), end == std::string::npos ? end : end - 2);
  const size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  line = line.substr(start);
  return line.substr(0, line.find_first_of(" \t\r"));
}

fs::path UserDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return fs::path(home) / ".local" / "share";
  }
  return {};
}

bool Accessible(const std::string& hostPath, int mode) {
  struct stat st {};
  if (stat(hostPath.c_str(), &st) != 0) return false;
  if (faccessat(AT_FDCWD, hostPath.c_str(), mode, AT_EACCESS) != 0) return false;
  return geteuid() != 0 || (st.st_mode & kAnyWrite) != 0;
}

}  // namespace

CheckResult CheckHostProgram(const std::string& host, const std::string& head,
                             const std::optional<std::string>& searchPath) {
  if (head.starts_with(kWindowsProgramMagic)) {
    const std::string wine = FindOnSearchPath("wine", searchPath);
    if (wine.empty()) {
      return {Verdict::Damaged,
              "Windows program (MZ header), but no \"wine\" on the search path to start it"};
    }
    return {Verdict::Ok, "Windows program (MZ header), started through " + wine};
  }
  if (access(host.c_str(), X_OK) != 0) {
    return {Verdict::Damaged, "no execute permission and no MZ header: it cannot be started"};
  }
  if (head.starts_with(kElfMagic)) return {Verdict::Ok, "native program (ELF, execute permission)"};
  if (head.starts_with(kScriptMagic)) {
    const std::string interpreter = Interpreter(head);
    if (interpreter.empty() || !IsExecutableFile(interpreter)) {
      return {Verdict::Damaged, "script whose interpreter \"" + interpreter + "\" cannot be run"};
    }
    return {Verdict::Ok, "script run by " + interpreter + " (execute permission)"};
  }
  return {Verdict::Damaged,
          "execute permission, but neither an ELF program nor a \"#!\" script: the start fails"};
}

std::string ModeText(const std::string& hostPath) {
  struct stat st {};
  if (stat(hostPath.c_str(), &st) != 0) return {};
  char text[32];
  std::snprintf(text, sizeof text, " (mode %04o)", static_cast<unsigned>(st.st_mode & 07777));
  return text;
}

std::string PlannedSystemFolder() {
  const std::string shared = DefaultRosterEnvironment::kSharedDataFolder;
  std::error_code ec;
  if (fs::is_directory(shared, ec) || FolderCreatable(shared)) return shared;
  if (const fs::path user = UserDataFolder(); !user.empty()) {
    const fs::path own = user / DefaultRosterEnvironment::kUserDataSubFolder;
    if (fs::is_directory(own, ec) || FolderCreatable(own.string())) return own.string();
  }
  return shared;
}

bool FolderWritable(const std::string& hostPath) { return Accessible(hostPath, W_OK | X_OK); }

bool FileWritable(const std::string& hostPath) { return Accessible(hostPath, R_OK | W_OK); }

std::optional<bool> FolderSharedWithAll(const std::string& hostPath) {
  struct stat st {};
  if (stat(hostPath.c_str(), &st) != 0) return std::nullopt;
  return (st.st_mode & (S_IWOTH | S_IXOTH)) == (S_IWOTH | S_IXOTH);
}

std::optional<bool> FileSharedWithAll(const std::string& hostPath) {
  struct stat st {};
  if (stat(hostPath.c_str(), &st) != 0) return std::nullopt;
  return (st.st_mode & (S_IROTH | S_IWOTH)) == (S_IROTH | S_IWOTH);
}

}  // namespace tazu::doctor
