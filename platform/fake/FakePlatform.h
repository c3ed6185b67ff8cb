// A scripted, recording platform for tests: no display, a virtual clock, input fed
// by the test, and every request kept for inspection (including each window's pixels).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/TimerQueue.h"

namespace tazu {

class FakePlatform : public Platform {
 public:
  struct WindowRecord {
    WindowOptions options;
    std::string title;
    Rect bounds;
    WindowState state = WindowState::Hidden;
    Bitmap32 image;  // what has been presented so far, window-sized
    int presentCount = 0;
    int raiseCount = 0;
    WindowHandle owner = 0;
    bool destroyed = false;
  };

  FakePlatform();

  // ---- Platform ----
  WindowHandle CreateWindow(const WindowOptions& options) override;
  void DestroyWindow(WindowHandle window) override;
  void SetWindowTitle(WindowHandle window, const std::string& title) override;
  void SetWindowBounds(WindowHandle window, const Rect& bounds) override;
  void SetWindowState(WindowHandle window, WindowState state) override;
  void RaiseWindow(WindowHandle window) override;
  void SetWindowOwner(WindowHandle window, WindowHandle owner) override;
  void Present(WindowHandle window, const Bitmap32& image, const Rect& area) override;
  Rect ScreenRect() override { return screen; }
  Point CursorPos() override { return cursorPos; }
  bool SetScaledPresentation(int width, int height) override;
  CursorHandle CreateColorCursor(const Bitmap32& image, Point hotSpot) override;
  CursorHandle GetStandardCursor(StandardCursor kind) override;
  void SetCursor(CursorHandle cursor) override { currentCursor = cursor; }
  bool WaitEvent(Event& event, int timeoutMs) override;
  void Wake() override;
  uint64_t Ticks() override;
  TimerHandle StartTimer(uint32_t intervalMs) override;
  void StopTimer(TimerHandle timer) override;
  std::optional<ModalResult> ShowNativeMessageBox(const MessageBoxRequest& request) override;
  std::optional<std::string> MusicOpen(const std::string& file) override;
  void MusicClose() override;
  void MusicPlay() override;
  void MusicStop() override;
  void MusicRewind() override;
  MusicMode MusicGetMode() override;
  uint32_t MusicPosition() override;
  uint32_t MusicLength() override;
  int WaveOutDeviceCount() override { return waveDevices; }
  bool PlayWave(const std::vector<uint8_t>& riffFile) override;
  void StopWave() override;
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
  std::string ProgramFileName() override { return programFileName; }
  bool CreateCopyMarker(const std::string& name) override;
  void SetApplicationTitle(const std::string& title) override;
  bool ActivateOtherCopy(const std::string& title) override;
  bool RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) override;
  void UnregisterHotKey(uint32_t id) override;
  int MixerDeviceCount() override { return static_cast<int>(mixerDevices.size()); }
  std::optional<MixerCaps> MixerGetCaps(int device) override;
  MixerHandle MixerOpen(int device) override;
  void MixerClose(MixerHandle mixer) override;
  std::optional<MixerLine> MixerGetDestination(MixerHandle mixer, uint32_t destination) override;
  std::optional<MixerLine> MixerGetSource(MixerHandle mixer, uint32_t destination,
                                          uint32_t source) override;
  std::optional<std::vector<MixerControl>> MixerGetLineControls(MixerHandle mixer,
                                                                uint32_t lineId) override;
  std::string WindowsFolder() override { return windowsFolder; }
  std::string SystemFolder() override { return systemFolder; }

  // ---- script: input. PushEvent may be called from any thread; the helpers below
  // also update cursorPos and belong to the UI thread. ----
  void PushEvent(Event event);
  void MoveMouse(WindowHandle window, int x, int y);
  void PressMouse(WindowHandle window, int x, int y, MouseButton button = MouseButton::Left);
  void ReleaseMouse(WindowHandle window, int x, int y, MouseButton button = MouseButton::Left);
  // Move, press and release at one place.
  void Click(WindowHandle window, int x, int y);
  void PressKey(WindowHandle window, int virtualKey);
  void TypeText(WindowHandle window, const std::string& utf8);

  // ---- script: time ----
  // With autoAdvance, an idle loop jumps the virtual clock to the next due timer
  // instead of waiting, so timed behaviour runs at once and repeatably.
  bool autoAdvance = true;
  void AdvanceTime(uint64_t ms);
  // Runs on the waiting (UI) thread whenever the loop has nothing to do, before time
  // is advanced; steps run one per idle pass, then onIdle (if any) every pass.
  std::deque<std::function<void()>> idleSteps;
  std::function<void()> onIdle;
  // How long an idle wait with nothing scripted and no timer may block in real time
  // (for wake-ups from other threads) before the fake gives up with an exception.
  int realWaitLimitMs = 10000;

  // ---- script: message boxes ----
  // With nativeMessageBoxes off the framework draws its own boxes (tests then answer
  // them through input). Otherwise answers come from `answers`, or the first button.
  bool nativeMessageBoxes = true;
  std::deque<ModalResult> answers;
  std::function<ModalResult(const MessageBoxRequest&)> onMessageBox;
  std::vector<MessageBoxRequest> shownBoxes;

  // ---- script: display, task bar, mouse ----
  // What the display shows; a successful mode change updates it from the mode.
  DisplayCaps display{60, 800, 600, 32};
  std::optional<DisplayMode> currentMode;  // nothing: the system cannot say
  std::vector<DisplayMode> modes;
  int changeResult = DISP_CHANGE_SUCCESSFUL;
  TaskBarHandle taskBar = 0;  // 0: there is none
  bool taskBarVisible = true;
  bool mouseSwapped = false;

  struct ModeChange {
    DisplayMode mode;
    bool persist;
  };
  std::vector<ModeChange> modeChanges;
  std::vector<std::pair<uintptr_t, intptr_t>> displayBroadcasts;
  // Whether SetScaledPresentation succeeds, and the logical size it was last given
  // (windows, pointer and ScreenRect stay logical here: nothing else changes).
  bool canScale = true;
  std::optional<Point> scaledPresentation;

  // ---- script: processes ----
  // What one ShellExecute answers: the instance code and whether a process is handed
  // out (a success without one is a document taken by a program already running).
  struct ShellOutcome {
    int instanceCode = 42;
    bool giveProcess = true;
  };
  // Taken front first, one per ShellExecute; `shellDefault` once the queue is empty.
  std::deque<ShellOutcome> shellOutcomes;
  ShellOutcome shellDefault;
  // Every process handed out: it runs (STILL_ACTIVE) until the test ends it.
  struct ProcessRecord {
    ShellExecuteRequest request;
    uint32_t exitCode = STILL_ACTIVE;
    bool closed = false;  // a closed handle can no longer be queried
  };
  std::map<ProcessHandle, ProcessRecord> processes;
  // Ends a process; safe from any thread (it also releases a WaitForProcess).
  void EndProcess(ProcessHandle process, uint32_t exitCode);
  // WaitForProcess on a running process: with endOnWait the process ends at once with
  // `waitExitCode`; without it the call blocks until EndProcess from another thread, and
  // raises after realWaitLimitMs so that a test cannot hang.
  bool endOnWait = true;
  uint32_t waitExitCode = 0;
  std::vector<ShellExecuteRequest> shellRequests;  // every request, in order
  std::vector<ProcessHandle> closedProcesses;      // every CloseProcess, in order
  std::vector<ProcessHandle> waitedProcesses;      // every WaitForProcess, in order

  // ---- script: music and cues ----
  // An open fails with this message when set (a machine that cannot play MIDI).
  std::optional<std::string> musicOpenError;
  uint32_t musicLengthMs = 60000;
  std::string musicFile;  // the open file, "" when none
  MusicMode musicMode = MusicMode::NotReady;
  uint32_t musicPositionMs = 0;
  std::vector<std::string> musicOpened;  // every file opened, in order
  // The piece plays to its end: position = length, stopped, and a notice is posted.
  void EndMusic();
  int waveDevices = 1;
  std::vector<std::vector<uint8_t>> wavesPlayed;
  int waveStops = 0;

  // ---- script: single copy ----
  std::string programFileName = "pelkor-tazu";
  // What CreateCopyMarker answers: another copy holds the marker already.
  bool otherCopyRunning = false;
  std::vector<std::string> copyMarkers;        // every marker name asked, in order
  std::vector<std::string> applicationTitles;  // every application title set, in order
  // Titles of the other copies' application windows that ActivateOtherCopy can find.
  std::vector<std::string> otherCopyTitles;
  std::vector<std::string> activations;  // every ActivateOtherCopy title, in order
  // The other copies' windows that were asked to come forward, by title.
  std::vector<std::string> activatedCopies;

  // ---- script: hot keys ----
  struct HotKeyRecord {
    uint32_t id = 0;
    unsigned modifiers = 0;
    int virtualKey = 0;
    friend bool operator==(const HotKeyRecord&, const HotKeyRecord&) = default;
  };
  // Combinations (modifiers, key) that other programs hold: registering them fails.
  std::set<std::pair<unsigned, int>> takenHotKeys;
  std::vector<HotKeyRecord> hotKeys;              // held now, in registration order
  std::vector<HotKeyRecord> hotKeyRegistrations;  // every RegisterHotKey, in order
  std::vector<uint32_t> hotKeyUnregistrations;    // every UnregisterHotKey, in order
  // Queues the HotKey event of identifier `id` (whether registered or not).
  void PressHotKey(uint32_t id);

  // ---- script: audio mixer devices ----
  struct MixerDeviceScript {
    MixerCaps caps;
    bool openFails = false;
    std::vector<MixerLine> destinations;
    std::vector<std::vector<MixerLine>> sources;             // per destination index
    std::map<uint32_t, std::vector<MixerControl>> controls;  // by line id; absent: fails
    std::set<uint32_t> failingDestinations;                  // indexes whose description fails
    std::set<std::pair<uint32_t, uint32_t>> failingSources;  // (destination, source) that fail
  };
  std::vector<MixerDeviceScript> mixerDevices;  // none: a machine without mixers
  std::map<MixerHandle, int> openMixers;        // handle to device index
  std::vector<int> mixerOpens;                  // every MixerOpen device, in order
  std::vector<MixerHandle> mixerCloses;         // every MixerClose, in order
  // Queues a change notice (MixerLineChange or MixerControlChange) of `mixer`.
  void NotifyMixer(EventKind kind, MixerHandle mixer, uint32_t id);

  // ---- script: folders of the system's programs ----
  std::string windowsFolder = "C:\\WINDOWS";
  std::string systemFolder = "C:\\WINDOWS\\system32";

  // ---- records ----
  Rect screen{0, 0, 800, 600};
  Point cursorPos;
  CursorHandle currentCursor = 0;
  std::map<WindowHandle, WindowRecord> windows;
  std::map<CursorHandle, Bitmap32> cursors;
  std::vector<StandardCursor> standardCursorsAsked;
  std::vector<std::string> calls;  // a line per request, in order
  int timerCount() const;          // timers running now

  const WindowRecord& Window(WindowHandle window) const { return windows.at(window); }
  uint64_t Now() const;

 private:
  bool TakeQueued(Event& event);
  bool RunIdleScript();
  // The script of an open mixer handle; null for any other handle.
  const MixerDeviceScript* OpenMixer(MixerHandle mixer) const;

  mutable std::mutex mutex_;
  std::condition_variable wakeup_;
  std::deque<Event> queue_;
  TimerQueue timers_;
  uint64_t now_ = 0;
  WindowHandle nextWindow_ = 1;
  CursorHandle nextCursor_ = 100;
  ProcessHandle nextProcess_ = 0x1000;
  MixerHandle nextMixer_ = 0x3000;
};

}  // namespace tazu
