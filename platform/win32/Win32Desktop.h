// Display modes, the task bar and the mouse-button swap on Windows. What the program
// changes is remembered, so that it can be put back when the program dies of an
// unhandled fault (a school machine must not be left without its task bar).
#pragma once

#include <optional>

#include "platform/Platform.h"

namespace tazu {

class Win32Desktop {
 public:
  Win32Desktop();
  // Unregisters the fault handler; the screens restore the desktop themselves.
  ~Win32Desktop();
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  DisplayCaps Caps(void* hwnd) const;
  std::optional<DisplayMode> CurrentMode() const;
  std::optional<DisplayMode> Mode(int index) const;
  int ChangeMode(const DisplayMode& mode, bool persist);
  // Sent with a time limit: a hung window elsewhere must not hang the launcher.
  void BroadcastDisplayChange(uintptr_t wParam, intptr_t lParam);
  TaskBarHandle FindTaskBar() const;
  void ShowTaskBar(TaskBarHandle taskBar, bool show);
  void SetButtonsSwapped(bool swapped);

  // Puts back whatever is still changed; safe to call from the fault handler.
  static void RestoreAfterFault();
};

}  // namespace tazu
