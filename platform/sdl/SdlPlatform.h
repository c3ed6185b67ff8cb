// The Linux platform: SDL2 windows, input, cursors and the event loop. Window timers
// run inside WaitEvent (no timer thread); Wake pushes an SDL user event, which SDL
// makes safe from any thread. Desktop state (display modes, docks, pointer mapping)
// goes through X11Desktop when SDL shows its windows on an X server; a session guardian
// puts that state back if the process dies, and termination signals become a close
// request.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "platform/Platform.h"
#include "platform/ScaledView.h"
#include "platform/TimerQueue.h"

struct SDL_Window;
struct SDL_Cursor;
union SDL_Event;

namespace tazu {

class ProcessLauncher;

class SdlAudio;
class ExternalSources;
class SessionGuardian;
class TerminationSignals;
class X11Desktop;

class SdlPlatform : public Platform {
 public:
  // Raises std::runtime_error with SDL's message when video cannot start.
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  WindowHandle CreateWindow(const WindowOptions& options) override;
  void DestroyWindow(WindowHandle window) override;
  void SetWindowTitle(WindowHandle window, const std::string& title) override;
  void SetWindowBounds(WindowHandle window, const Rect& bounds) override;
  void SetWindowState(WindowHandle window, WindowState state) override;
  void RaiseWindow(WindowHandle window) override;
  void SetWindowOwner(WindowHandle window, WindowHandle owner) override;
  void Present(WindowHandle window, const Bitmap32& image, const Rect& area) override;
  Rect ScreenRect() override;
  Point CursorPos() override;
  // The picture is placed on the primary output (SDL's first display); a window the
  // system sizes itself (a kiosk compositor maximising it) gets its picture fitted into
  // the size it was given.
  bool SetScaledPresentation(int width, int height) override;
  CursorHandle CreateColorCursor(const Bitmap32& image, Point hotSpot) override;
  CursorHandle GetStandardCursor(StandardCursor kind) override;
  void SetCursor(CursorHandle cursor) override;
  bool WaitEvent(Event& event, int timeoutMs) override;
  void Wake() override;
  uint64_t Ticks() override;
  TimerHandle StartTimer(uint32_t intervalMs) override;
  void StopTimer(TimerHandle timer) override;

  DisplayCaps GetDisplayCaps(WindowHandle window) override;
  std::optional<DisplayMode> CurrentDisplayMode() override;
  std::optional<DisplayMode> EnumDisplayMode(int index) override;
  // `persist` has no further meaning on X: a mode lasts for the X session (until the
  // server restarts or someone changes it), and no desktop configuration is written.
  int ChangeDisplayMode(const DisplayMode& mode, bool persist) override;
  // Nothing to send: X clients, SDL among them, are told of a new mode by the server.
  void BroadcastDisplayChange(uintptr_t wParam, intptr_t lParam) override;
  TaskBarHandle FindTaskBar() override;
  void ShowTaskBar(TaskBarHandle taskBar, bool show) override;
  void SetMouseButtonsSwapped(bool swapped) override;

  ShellExecuteResult ShellExecute(const ShellExecuteRequest& request) override;
  std::optional<uint32_t> GetExitCodeProcess(ProcessHandle process) override;
  void WaitForProcess(ProcessHandle process) override;
  void CloseProcess(ProcessHandle process) override;

  std::optional<std::string> MusicOpen(const std::string& file) override;
  void MusicClose() override;
  void MusicPlay() override;
  void MusicStop() override;
  void MusicRewind() override;
  MusicMode MusicGetMode() override;
  uint32_t MusicPosition() override;
  uint32_t MusicLength() override;
  int WaveOutDeviceCount() override;
  bool PlayWave(const std::vector<uint8_t>& riffFile) override;
  void StopWave() override;

  std::string ProgramFileName() override;
  bool CreateCopyMarker(const std::string& name) override;
  void SetApplicationTitle(const std::string& title) override;
  bool ActivateOtherCopy(const std::string& title) override;
  bool RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) override;
  void UnregisterHotKey(uint32_t id) override;
  int MixerDeviceCount() override;
  std::optional<MixerCaps> MixerGetCaps(int device) override;
  MixerHandle MixerOpen(int device) override;
  void MixerClose(MixerHandle mixer) override;
  std::optional<MixerLine> MixerGetDestination(MixerHandle mixer, uint32_t destination) override;
  std::optional<MixerLine> MixerGetSource(MixerHandle mixer, uint32_t destination,
                                          uint32_t source) override;
  std::optional<std::vector<MixerControl>> MixerGetLineControls(MixerHandle mixer,
                                                                uint32_t lineId) override;
  // Stand-ins of the Windows programs beside the running program ("windows", "system").
  std::string WindowsFolder() override;
  std::string SystemFolder() override;

  // The SDL window behind a handle, or null. It may be made anew when first shown.
  SDL_Window* Find(WindowHandle window) const;

 private:
  // One of the program's windows.
  struct Window {
    SDL_Window* sdl = nullptr;
    Rect bounds;  // as the program set them (logical when scaled)
    bool popup = false;
    std::optional<Point> unshownSize;  // never shown yet: the size it was made with
    WindowHandle owner = 0;
    WindowHandle coveredBy = 0;  // off the screen while that window covers it whole
  };
  // A colour cursor as the program made it, kept to be made again at another scale.
  struct ColorCursor {
    Bitmap32 image;
    Point hotSpot;
  };

  // Where a window of these logical bounds goes on the screen.
  Rect Placed(const Rect& logical) const;
  bool UnderWayland() const;
  WindowHandle HandleOf(uint32_t sdlId) const;
  void MakeAtShownSize(WindowHandle window);
  void PassPointerToOwner(WindowHandle dialog, bool through);
  bool Translate(const SDL_Event& in, Event& out);
  // Window placement and views of the scaled presentation.
  void PlaceWindow(WindowHandle window);
  // Windows taken off the screen while another covers them whole.
  void CoverOthers(WindowHandle cover);
  void Uncover(WindowHandle cover);
  ScaledView ViewOf(WindowHandle window) const;
  Point ToLogical(uint32_t windowId, Point p) const;
  SDL_Cursor* MakeColorCursor(const ColorCursor& source) const;
  SdlAudio& Audio();  // opened on first use

  std::map<WindowHandle, Window> windows_;
  std::map<uint32_t, WindowHandle> handleOf_;  // SDL ids of windows made anew
  std::optional<ScaledScreen> scaled_;
  std::map<CursorHandle, ColorCursor> colorCursors_;
  CursorHandle currentCursor_ = 0;
  std::map<CursorHandle, SDL_Cursor*> cursors_;
  std::map<StandardCursor, CursorHandle> standardCursors_;
  CursorHandle nextCursor_ = 1;
  TimerQueue timers_;
  uint32_t wakeEventType_ = 0;
  bool exitAfterFirstFrame_ = false;
  std::unique_ptr<SessionGuardian> guardian_;
  std::unique_ptr<TerminationSignals> signals_;
  std::unique_ptr<X11Desktop> desktop_;  // null without an X server under SDL
  std::unique_ptr<ProcessLauncher> processes_;
  std::unique_ptr<SdlAudio> audio_;
  std::unique_ptr<ExternalSources> external_;  // copy marker, hot keys, mixers
};

}  // namespace tazu
