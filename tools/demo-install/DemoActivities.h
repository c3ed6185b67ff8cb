// The activity programs of a demo install: one stand-in program copied under the name
// of every program of the launcher's activity table.
#pragma once

#include <string>

namespace tazu::demo {

// Where the running program is, for systems that cannot tell it otherwise (main's
// argv[0]).
void SetProgramPath(const std::string& argv0);

// The stand-in "tazu-activity" (with the running program's own extension, such as
// ".exe") in the folder of the running program, or an empty string when it is not
// there.
std::string FindStandInProgram();

// Copies `standInProgram` to every program path of the menu's activity table
// (kActivities) under `installFolder`
// (sub-folders made as needed, execute permission kept, an existing copy replaced even
// while it runs). Raises std::filesystem::filesystem_error on failure.
void InstallStandInActivities(const std::string& installFolder, const std::string& standInProgram);

}  // namespace tazu::demo
