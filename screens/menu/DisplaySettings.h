// The display-settings file of the install folder: whether the program may switch the
// display to 800x600. Only the first line counts; it allows the switch when it holds
// "SET=YES" anywhere (exact letter case). No file allows it too. Shared by the start-up
// and the install checker, so both read the file the same way.
#pragma once

#include <fstream>
#include <string>
#include <string_view>

#include "base/Paths.h"

namespace tazu::menu {

inline constexpr const char* kDisplaySettingsFile = "displaysettings.txt";
inline constexpr std::string_view kDisplayAllowed = "SET=YES";

enum class DisplaySettings {
  Absent,      // no such file: the switch is allowed
  Allows,      // first line holds "SET=YES"
  Forbids,     // first line (possibly empty) does not
  Unreadable,  // there but cannot be opened: counts as forbidding
};

// Reads the settings file of `folder` (written without a trailing back-slash).
inline DisplaySettings ReadDisplaySettings(const std::string& folder) {
  const std::string name = folder + "\\" + kDisplaySettingsFile;
  if (!FileExists(name)) return DisplaySettings::Absent;
  std::ifstream in(ResolvePath(name), std::ios::binary);
  if (!in) return DisplaySettings::Unreadable;
  std::string line;
  // An empty file has an empty first line; any other failure means it cannot be read.
  if (!std::getline(in, line) && in.bad()) return DisplaySettings::Unreadable;
  return line.find(kDisplayAllowed) != std::string::npos ? DisplaySettings::Allows
                                                         : DisplaySettings::Forbids;
}

// A settings file that cannot be read forbids the switch: the display is then never
// changed behind the back of whoever put the file there.
inline bool DisplayChangeAllowedBy(DisplaySettings settings) {
  return settings == DisplaySettings::Absent || settings == DisplaySettings::Allows;
}

}  // namespace tazu::menu
