// Whether a program of the activity table can be started the way the launcher starts
// it: on POSIX a file opening with "MZ" is a Windows program run through wine (found
// on the search path), any other regular file with execute permission is run directly
// (an ELF program, or a script whose interpreter exists); on Windows a program file
// must carry the "MZ" header. Reads the file's opening bytes only.
#pragma once

#include <optional>
#include <string>

#include "tools/doctor/FileChecks.h"

namespace tazu::doctor {

// `searchPath`: the folders (":"-separated) in which "wine" is looked for; without
// one, the PATH of the environment.
CheckResult CheckProgramFile(const std::string& path,
                             const std::optional<std::string>& searchPath = std::nullopt);

}  // namespace tazu::doctor
