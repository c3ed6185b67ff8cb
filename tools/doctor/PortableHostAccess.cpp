// The host questions answered with standard C++ only, for systems without POSIX
// permissions (Windows): a program must be a Windows program ("MZ" header), and
// writing is judged by the write permission the file system reports.
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/ProcessRoster.h"
#include "tools/doctor/HostAccess.h"
#include "tools/doctor/ProgramCheck.h"
#include "tools/doctor/RosterCheck.h"

namespace fs = std::filesystem;

namespace tazu::doctor {
namespace {

constexpr std::string_view kWindowsProgramMagic = "MZ";

bool OwnerMayWrite(const std::string& hostPath) {
  std::error_code ec;
  const fs::perms perms = fs::status(hostPath, ec).permissions();
  return !ec && (perms & fs::perms::owner_write) != fs::perms::none;
}

}  // namespace

CheckResult CheckHostProgram(const std::string&, const std::string& head,
                             const std::optional<std::string>&) {
  if (!head.starts_with(kWindowsProgramMagic)) {
    return {Verdict::Damaged, "no MZ header: not a Windows program"};
  }
  return {Verdict::Ok, "Windows program (MZ header)"};
}

std::string ModeText(const std::string&) { return {}; }

std::string PlannedSystemFolder() { return DefaultRosterEnvironment().SystemFolder(); }

bool FolderWritable(const std::string& hostPath) {
  std::error_code ec;
  return fs::is_directory(hostPath, ec) && OwnerMayWrite(hostPath);
}

bool FileWritable(const std::string& hostPath) { return OwnerMayWrite(hostPath); }

// Access lists are not read here: who else may write is not told.
std::optional<bool> FolderSharedWithAll(const std::string&) { return std::nullopt; }
std::optional<bool> FileSharedWithAll(const std::string&) { return std::nullopt; }

}  // namespace tazu::doctor
