// What the launcher will make of this machine's display with an install's settings:
// switch it to 800x600, show the picture scaled, show the plain window, or refuse. The
// display is asked the way the launcher asks it (the primary output's mode and depth,
// and an 800x600 mode at the same refresh rate in 32 or 16 bits per pixel).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "screens/menu/DisplaySettings.h"

namespace tazu::doctor {

// The facts the start-up decides on, from the current display and its mode list.
menu::DisplayFacts FactsFrom(const DisplayCaps& current, const std::vector<DisplayMode>& modes);

// The display of this session; nothing where none can be reached (no X server, or a
// build without a display backend).
std::optional<menu::DisplayFacts> ProbeDisplay();

// One line for people: the display, then what the launcher does on it, e.g.
// "1024x768, 32 bits, no 800x600 mode at 60 Hz: the picture is shown scaled 1.28 times".
std::string DescribeDisplay(const menu::DisplayOptions& options,
                            const std::optional<menu::DisplayFacts>& display);

}  // namespace tazu::doctor
