// The display-settings file of the install folder: whether the program may switch the
// display to 800x600, and whether it should show its picture scaled instead. Only the
// first line counts; it allows the switch when it holds "SET=YES" anywhere and asks for
// the scaled picture when it holds "SCALE=YES" anywhere (exact letter case). No file
// allows the switch too. Shared by the start-up and the install checker, so both read
// the file and decide the same way.
#pragma once

#include <fstream>
#include <string>
#include <string_view>

#include "base/Paths.h"
#include "screens/ScreenSize.h"

namespace tazu::menu {

inline constexpr const char* kDisplaySettingsFile = "displaysettings.txt";
inline constexpr std::string_view kDisplayAllowed = "SET=YES";
inline constexpr std::string_view kScaleAsked = "SCALE=YES";

// The fewest bits per pixel the scaled picture is shown with.
inline constexpr int kMinimumScaledDepth = 16;

enum class DisplaySettings {
  Absent,      // no such file: the switch is allowed
  Allows,      // first line holds "SET=YES"
  Forbids,     // first line (possibly empty) does not
  Unreadable,  // there but cannot be opened: counts as forbidding
};

struct DisplayOptions {
  DisplaySettings settings = DisplaySettings::Absent;
  bool scaleAsked = false;  // first line holds "SCALE=YES"
};

// Reads the settings file of `folder` (written without a trailing back-slash).
inline DisplayOptions ReadDisplayOptions(const std::string& folder) {
  const std::string name = folder + "\\" + kDisplaySettingsFile;
  if (!FileExists(name)) return {DisplaySettings::Absent, false};
  std::ifstream in(ResolvePath(name), std::ios::binary);
  if (!in) return {DisplaySettings::Unreadable, false};
  std::string line;
  // An empty file has an empty first line; any other failure means it cannot be read.
  if (!std::getline(in, line) && in.bad()) return {DisplaySettings::Unreadable, false};
  const bool allows = line.find(kDisplayAllowed) != std::string::npos;
  return {allows ? DisplaySettings::Allows : DisplaySettings::Forbids,
          line.find(kScaleAsked) != std::string::npos};
}

inline DisplaySettings ReadDisplaySettings(const std::string& folder) {
  return ReadDisplayOptions(folder).settings;
}

// A settings file that cannot be read forbids the switch: the display is then never
// changed behind the back of whoever put the file there.
inline bool DisplayChangeAllowedBy(DisplaySettings settings) {
  return settings == DisplaySettings::Absent || settings == DisplaySettings::Allows;
}

// Whether a screen can show the picture scaled: at least as large, and enough colours.
// Smaller screens are never scaled down; they keep the refusal of the start-up.
inline bool ScaledPictureFits(int width, int height, int bitsPerPixel) {
  return width >= kScreenWidth && height >= kScreenHeight && bitsPerPixel >= kMinimumScaledDepth;
}

// What the start-up makes of a display.
enum class DisplayOutcome {
  AsItIs,  // the screen is 800x600 already: nothing switched, nothing scaled
  Switch,  // switched to an 800x600 mode, put back at the end
  Scale,   // nothing switched; the picture shown scaled to the screen
  Window,  // nothing switched; the 800x600 window centred on the screen as it is
  Refuse,  // the resolution message, then the program ends
};

struct DisplayFacts {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  // An 800x600 mode at the current refresh rate in 32 or 16 bits per pixel.
  bool modeAvailable = false;
};

// The start-up's decision: the switch where allowed and possible; else, where allowed
// or asked for, the scaled picture on a screen large enough; else the refusal where the
// switch was allowed, and the plain window where it was not.
inline DisplayOutcome PlanDisplay(const DisplayOptions& options, const DisplayFacts& display) {
  const bool allowed = DisplayChangeAllowedBy(options.settings);
  const bool fits = ScaledPictureFits(display.width, display.height, display.bitsPerPixel);
  if (allowed) {
    if (display.width == kScreenWidth && display.height == kScreenHeight)
      return DisplayOutcome::AsItIs;
    if (display.modeAvailable) return DisplayOutcome::Switch;
    return fits ? DisplayOutcome::Scale : DisplayOutcome::Refuse;
  }
  return options.scaleAsked && fits ? DisplayOutcome::Scale : DisplayOutcome::Window;
}

}  // namespace tazu::menu
