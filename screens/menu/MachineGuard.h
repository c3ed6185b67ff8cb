// What the launcher changes on the machine while it runs: the display mode (or, in its
// place, the scaled presentation), the task bar and the mouse buttons. Restore puts
// them back in the order mouse buttons, task bar, display; a guard that goes without
// it having run does the same for whatever it changed.
#pragma once

#include <vector>

#include "platform/Platform.h"

namespace tazu {

class MachineGuard {
 public:
  enum class Display { Unchanged, Switched, Scaled };

  explicit MachineGuard(Platform& os) : os_(os) {}
  ~MachineGuard();
  MachineGuard(const MachineGuard&) = delete;
  MachineGuard& operator=(const MachineGuard&) = delete;

  void HideTaskBar();
  // Remembers the display as it is now: what a restore goes back to.
  const DisplayCaps& RecordDisplay(WindowHandle window);
  // Switches to `width` x `height` x `depth` at the recorded refresh rate; false when
  // the system lists no such mode. The mode in use is appended to the list kept, and
  // only then may a restore go back to it.
  bool SwitchDisplay(int width, int height, int depth);
  // Shows every window scaled to the screen; false when it is too small or the
  // platform cannot.
  bool PresentScaled(WindowHandle window);
  void RestoreDisplay(WindowHandle window);
  void SetMouseButtonsSwapped(bool swapped);
  void Restore(WindowHandle window);

  Display State() const { return state_; }
  const std::vector<DisplayMode>& ModeList() const { return modeList_; }
  // The start-up mode's place in ModeList counted from 1; 0 or less: none to go back to.
  int StartupModeIndex() const { return startupModeIndex_; }

 private:
  void Apply(const DisplayMode& mode);

  Platform& os_;
  Display state_ = Display::Unchanged;
  TaskBarHandle taskBar_ = 0;
  DisplayCaps atStart_;
  std::vector<DisplayMode> modeList_;
  int startupModeIndex_ = 0;
  bool changed_ = false;  // something to put back when the guard goes
  WindowHandle window_ = 0;
};

}  // namespace tazu
