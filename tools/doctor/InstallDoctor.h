// tazu-doctor's checks over a whole install folder: every file the launcher reads, for
// both languages, found the way the launcher finds it (names formed from the screens'
// own tables and resolved without regard to letter case) and read with the launcher's
// own readers. Nothing on disk is changed.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "roster/RosterEnvironment.h"
#include "tools/doctor/DoctorReport.h"

namespace tazu::doctor {

// Exit codes of the tool.
inline constexpr int kExitReady = 0;     // nothing a child would miss is missing or damaged
inline constexpr int kExitProblems = 1;  // at least one finding that is not only a warning
inline constexpr int kExitUsage = 2;     // bad arguments, or no install folder there

struct DoctorSetup {
  // The install folder in host form (absolute or relative to the current folder).
  std::string installFolder;
  // Where the roster's folder is worked out; none: the real process environment, as a
  // launcher started in the install folder would see it.
  const RosterEnvironment* rosterEnvironment = nullptr;
  // The folders ("a:b") in which "wine" is looked for; none: PATH.
  std::optional<std::string> searchPath;
};

DoctorReport CheckInstall(const DoctorSetup& setup);

// The text of --help: usage, what is checked, which problems are only warnings.
std::string HelpText();

// The whole tool: `[--help] [INSTALL_DIR]` (arguments after the program name), the
// install folder defaulting to the current folder. Returns the exit code.
int RunDoctor(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const RosterEnvironment* rosterEnvironment = nullptr);

}  // namespace tazu::doctor
