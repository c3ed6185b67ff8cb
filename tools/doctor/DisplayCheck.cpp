#include "tools/doctor/DisplayCheck.h"

#include <cstdio>

#include "platform/ScaledView.h"

#if defined(TAZU_DOCTOR_X11)
#include "platform/sdl/X11Desktop.h"
#elif defined(TAZU_DOCTOR_WIN32)
#include "platform/win32/Win32Desktop.h"
#endif

namespace tazu::doctor {
namespace {

constexpr int kModeListLimit = 4096;  // a driver listing more is not believed further

bool IsPictureMode(const DisplayMode& mode, int refresh) {
  return static_cast<int>(mode.pelsWidth) == kScreenWidth &&
         static_cast<int>(mode.pelsHeight) == kScreenHeight &&
         static_cast<int>(mode.displayFrequency) == refresh && mode.orientation == 0 &&
         (mode.bitsPerPel == 32 || mode.bitsPerPel == 16);
}

template <class ModeAt>
std::vector<DisplayMode> ListModes(ModeAt modeAt) {
  std::vector<DisplayMode> modes;
  for (int i = 0; i < kModeListLimit; ++i) {
    const std::optional<DisplayMode> mode = modeAt(i);
    if (!mode) break;
    modes.push_back(*mode);
  }
  return modes;
}

std::string Factor(const menu::DisplayFacts& display) {
  const ScaleFactor f = FitFactor({kScreenWidth, kScreenHeight}, {display.width, display.height});
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", f.Value());
  return text;
}

}  // namespace

menu::DisplayFacts FactsFrom(const DisplayCaps& current, const std::vector<DisplayMode>& modes) {
  menu::DisplayFacts facts{current.width, current.height, current.bitsPerPixel, false};
  for (const DisplayMode& mode : modes) facts.modeAvailable |= IsPictureMode(mode, current.refresh);
  return facts;
}

std::optional<menu::DisplayFacts> ProbeDisplay() {
#if defined(TAZU_DOCTOR_X11)
  X11Desktop desktop;  // no guardian: nothing is changed
  if (!desktop.Connected()) return std::nullopt;
  const std::optional<DisplayCaps> caps = desktop.Caps();
  if (!caps) return std::nullopt;
  return FactsFrom(*caps, ListModes([&](int i) { return desktop.Mode(i); }));
#elif defined(TAZU_DOCTOR_WIN32)
  Win32Desktop desktop;
  return FactsFrom(desktop.Caps(nullptr), ListModes([&](int i) { return desktop.Mode(i); }));
#else
  return std::nullopt;
#endif
}

std::string DescribeDisplay(const menu::DisplayOptions& options,
                            const std::optional<menu::DisplayFacts>& display) {
  if (!display) return "not checked: no display could be reached from here";
  const std::string screen = std::to_string(display->width) + "x" +
                             std::to_string(display->height) + ", " +
                             std::to_string(display->bitsPerPixel) + " bits per pixel";
  const std::string mode = display->modeAvailable ? ", an 800x600 mode at this refresh rate"
                                                  : ", no 800x600 mode at this refresh rate";
  switch (menu::PlanDisplay(options, *display)) {
    case menu::DisplayOutcome::AsItIs:
      return screen + ": the launcher shows its window as the screen is";
    case menu::DisplayOutcome::Switch:
      return screen + mode + ": the launcher switches to 800x600 and back at the end";
    case menu::DisplayOutcome::Scale:
      return screen + mode + ": the launcher switches nothing and shows its picture scaled " +
             Factor(*display) + " times, centred";
    case menu::DisplayOutcome::Window:
      return screen +
             ": the launcher switches nothing and shows its 800x600 window unscaled, "
             "centred";
    case menu::DisplayOutcome::Refuse:
      return screen + mode +
             ": the launcher refuses to start (\"This program requires a screen resolution of "
             "at least 800x600 @ 16bit colour\")";
  }
  return screen;
}

}  // namespace tazu::doctor
