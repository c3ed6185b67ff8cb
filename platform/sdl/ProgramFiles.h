// Where the running program lives, and the folders beside it that stand in for the
// Windows folder and the system folder (the volume control's stand-in is shipped there).
#pragma once

#include <string>

namespace tazu {

// The full path of the running program's file, from /proc/self/exe; empty when the
// system cannot say.
std::string ProgramPath();
// The last part of ProgramPath(), extension included.
std::string ProgramFileName();
// The folder of the running program (no trailing slash).
std::string ProgramFolder();
// "<program folder>/windows" and "<program folder>/system"; they need not exist.
std::string StandInWindowsFolder();
std::string StandInSystemFolder();

}  // namespace tazu
