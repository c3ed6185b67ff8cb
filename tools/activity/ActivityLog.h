// The stand-in activity's record of each start: one line per start in "activity.log"
// of its working folder, so that tests and people can see what a program received.
#pragma once

#include <string>
#include <vector>

namespace tazu::activity {

constexpr const char* kLogName = "activity.log";

// The program's own path as the system knows it (/proc/self/exe), else `argv0`.
std::string OwnProgramPath(const char* argv0);

// The program and its arguments, tab-separated, ending in a newline. Tabs and line
// breaks inside a field would break the one-line-per-start layout: each becomes a space.
std::string LogLine(const std::string& program, const std::vector<std::string>& arguments);

// Appends `line` to `path` in a single write, so that starts at the same moment never
// interleave. False when the file cannot be opened or written.
bool AppendLine(const std::string& path, const std::string& line);

}  // namespace tazu::activity
