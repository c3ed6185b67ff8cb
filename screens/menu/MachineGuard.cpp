#include "screens/menu/MachineGuard.h"

#include "screens/menu/DisplaySettings.h"

namespace tazu {
namespace {

// The values the display-change announcement carries (not the new mode's).
constexpr uintptr_t kDisplayChangeWParam = 42;
constexpr intptr_t kDisplayChangeLParam = 0;

}  // namespace

MachineGuard::~MachineGuard() {
  if (changed_) Restore(window_);
}

void MachineGuard::HideTaskBar() {
  taskBar_ = os_.FindTaskBar();
  os_.ShowTaskBar(taskBar_, false);
  changed_ = true;
}

const DisplayCaps& MachineGuard::RecordDisplay(WindowHandle window) {
  window_ = window;
  atStart_ = os_.GetDisplayCaps(window);
  return atStart_;
}

bool MachineGuard::SwitchDisplay(int width, int height, int depth) {
  modeList_.clear();
  startupModeIndex_ = -1;
  int found = -1;
  const std::optional<DisplayMode> current = os_.CurrentDisplayMode();
  for (int i = 0;; ++i) {
    const std::optional<DisplayMode> mode = os_.EnumDisplayMode(i);
    if (!mode) break;
    modeList_.push_back(*mode);
    if (static_cast<int>(mode->displayFrequency) == atStart_.refresh &&
        static_cast<int>(mode->pelsWidth) == width &&
        static_cast<int>(mode->pelsHeight) == height &&
        static_cast<int>(mode->bitsPerPel) == depth && mode->orientation == 0) {
      found = i;
    }
  }
  if (current) {
    modeList_.push_back(*current);
    startupModeIndex_ = static_cast<int>(modeList_.size());
  }
  if (found < 0) return false;
  Apply(modeList_[static_cast<size_t>(found)]);
  state_ = Display::Switched;
  changed_ = true;
  return true;
}

bool MachineGuard::PresentScaled(WindowHandle window) {
  const DisplayCaps caps = os_.GetDisplayCaps(window);
  if (caps.width == kScreenWidth && caps.height == kScreenHeight) return true;
  if (!menu::ScaledPictureFits(caps.width, caps.height, caps.bitsPerPixel) ||
      !os_.SetScaledPresentation(kScreenWidth, kScreenHeight)) {
    return false;
  }
  state_ = Display::Scaled;
  return true;
}

void MachineGuard::RestoreDisplay(WindowHandle window) {
  const DisplayCaps now = os_.GetDisplayCaps(window);
  if (now != atStart_ && startupModeIndex_ > 0) {
    Apply(modeList_[static_cast<size_t>(startupModeIndex_ - 1)]);
  }
  modeList_.clear();
  startupModeIndex_ = 0;
  if (state_ == Display::Switched) state_ = Display::Unchanged;
}

void MachineGuard::SetMouseButtonsSwapped(bool swapped) {
  os_.SetMouseButtonsSwapped(swapped);
  changed_ = changed_ || swapped;
}

void MachineGuard::Restore(WindowHandle window) {
  changed_ = false;
  os_.SetMouseButtonsSwapped(false);
  os_.ShowTaskBar(taskBar_, true);
  RestoreDisplay(window);
}

void MachineGuard::Apply(const DisplayMode& mode) {
  os_.ChangeDisplayMode(mode, true);
  os_.BroadcastDisplayChange(kDisplayChangeWParam, kDisplayChangeLParam);
}

}  // namespace tazu
