#include "tools/doctor/RosterCheck.h"

#include <filesystem>
#include <system_error>

#include "base/Paths.h"
#include "base/Text.h"
#include "roster/LearnerRecord.h"
#include "roster/StudentDatabase.h"
#include "tools/doctor/HostAccess.h"

namespace fs = std::filesystem;

namespace tazu::doctor {
namespace {

std::string WithBackSlash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// The host form of a folder name without its trailing separators.
std::string HostFolder(const std::string& folder) {
  std::string host = ResolvePath(folder);
  while (host.size() > 1 && (host.back() == '/' || host.back() == '\\')) host.pop_back();
  return host;
}

// A problem every other account has and this one has not: the launcher goes on, but
// only for this account.
void NotShared(Finding& finding, const std::string& host, const std::string& consequence) {
  finding.verdict = Verdict::Damaged;
  finding.weight = Weight::Warning;
  finding.detail += ", but other accounts cannot write it" + ModeText(host) + ": " + consequence;
}

void CheckRosterFolder(const std::string& folder, DoctorReport& report) {
  const std::string host = HostFolder(folder);
  Finding finding{Verdict::Ok, "roster folder " + host, {}, Weight::Error};
  if (DirectoryExists(folder)) {
    if (FolderWritable(host)) {
      finding.detail = "there and writable";
      // Only matters while the roster is still to be made.
      if (!FileExists(folder + kRosterFileName) && FolderSharedWithAll(host) == false) {
        NotShared(finding, host,
                  "until an account that may signs a learner in, theirs are not recorded");
      }
    } else {
      finding.verdict = Verdict::Damaged;
      finding.detail = "not writable" + ModeText(host) + ": learners cannot be recorded";
    }
  } else if (FolderCreatable(host)) {
    finding.detail = "not there yet; the launcher makes it at the first sign-in";
  } else {
    finding.verdict = Verdict::Missing;
    finding.detail = "not there and cannot be made: learners cannot be recorded";
  }
  report.Add(std::move(finding));
}

void CheckRosterFile(const std::string& folder, DoctorReport& report) {
  const std::string name = folder + kRosterFileName;
  const std::string host = ResolvePath(name);
  Finding finding{Verdict::Ok, "roster file " + host, {}, Weight::Error};
  std::error_code ec;
  if (FileExists(name)) {
    const uintmax_t size = fs::file_size(host, ec);
    if (!FileWritable(host)) {
      finding.verdict = Verdict::Damaged;
      finding.detail = "read-only" + ModeText(host) + ": learners cannot be looked up or added";
    } else if (ec) {
      finding.verdict = Verdict::Damaged;
      finding.detail = "cannot be read (" + ec.message() + ")";
    } else {
      const uintmax_t learners = size / kRecordSize;
      finding.detail = std::to_string(learners) + (learners == 1 ? " learner" : " learners");
      if (const uintmax_t tail = size % kRecordSize; tail != 0) {
        finding.detail += ", and " + std::to_string(tail) + " bytes of a cut-off record ignored";
      }
      if (FileSharedWithAll(host) == false) {
        NotShared(finding, host, "their learners are neither found nor recorded");
      }
    }
  } else if (fs::exists(fs::symlink_status(host, ec))) {
    finding.verdict = Verdict::Damaged;
    finding.detail = "something other than a file has its name";
  } else {
    finding.detail = "not there yet; made at the first sign-in";
  }
  report.Add(std::move(finding));
}

}  // namespace

std::vector<std::string> QuietProcessEnvironment::EnvironmentBlock() const {
  return DefaultRosterEnvironment().EnvironmentBlock();
}

std::string QuietProcessEnvironment::SystemFolder() const { return PlannedSystemFolder(); }

bool FolderCreatable(const std::string& hostPath) {
  std::error_code ec;
  fs::path existing = fs::absolute(hostPath, ec);
  if (ec) return false;
  while (!fs::exists(fs::symlink_status(existing, ec))) {
    if (!existing.has_relative_path()) return false;
    existing = existing.parent_path();
  }
  return fs::is_directory(existing, ec) && FolderWritable(existing.string());
}

std::string PlanRosterFolder(const RosterEnvironment& environment) {
  const std::string profile = ProfileFolder(environment);
  if (profile.empty()) return WithBackSlash(environment.SystemFolder());
  const std::string folder = WithBackSlash(profile) + std::string(kDocumentsSubFolder);
  if (DirectoryExists(folder)) return folder;
  // The roster makes the documents folder with one step: its parent must be there.
  const std::string parent = HostFolder(WithBackSlash(profile));
  std::error_code ec;
  if (fs::is_directory(parent, ec) && !fs::exists(fs::symlink_status(HostFolder(folder), ec)) &&
      FolderWritable(parent)) {
    return folder;
  }
  return WithBackSlash(environment.CurrentFolder());
}

void CheckRoster(const RosterEnvironment& environment, DoctorReport& report) {
  const std::string folder = PlanRosterFolder(environment);
  CheckRosterFolder(folder, report);
  CheckRosterFile(folder, report);
}

}  // namespace tazu::doctor
