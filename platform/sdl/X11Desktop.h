// The desktop state the launcher changes on Linux, over a connection of its own to the
// X server: display modes of the primary output (XRandR), the desktop's dock windows
// (the task bar analogue) and the pointer button mapping. Every change is also reported
// to the session guardian, which puts it back if the launcher dies, and is put back
// here by RestoreAll on a normal end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sdl/SessionGuardian.h"

struct _XDisplay;
struct SDL_Window;

namespace tazu {

class X11Desktop {
 public:
  // Connects to `displayName` (nullptr: $DISPLAY). Without a server Connected() is
  // false and every query answers nothing. `guardian` may be null.
  explicit X11Desktop(const char* displayName = nullptr, SessionGuardian* guardian = nullptr);
  // Restores everything still changed, then disconnects.
  ~X11Desktop();
  X11Desktop(const X11Desktop&) = delete;
  X11Desktop& operator=(const X11Desktop&) = delete;

  bool Connected() const { return display_ != nullptr; }
  // True on XWayland: the Wayland compositor, not this server's stacking order, decides
  // which window is in front, and a kiosk compositor ignores requests to minimise.
  bool UnderWayland() const { return underWayland_; }
  // Lets the pointer pass through `window` to what lies below it in this server's
  // stacking order (true), or gives it its whole area back (false).
  void SetPointerPassThrough(SDL_Window* window, bool through);

  // ---- display modes (of the primary output) ----
  std::optional<DisplayCaps> Caps();
  std::optional<DisplayMode> CurrentMode();
  std::optional<DisplayMode> Mode(int index);
  // A DisplayChangeResult. A mode whose `native` is 0 is looked up by size and rate.
  int ChangeMode(const DisplayMode& mode);

  // ---- dock windows ----
  // Non-zero when at least one mapped dock window exists; remembers the ones found.
  TaskBarHandle FindDocks();
  // Unmaps or maps exactly the docks of the last FindDocks that returned `handle`.
  void ShowDocks(TaskBarHandle handle, bool show);

  // ---- pointer ----
  // Buttons 1 and 3 of the mapping found at connection exchanged (true), or that
  // mapping itself (false). Acts only when the state changes.
  void SetButtonsSwapped(bool swapped);

  // Puts back the display mode, the docks and the pointer mapping as found.
  void RestoreAll();

  // The guardian's restorer: reconnects to the display named in the records and puts
  // back what they describe.
  static void Restore(const SessionGuardian::Records& records);

  // Record layout, for the guardian: where the mode was before the first change.
  struct CrtcState {
    uint64_t output = 0;
    uint64_t crtc = 0;
    uint64_t mode = 0;
    int x = 0;
    int y = 0;
    unsigned rotation = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    int screenWidthMm = 0;
    int screenHeightMm = 0;
  };

 private:
  struct Output;
  static void RestoreRecords(_XDisplay* display, const SessionGuardian::Records& records);
  bool FindWayland();
  std::optional<Output> PrimaryOutput();
  std::optional<DisplayMode> ScreenMode();
  uint32_t BitsPerPixel();
  void Report();
  // ChangeMode's last step: puts `plan` in place of `now` and keeps the records up to date.
  int ApplyMode(const CrtcState& now, const CrtcState& plan);

  _XDisplay* display_ = nullptr;
  SessionGuardian* guardian_ = nullptr;
  bool randr_ = false;
  bool underWayland_ = false;
  std::optional<CrtcState> originalMode_;
  std::vector<uint64_t> docks_;
  TaskBarHandle docksHandle_ = 0;
  bool docksHidden_ = false;
  std::vector<unsigned char> startupMapping_;
  bool swapped_ = false;
  SessionGuardian::Records reported_;
};

}  // namespace tazu
