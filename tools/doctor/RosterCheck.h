// The learner roster's folder as the launcher would choose it, and whether the
// launcher could write the roster there. Worked out the way the roster unit's
// RosterFolder works it out, but without creating any folder: where the launcher would
// make a folder, this only asks whether it could.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ProcessRoster.h"
#include "tools/doctor/DoctorReport.h"

namespace tazu::doctor {

// The real process's environment as the launcher sees it when started in
// `installFolder`: its system folder is the one the default environment would choose
// (the shared data folder, else the user's own data folder), found without being made.
class QuietProcessEnvironment final : public RosterEnvironment {
 public:
  explicit QuietProcessEnvironment(std::string installFolder)
      : installFolder_(std::move(installFolder)) {}

  std::vector<std::string> EnvironmentBlock() const override;
  std::string SystemFolder() const override;
  std::string CurrentFolder() const override { return installFolder_; }
  std::shared_ptr<RosterStorage> Storage() const override { return ProcessRosterStorage(); }

 private:
  std::string installFolder_;
};

// The roster folder, ending in a back-slash, that RosterFolder would return in
// `environment`, assuming it would succeed in making a missing documents folder
// exactly when its parent exists and may be written.
std::string PlanRosterFolder(const RosterEnvironment& environment);

// True when new files may be made in the folder `hostPath` by this user. Run by root,
// a folder that grants write permission to nobody counts as read-only as well: the
// launcher normally runs as an ordinary user.
bool FolderWritable(const std::string& hostPath);
// True when the file `hostPath` may be opened for writing (same rule for root).
bool FileWritable(const std::string& hostPath);
// True when the folder `hostPath` could be made with its missing parents.
bool FolderCreatable(const std::string& hostPath);
// Whether every other account of the machine may make files in the folder
// `hostPath`, or read and write the file `hostPath`, as its permission bits say;
// nothing where the system has none to read.
std::optional<bool> FolderSharedWithAll(const std::string& hostPath);
std::optional<bool> FileSharedWithAll(const std::string& hostPath);

// Adds the findings for the roster folder and the roster file.
void CheckRoster(const RosterEnvironment& environment, DoctorReport& report);

}  // namespace tazu::doctor
