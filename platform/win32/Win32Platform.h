// The Windows platform on the Windows API itself. One hidden window of class
// "TApplication" carries the application title (the window a second copy looks for)
// and receives everything that is not for a form: window timers (SetTimer), the
// wake-up (PostMessage), hot keys, MCI and mixer notices. Window messages are turned
// into Events by the window procedure and queued; WaitEvent pumps the thread's
// message queue until one is there.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "platform/ScaledView.h"

namespace tazu {

class Win32Desktop;
class Win32Media;
class Win32Mixer;
class Win32Shell;

class Win32Platform : public Platform {
 public:
  // Raises std::runtime_error when the window classes or the hidden window cannot be
  // made.
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  WindowHandle CreateWindow(const WindowOptions& options) override;
  void DestroyWindow(WindowHandle window) override;
  void SetWindowTitle(WindowHandle window, const std::string& title) override;
  void SetWindowBounds(WindowHandle window, const Rect& bounds) override;
  void SetWindowState(WindowHandle window, WindowState state) override;
  void RaiseWindow(WindowHandle window) override;
  void Present(WindowHandle window, const Bitmap32& image, const Rect& area) override;
  Rect ScreenRect() override;
  Point CursorPos() override;
  // The picture is placed on the primary monitor.
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
  int ChangeDisplayMode(const DisplayMode& mode, bool persist) override;
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
  std::string WindowsFolder() override;
  std::string SystemFolder() override;

  // The window procedure's way in (one procedure serves every window of ours).
  intptr_t HandleMessage(void* hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

 private:
  struct FormWindow {
    void* hwnd = nullptr;
    bool tracking = false;  // a leave notice has been asked for
    Rect bounds;            // as the program set them (logical when scaled)
  };
  // A colour cursor as the program made it, kept to be made again at another scale.
  struct ColorCursor {
    Bitmap32 image;
    Point hotSpot;
  };

  WindowHandle HandleOf(void* hwnd) const;
  void* Find(WindowHandle window) const;
  // The message's result when it was handled here, else nothing (the default procedure
  // handles it).
  std::optional<intptr_t> FormMessage(WindowHandle window, FormWindow& form, uint32_t message,
                                      uintptr_t wParam, intptr_t lParam);
  std::optional<intptr_t> AppMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  void Queue(Event event) { events_.push_back(std::move(event)); }
  void PlaceWindow(const FormWindow& form);
  ScaledView ViewOf(const FormWindow& form) const;
  Point ToLogical(const FormWindow& form, Point client) const;
  void* MakeColorCursor(const ColorCursor& source) const;

  void* appWindow_ = nullptr;  // the hidden "TApplication" window
  std::map<WindowHandle, FormWindow> windows_;
  WindowHandle nextWindow_ = 1;
  std::map<CursorHandle, void*> cursors_;
  std::map<CursorHandle, ColorCursor> colorCursors_;
  CursorHandle currentHandle_ = 0;
  std::optional<ScaledScreen> scaled_;
  std::map<StandardCursor, CursorHandle> standardCursors_;
  CursorHandle nextCursor_ = 1;
  void* currentCursor_ = nullptr;
  TimerHandle nextTimer_ = 1;
  std::deque<Event> events_;
  void* copyMarker_ = nullptr;
  bool comReady_ = false;
  bool exitAfterFirstFrame_ = false;
  std::unique_ptr<Win32Desktop> desktop_;
  std::unique_ptr<Win32Shell> shell_;
  std::unique_ptr<Win32Media> media_;
  std::unique_ptr<Win32Mixer> mixer_;
};

}  // namespace tazu
