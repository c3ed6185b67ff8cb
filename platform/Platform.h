// Everything the program asks of the operating system goes through Platform.
// The framework and everything above it include no operating-system header.
// Windows sources include this header (directly or through their own) before
// <windows.h>, and #undef the macros it defines over our names (CreateWindow,
// ShellExecute): included the other way round, these methods are renamed in that file
// only and the backend no longer overrides them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Pixels.h"

namespace tazu {

using WindowHandle = uint32_t;  // 0 is no window
using TimerHandle = uint32_t;   // 0 is no timer
using CursorHandle = uint32_t;  // 0 is the standard arrow

enum class MouseButton { Left, Right, Middle };

// Modifier and button state (the classic shift-state bits).
enum ShiftFlags : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
};

// Virtual key codes (the Windows values, so key handlers read the same everywhere).
enum VirtualKey : int {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_DELETE = 0x2E,
  VK_F1 = 0x70,
};

enum class EventKind {
  MouseMove,
  MouseDown,
  MouseUp,
  MouseWheel,
  MouseLeave,  // the pointer left the window
  KeyDown,
  KeyUp,
  Text,          // characters typed, UTF-8
  CloseRequest,  // the user or the system asked the window to close
  Expose,        // the window's pixels must be shown again
  Activated,     // the window received the input focus
  Timer,
  MusicNotify,         // the music player finished a command (played to the end, stopped, ...)
  HotKey,              // a registered hot key was pressed: `id` is its identifier
  MixerLineChange,     // `handle` is the mixer device, `id` the line
  MixerControlChange,  // `handle` is the mixer device, `id` the control
  ActivateRequest,     // another copy of the program asked this one to come forward
  Wake,                // Platform::Wake was called
};

struct Event {
  EventKind kind = EventKind::Wake;
  WindowHandle window = 0;
  Point pos{};  // pointer position in window coordinates
  MouseButton button = MouseButton::Left;
  int wheelDelta = 0;  // notches, positive away from the user
  unsigned shift = 0;
  int key = 0;  // VirtualKey for KeyDown / KeyUp
  std::string text{};
  TimerHandle timer = 0;
  uint64_t handle = 0;
  uint32_t id = 0;
};

enum class WindowState { Hidden, Normal, Minimized };

struct WindowOptions {
  std::string title;
  Rect bounds;
  // A pop-up (hint) window: no focus, above the others, not in any task list.
  bool popup = false;
};

enum class StandardCursor { Arrow, IBeam, Wait, Hand, Cross, SizeAll };

enum class MessageBoxKind { Plain, Information, Warning, Error, Question };
enum class MessageBoxButtons { Ok, YesNo, OkCancel, YesNoCancel };
// The classic modal results.
enum ModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
};

struct MessageBoxRequest {
  std::string caption;
  std::string text{};
  MessageBoxKind kind = MessageBoxKind::Plain;
  MessageBoxButtons buttons = MessageBoxButtons::Ok;
};

// What the display shows now, as read through a window's device context.
struct DisplayCaps {
  int refresh = 0;  // hertz
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  friend bool operator==(const DisplayCaps&, const DisplayCaps&) = default;
};

// One display mode as the system describes it, kept whole so that it can be applied
// again exactly (`native` identifies the mode to the backend).
struct DisplayMode {
  uint32_t bitsPerPel = 0;
  uint32_t pelsWidth = 0;
  uint32_t pelsHeight = 0;
  uint32_t displayFrequency = 0;
  uint16_t orientation = 0;  // 0: not rotated
  uint64_t native = 0;
  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// Results of a mode change (the classic codes).
enum DisplayChangeResult : int {
  DISP_CHANGE_SUCCESSFUL = 0,
  DISP_CHANGE_RESTART = 1,
  DISP_CHANGE_FAILED = -1,
  DISP_CHANGE_BADMODE = -2,
};

// The message that announces a display change to every top-level window.
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;

using TaskBarHandle = uint64_t;  // 0: no task bar
using ProcessHandle = uint64_t;  // 0: no process

// A request to start a program or open a document the shell's way.
struct ShellExecuteRequest {
  std::string verb;        // "open", "print" or "explore"
  std::string file;        // program, document or folder, written the Windows way
  std::string parameters;  // one string, split into arguments by the Windows rules
  std::string directory;   // working folder; empty: the caller's current folder
  int show = 5;            // SW_SHOW and the other show states
};

struct ShellExecuteResult {
  // The started process, or 0 when the shell started none (or failed).
  ProcessHandle process = 0;
  // The shell's instance code: above 32 on success, else an SE_ERR_ / ERROR_ code.
  int instanceCode = 0;
};

// Shell failure codes.
enum ShellError : int {
  SE_ERR_FNF = 2,
  SE_ERR_PNF = 3,
  SE_ERR_ACCESSDENIED = 5,
  SE_ERR_OOM = 8,
  SE_ERR_SHARE = 26,
  SE_ERR_ASSOCINCOMPLETE = 27,
  SE_ERR_DDETIMEOUT = 28,
  SE_ERR_DDEFAIL = 29,
  SE_ERR_DDEBUSY = 30,
  SE_ERR_NOASSOC = 31,
  SE_ERR_DLLNOTFOUND = 32,
};

// The music player's state, as the media control interface reports it.
enum class MusicMode { NotReady, Stopped, Playing, Seeking, Paused, Open };

// Hot-key modifiers (the classic MOD_ values).
enum HotKeyModifiers : unsigned { MOD_ALT = 1, MOD_CONTROL = 2, MOD_SHIFT = 4 };

using MixerHandle = uint64_t;  // 0: no device

// A mixer device's identity (the classic MIXERCAPS).
struct MixerCaps {
  uint16_t manufacturerId = 0;
  uint16_t productId = 0;
  uint32_t driverVersion = 0;
  std::string productName;
  uint32_t destinations = 0;
};

// One line of a mixer device (the classic MIXERLINE).
struct MixerLine {
  uint32_t destination = 0;
  uint32_t source = 0;
  uint32_t lineId = 0;
  uint32_t flags = 0;
  uint32_t componentType = 0;
  uint32_t channels = 0;
  uint32_t connections = 0;  // source lines of a destination
  uint32_t controls = 0;
  std::string shortName;
  std::string name;
};

// One control of a mixer line (the classic MIXERCONTROL).
struct MixerControl {
  uint32_t controlId = 0;
  uint32_t controlType = 0;
  uint32_t controlFlags = 0;
  uint32_t multipleItems = 0;
  std::string shortName;
  std::string name;
  int32_t minimum = 0;
  int32_t maximum = 0;
  uint32_t steps = 0;
};

// The exit code of a process that has not ended.
constexpr uint32_t STILL_ACTIVE = 259;

class Platform {
 public:
  virtual ~Platform() = default;

  // ---- windows ----
  virtual WindowHandle CreateWindow(const WindowOptions& options) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;
  virtual void SetWindowTitle(WindowHandle window, const std::string& title) = 0;
  virtual void SetWindowBounds(WindowHandle window, const Rect& bounds) = 0;
  virtual void SetWindowState(WindowHandle window, WindowState state) = 0;
  // Brings the window to the front and gives it the input focus.
  virtual void RaiseWindow(WindowHandle window) = 0;
  // Makes `window` a dialog of `owner`: window managers keep it over its owner, and a
  // kiosk compositor, which fills its screen with every other window, centres it at its
  // own size.
  virtual void SetWindowOwner(WindowHandle /*window*/, WindowHandle /*owner*/) {}
  // Shows `area` (window coordinates) of `image`, the window's whole back buffer.
  virtual void Present(WindowHandle window, const Bitmap32& image, const Rect& area) = 0;
  virtual Rect ScreenRect() = 0;
  virtual Point CursorPos() = 0;  // screen coordinates
  // Shows every window from now on scaled: a screen of `width` x `height` logical
  // pixels becomes the largest picture that fits the primary output (or the window the
  // system gives), centred, with black bars. Window bounds, Present areas, pointer
  // positions, ScreenRect and CursorPos are logical from then on; nothing else changes.
  // False when the platform cannot scale: then nothing changes at all.
  virtual bool SetScaledPresentation(int width, int height) {
    (void)width;
    (void)height;
    return false;
  }

  // ---- cursors ----
  virtual CursorHandle CreateColorCursor(const Bitmap32& image, Point hotSpot) = 0;
  virtual CursorHandle GetStandardCursor(StandardCursor kind) = 0;
  virtual void SetCursor(CursorHandle cursor) = 0;

  // ---- message loop ----
  // Waits up to `timeoutMs` (-1: without limit) for the next event; false when none came.
  virtual bool WaitEvent(Event& event, int timeoutMs) = 0;
  // Makes a waiting WaitEvent return a Wake event. Safe from any thread.
  virtual void Wake() = 0;
  // Milliseconds of a monotonic clock.
  virtual uint64_t Ticks() = 0;

  // ---- window timers: repeating Timer events, coalesced like window messages ----
  virtual TimerHandle StartTimer(uint32_t intervalMs) = 0;
  virtual void StopTimer(TimerHandle timer) = 0;

  // ---- display modes ----
  virtual DisplayCaps GetDisplayCaps(WindowHandle window) = 0;
  // The mode in use, or nothing when the system cannot say.
  virtual std::optional<DisplayMode> CurrentDisplayMode() = 0;
  // Mode number `index` (from 0) of the list, or nothing past its end.
  virtual std::optional<DisplayMode> EnumDisplayMode(int index) = 0;
  // Makes `mode` current; with `persist` it also becomes the user's stored setting.
  virtual int ChangeDisplayMode(const DisplayMode& mode, bool persist) = 0;
  // Tells every top-level window that the display changed.
  virtual void BroadcastDisplayChange(uintptr_t wParam, intptr_t lParam) = 0;

  // ---- task bar ----
  virtual TaskBarHandle FindTaskBar() = 0;
  virtual void ShowTaskBar(TaskBarHandle taskBar, bool show) = 0;

  // ---- mouse ----
  // Exchanges (true) or restores (false) the primary and secondary buttons for the
  // whole system, for this session only.
  virtual void SetMouseButtonsSwapped(bool swapped) = 0;

  // ---- processes ----
  virtual ShellExecuteResult ShellExecute(const ShellExecuteRequest& request) = 0;
  // The process's exit code (STILL_ACTIVE while it runs), or nothing when it cannot
  // be read (no such process, or the handle is 0).
  virtual std::optional<uint32_t> GetExitCodeProcess(ProcessHandle process) = 0;
  // Blocks until the process has ended.
  virtual void WaitForProcess(ProcessHandle process) = 0;
  // Gives the handle back; a process still running goes on (and is reaped when it ends).
  virtual void CloseProcess(ProcessHandle process) = 0;

  // ---- music: one file open at a time ----
  // Opens `file` for playing; on failure nothing is open and the device's message
  // comes back.
  virtual std::optional<std::string> MusicOpen(const std::string& file) = 0;
  virtual void MusicClose() = 0;
  // Starts playing and returns at once. A MusicNotify event follows when the piece
  // has played to its end or was interrupted. A refusal is silent.
  virtual void MusicPlay() = 0;
  virtual void MusicStop() = 0;
  virtual void MusicRewind() = 0;
  virtual MusicMode MusicGetMode() = 0;
  // Milliseconds; the position equals the length once a piece has played to its end.
  virtual uint32_t MusicPosition() = 0;
  virtual uint32_t MusicLength() = 0;

  // ---- sound cues ----
  virtual int WaveOutDeviceCount() = 0;
  // Plays a whole RIFF WAVE file held in memory, asynchronously; a cue still playing
  // is cut off. False when it cannot be played.
  virtual bool PlayWave(const std::vector<uint8_t>& riffFile) = 0;
  virtual void StopWave() = 0;

  // ---- single copy ----
  // The running program's file name (the last part of its path).
  virtual std::string ProgramFileName() = 0;
  // Takes the named marker that a running copy holds until it ends; true when another
  // running copy holds it already.
  virtual bool CreateCopyMarker(const std::string& name) = 0;
  // Titles this copy's application window, the one other copies look for; an empty
  // title hides this copy from that search.
  virtual void SetApplicationTitle(const std::string& title) = 0;
  // Finds another copy's application window by its title and asks that copy to come
  // forward (restored when minimised, raised otherwise); false when none is found.
  virtual bool ActivateOtherCopy(const std::string& title) = 0;

  // ---- system-wide hot keys (HotKey events) ----
  // Takes the key combination from every other program; false when another holds it.
  virtual bool RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) = 0;
  virtual void UnregisterHotKey(uint32_t id) = 0;

  // ---- audio mixer devices (change notices as Mixer...Change events) ----
  virtual int MixerDeviceCount() = 0;
  virtual std::optional<MixerCaps> MixerGetCaps(int device) = 0;
  // Opens device `device`; 0 when it cannot be opened.
  virtual MixerHandle MixerOpen(int device) = 0;
  virtual void MixerClose(MixerHandle mixer) = 0;
  virtual std::optional<MixerLine> MixerGetDestination(MixerHandle mixer, uint32_t destination) = 0;
  virtual std::optional<MixerLine> MixerGetSource(MixerHandle mixer, uint32_t destination,
                                                  uint32_t source) = 0;
  virtual std::optional<std::vector<MixerControl>> MixerGetLineControls(MixerHandle mixer,
                                                                        uint32_t lineId) = 0;

  // ---- folders of the system's own programs ----
  // The Windows folder and the system folder (on Linux: where the platform keeps the
  // stand-ins of the system programs the screens start, such as the volume control).
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;

  // ---- message boxes ----
  // A box of the system's own, or nothing when the platform has none (the framework
  // then shows its own modal form).
  virtual std::optional<ModalResult> ShowNativeMessageBox(const MessageBoxRequest&) {
    return std::nullopt;
  }
};

}  // namespace tazu
