#include "platform/win32/Win32Desktop.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <exception>

namespace tazu {
namespace {

constexpr UINT kBroadcastTimeoutMs = 2000;
constexpr DWORD kModeFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;

// What is changed now, kept where a fault handler can read it without locks.
struct ChangedState {
  std::atomic<HWND> hiddenTaskBar{nullptr};
  std::atomic<bool> swapped{false};
  std::atomic<bool> modeChanged{false};
  DEVMODEA originalMode{};  // written once, before modeChanged is set
};
ChangedState g_changed;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

[[noreturn]] void RestoreOnTerminate() {
  Win32Desktop::RestoreAfterFault();
  if (g_previousTerminate != nullptr) g_previousTerminate();
  std::abort();
}

LONG WINAPI RestoreOnFault(EXCEPTION_POINTERS* info) {
  Win32Desktop::RestoreAfterFault();
  return g_previousFilter != nullptr ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

DisplayMode FromDevMode(const DEVMODEA& dm, uint64_t native) {
  DisplayMode mode;
  mode.bitsPerPel = dm.dmBitsPerPel;
  mode.pelsWidth = dm.dmPelsWidth;
  mode.pelsHeight = dm.dmPelsHeight;
  mode.displayFrequency = dm.dmDisplayFrequency;
  mode.orientation = static_cast<uint16_t>(dm.dmDisplayOrientation);
  mode.native = native;
  return mode;
}

bool SameMode(const DEVMODEA& a, const DEVMODEA& b) {
  return a.dmBitsPerPel == b.dmBitsPerPel && a.dmPelsWidth == b.dmPelsWidth &&
         a.dmPelsHeight == b.dmPelsHeight && a.dmDisplayFrequency == b.dmDisplayFrequency;
}

std::optional<DEVMODEA> Enumerate(DWORD index) {
  DEVMODEA dm{};
  dm.dmSize = sizeof(dm);
  if (!EnumDisplaySettingsA(nullptr, index, &dm)) return std::nullopt;
  return dm;
}

}  // namespace

Win32Desktop::Win32Desktop() {
  g_previousFilter = SetUnhandledExceptionFilter(&RestoreOnFault);
  g_previousTerminate = std::set_terminate(&RestoreOnTerminate);
}

Win32Desktop::~Win32Desktop() {
  SetUnhandledExceptionFilter(g_previousFilter);
  std::set_terminate(g_previousTerminate);
}

DisplayCaps Win32Desktop::Caps(void* hwnd) const {
  DisplayCaps caps;
  HDC dc = GetDC(static_cast<HWND>(hwnd));
  if (dc == nullptr) return caps;
  caps.refresh = GetDeviceCaps(dc, VREFRESH);
  caps.width = GetDeviceCaps(dc, HORZRES);
  caps.height = GetDeviceCaps(dc, VERTRES);
  caps.bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(static_cast<HWND>(hwnd), dc);
  return caps;
}

std::optional<DisplayMode> Win32Desktop::CurrentMode() const {
  auto dm = Enumerate(ENUM_CURRENT_SETTINGS);
  if (!dm) return std::nullopt;
  return FromDevMode(*dm, 0);
}

std::optional<DisplayMode> Win32Desktop::Mode(int index) const {
  if (index < 0) return std::nullopt;
  auto dm = Enumerate(static_cast<DWORD>(index));
  if (!dm) return std::nullopt;
  return FromDevMode(*dm, static_cast<uint64_t>(index) + 1);
}

int Win32Desktop::ChangeMode(const DisplayMode& mode, bool persist) {
  // The mode as the system listed it, when it came from the list; else built from its
  // fields.
  std::optional<DEVMODEA> listed;
  if (mode.native != 0) listed = Enumerate(static_cast<DWORD>(mode.native - 1));
  DEVMODEA dm{};
  if (listed && FromDevMode(*listed, mode.native) == mode) {
    dm = *listed;
  } else {
    dm.dmSize = sizeof(dm);
    dm.dmBitsPerPel = mode.bitsPerPel;
    dm.dmPelsWidth = mode.pelsWidth;
    dm.dmPelsHeight = mode.pelsHeight;
    dm.dmDisplayFrequency = mode.displayFrequency;
  }
  dm.dmFields |= kModeFields;
  if (!g_changed.modeChanged.load()) {
    if (auto current = Enumerate(ENUM_CURRENT_SETTINGS)) g_changed.originalMode = *current;
  }
  const LONG result = ChangeDisplaySettingsA(&dm, persist ? CDS_UPDATEREGISTRY : 0);
  if (result == DISP_CHANGE_SUCCESSFUL)
    g_changed.modeChanged = !SameMode(dm, g_changed.originalMode);
  return static_cast<int>(result);
}

void Win32Desktop::BroadcastDisplayChange(uintptr_t wParam, intptr_t lParam) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_DISPLAYCHANGE, wParam, lParam, SMTO_ABORTIFHUNG,
                      kBroadcastTimeoutMs, &ignored);
}

TaskBarHandle Win32Desktop::FindTaskBar() const {
  return reinterpret_cast<TaskBarHandle>(FindWindowA("Shell_TrayWnd", nullptr));
}

void Win32Desktop::ShowTaskBar(TaskBarHandle taskBar, bool show) {
  HWND tray = reinterpret_cast<HWND>(taskBar);
  if (tray == nullptr) return;
  ShowWindow(tray, show ? SW_SHOW : SW_HIDE);
  g_changed.hiddenTaskBar = show ? nullptr : tray;
}

void Win32Desktop::SetButtonsSwapped(bool swapped) {
  // No update flags: the swap lasts for this session and is not written to the profile.
  SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, swapped ? TRUE : FALSE, nullptr, 0);
  g_changed.swapped = swapped;
}

void Win32Desktop::RestoreAfterFault() {
  if (HWND tray = g_changed.hiddenTaskBar.exchange(nullptr)) ShowWindow(tray, SW_SHOW);
  if (g_changed.swapped.exchange(false))
    SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, FALSE, nullptr, 0);
  if (g_changed.modeChanged.exchange(false)) {
    DEVMODEA original = g_changed.originalMode;
    original.dmFields |= kModeFields;
    ChangeDisplaySettingsA(&original, CDS_UPDATEREGISTRY);
  }
}

}  // namespace tazu
