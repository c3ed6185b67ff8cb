#include "platform/win32/Win32Platform.h"

#include <windows.h>
// After windows.h, which they build on.
#include <mmsystem.h>
#include <objbase.h>
#include <windowsx.h>

// Our own names that the Windows headers define as macros.
#undef CreateWindow
#undef ShellExecute

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/NativePlatform.h"
#include "platform/win32/DibInfo.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Folders.h"
#include "platform/win32/Win32Media.h"
#include "platform/win32/Win32Mixer.h"
#include "platform/win32/Win32Scaler.h"
#include "platform/win32/Win32Shell.h"

namespace tazu {
namespace {

constexpr char kAppClass[] = "TApplication";
constexpr char kFormClass[] = "TazuForm";
constexpr UINT kWakeMessage = WM_APP + 1;
// Sent by a second copy to the first copy's application window.
constexpr UINT kActivateMessage = WM_APP + 2;
constexpr LRESULT kSetCursorHandled = TRUE;

HWND Hwnd(void* hwnd) { return static_cast<HWND>(hwnd); }

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* platform = reinterpret_cast<Win32Platform*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (platform == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return platform->HandleMessage(hwnd, message, wParam, lParam);
}

void RegisterClass(const char* name, HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  if (RegisterClassExA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error(std::string("Cannot register the window class ") + name);
}

unsigned KeyShift() {
  unsigned shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  return shift;
}

// The key and button state that comes with a mouse message.
unsigned MouseShift(WPARAM keys) {
  unsigned shift = KeyShift();
  if (keys & MK_LBUTTON) shift |= ssLeft;
  if (keys & MK_RBUTTON) shift |= ssRight;
  if (keys & MK_MBUTTON) shift |= ssMiddle;
  return shift;
}

// A typed character of the ANSI code page, as UTF-8.
std::string AnsiCharToUtf8(char c) {
  wchar_t wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1) != 1) return {};
  std::array<char, 8> utf8{};
  const int n = WideCharToMultiByte(CP_UTF8, 0, &wide, 1, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr);
  return n > 0 ? std::string(utf8.data(), static_cast<size_t>(n)) : std::string();
}

LPCSTR StandardCursorId(StandardCursor kind) {
  switch (kind) {
    case StandardCursor::IBeam:
      return IDC_IBEAM;
    case StandardCursor::Wait:
      return IDC_WAIT;
    case StandardCursor::Hand:
      return IDC_HAND;
    case StandardCursor::Cross:
      return IDC_CROSS;
    case StandardCursor::SizeAll:
      return IDC_SIZEALL;
    case StandardCursor::Arrow:
      break;
  }
  return IDC_ARROW;
}

}  // namespace

std::unique_ptr<Platform> CreateNativePlatform() { return std::make_unique<Win32Platform>(); }

Win32Platform::Win32Platform() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterClass(kAppClass, instance);
  RegisterClass(kFormClass, instance);
  // Untitled until the program names itself, so that no other copy finds it early.
  appWindow_ =
      CreateWindowExA(0, kAppClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (appWindow_ == nullptr) throw std::runtime_error("Cannot create the application window");
  // The shell may start documents through COM handlers.
  comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  exitAfterFirstFrame_ = std::getenv("TAZU_EXIT_AFTER_FIRST_FRAME") != nullptr;
  desktop_ = std::make_unique<Win32Desktop>();
  shell_ = std::make_unique<Win32Shell>();
  media_ = std::make_unique<Win32Media>(appWindow_);
  mixer_ = std::make_unique<Win32Mixer>(appWindow_);
}

Win32Platform::~Win32Platform() {
  mixer_.reset();
  media_.reset();
  for (auto& [handle, form] : windows_) ::DestroyWindow(Hwnd(form.hwnd));
  for (auto& [handle, cursor] : cursors_) DestroyCursor(static_cast<HCURSOR>(cursor));
  ::DestroyWindow(Hwnd(appWindow_));
  if (copyMarker_ != nullptr) CloseHandle(copyMarker_);
  desktop_.reset();
  if (comReady_) CoUninitialize();
}

// ---- windows -----------------------------------------------------------------

void* Win32Platform::Find(WindowHandle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.hwnd;
}

WindowHandle Win32Platform::HandleOf(void* hwnd) const {
  for (const auto& [handle, form] : windows_) {
    if (form.hwnd == hwnd) return handle;
  }
  return 0;
}

WindowHandle Win32Platform::CreateWindow(const WindowOptions& options) {
  DWORD exStyle = 0;
  if (options.popup) exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  const Rect b = scaled_ ? scaled_->Place(options.bounds) : options.bounds;
  HWND hwnd = CreateWindowExA(exStyle, kFormClass, options.title.c_str(), WS_POPUP, b.left, b.top,
                              std::max(1, b.Width()), std::max(1, b.Height()), nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
  if (hwnd == nullptr) throw std::runtime_error("Cannot create a window");
  const WindowHandle handle = nextWindow_++;
  windows_[handle] = FormWindow{hwnd, false, options.bounds};
  return handle;
}

void Win32Platform::DestroyWindow(WindowHandle window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  HWND hwnd = Hwnd(it->second.hwnd);
  windows_.erase(it);
  ::DestroyWindow(hwnd);
}

void Win32Platform::SetWindowTitle(WindowHandle window, const std::string& title) {
  if (void* hwnd = Find(window)) SetWindowTextA(Hwnd(hwnd), title.c_str());
}

void Win32Platform::SetWindowBounds(WindowHandle window, const Rect& bounds) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.bounds = bounds;
  PlaceWindow(it->second);
}

void Win32Platform::PlaceWindow(const FormWindow& form) {
  const Rect b = scaled_ ? scaled_->Place(form.bounds) : form.bounds;
  SetWindowPos(Hwnd(form.hwnd), nullptr, b.left, b.top, std::max(1, b.Width()),
               std::max(1, b.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
}

ScaledView Win32Platform::ViewOf(const FormWindow& form) const {
  if (!scaled_) return {};
  RECT client{};
  GetClientRect(Hwnd(form.hwnd), &client);
  return scaled_->ViewFor(form.bounds, {client.right - client.left, client.bottom - client.top});
}

Point Win32Platform::ToLogical(const FormWindow& form, Point client) const {
  return scaled_ ? ViewOf(form).ToLogical(client) : client;
}

bool Win32Platform::SetScaledPresentation(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor))
    return false;
  const RECT& m = monitor.rcMonitor;
  scaled_.emplace(Point{width, height}, Rect{m.left, m.top, m.right, m.bottom});
  for (const auto& [handle, form] : windows_) PlaceWindow(form);
  // Colour cursors are part of the picture: they grow with it.
  for (const auto& [handle, source] : colorCursors_) {
    if (void* cursor = MakeColorCursor(source)) {
      DestroyCursor(static_cast<HCURSOR>(cursors_[handle]));
      cursors_[handle] = cursor;
    }
  }
  SetCursor(currentHandle_);
  return true;
}

void Win32Platform::SetWindowState(WindowHandle window, WindowState state) {
  HWND hwnd = Hwnd(Find(window));
  if (hwnd == nullptr) return;
  const bool popup = (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
  switch (state) {
    case WindowState::Hidden:
      ShowWindow(hwnd, SW_HIDE);
      break;
    case WindowState::Normal:
      if (popup)
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
      else
        ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
      break;
    case WindowState::Minimized:
      ShowWindow(hwnd, SW_MINIMIZE);
      break;
  }
}

void Win32Platform::RaiseWindow(WindowHandle window) {
  if (void* hwnd = Find(window)) {
    BringWindowToTop(Hwnd(hwnd));
    SetForegroundWindow(Hwnd(hwnd));
  }
}

void Win32Platform::Present(WindowHandle window, const Bitmap32& image, const Rect& area) {
  HWND hwnd = Hwnd(Find(window));
  if (hwnd == nullptr || image.Empty()) return;
  if (scaled_) {
    HDC dc = GetDC(hwnd);
    if (dc == nullptr) return;
    DrawScaledDib(dc, image, area, ViewOf(windows_.at(window)));
    ReleaseDC(hwnd, dc);
    if (exitAfterFirstFrame_) std::_Exit(0);
    return;
  }
  const Rect r = area.Intersect(image.Bounds());
  if (r.IsEmpty()) return;
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;
  // A DIB of just the rows shown, so that the source origin cannot be misread.
  const BITMAPINFO info = TopDownDibInfo(image.Width(), r.Height());
  SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.Width()),
                    static_cast<DWORD>(r.Height()), r.left, 0, 0, static_cast<UINT>(r.Height()),
                    image.Row(r.top), &info, DIB_RGB_COLORS);
  ReleaseDC(hwnd, dc);
  // For the start-up benchmark: end as soon as the first frame has been shown.
  if (exitAfterFirstFrame_) std::_Exit(0);
}

Rect Win32Platform::ScreenRect() {
  if (scaled_) return {0, 0, scaled_->Logical().x, scaled_->Logical().y};
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Point Win32Platform::CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return scaled_ ? scaled_->ToLogical({p.x, p.y}) : Point{p.x, p.y};
}

// ---- cursors -----------------------------------------------------------------

CursorHandle Win32Platform::CreateColorCursor(const Bitmap32& image, Point hotSpot) {
  ColorCursor source{image, hotSpot};
  void* cursor = MakeColorCursor(source);
  if (cursor == nullptr) return 0;
  const CursorHandle handle = nextCursor_++;
  cursors_[handle] = cursor;
  colorCursors_[handle] = std::move(source);
  return handle;
}

void* Win32Platform::MakeColorCursor(const ColorCursor& source) const {
  const Bitmap32& image = source.image;
  const Point hotSpot = source.hotSpot;
  if (image.Empty()) return nullptr;
  const BITMAPINFO info = TopDownDibInfo(image.Width(), image.Height());
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (color == nullptr) return nullptr;
  std::memcpy(bits, image.Data(), static_cast<size_t>(image.Stride()) * image.Height());
  // With 32-bit colour the alpha channel decides; the mask only has to exist.
  HBITMAP mask = CreateBitmap(image.Width(), image.Height(), 1, 1, nullptr);
  ICONINFO icon{FALSE, static_cast<DWORD>(hotSpot.x), static_cast<DWORD>(hotSpot.y), mask, color};
  HCURSOR cursor = CreateIconIndirect(&icon);
  DeleteObject(mask);
  DeleteObject(color);
  if (cursor == nullptr || !scaled_) return cursor;
  // The system's own icon scaling keeps the alpha channel; the hot spot is set again
  // at the scaled place on a cursor made from the scaled pictures.
  const int width = std::max(1, scaled_->Scale(image.Width()));
  const int height = std::max(1, scaled_->Scale(image.Height()));
  auto scaled = static_cast<HCURSOR>(CopyImage(cursor, IMAGE_CURSOR, width, height, 0));
  DestroyCursor(cursor);
  if (scaled == nullptr) return nullptr;
  ICONINFO parts{};
  if (!GetIconInfo(scaled, &parts)) return scaled;
  parts.fIcon = FALSE;
  parts.xHotspot = static_cast<DWORD>(std::min(scaled_->Scale(hotSpot.x), width - 1));
  parts.yHotspot = static_cast<DWORD>(std::min(scaled_->Scale(hotSpot.y), height - 1));
  HCURSOR placed = CreateIconIndirect(&parts);
  if (parts.hbmMask != nullptr) DeleteObject(parts.hbmMask);
  if (parts.hbmColor != nullptr) DeleteObject(parts.hbmColor);
  if (placed == nullptr) return scaled;
  DestroyCursor(scaled);
  return placed;
}

CursorHandle Win32Platform::GetStandardCursor(StandardCursor kind) {
  auto known = standardCursors_.find(kind);
  if (known != standardCursors_.end()) return known->second;
  // Shared system cursors: copied so that every handle of ours can be destroyed alike.
  HCURSOR cursor = CopyCursor(LoadCursor(nullptr, StandardCursorId(kind)));
  if (cursor == nullptr) return 0;
  const CursorHandle handle = nextCursor_++;
  cursors_[handle] = cursor;
  standardCursors_[kind] = handle;
  return handle;
}

void Win32Platform::SetCursor(CursorHandle cursor) {
  currentHandle_ = cursor;
  auto it = cursors_.find(cursor);
  currentCursor_ = it == cursors_.end() ? nullptr : it->second;
  ::SetCursor(currentCursor_ != nullptr ? static_cast<HCURSOR>(currentCursor_)
                                        : LoadCursor(nullptr, IDC_ARROW));
}

// ---- message loop ------------------------------------------------------------

bool Win32Platform::WaitEvent(Event& event, int timeoutMs) {
  const uint64_t start = Ticks();
  for (;;) {
    MSG msg;
    while (events_.empty() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!events_.empty()) {
      event = std::move(events_.front());
      events_.pop_front();
      return true;
    }
    DWORD wait = INFINITE;
    if (timeoutMs >= 0) {
      const uint64_t elapsed = Ticks() - start;
      if (elapsed >= static_cast<uint64_t>(timeoutMs)) return false;
      wait = static_cast<DWORD>(static_cast<uint64_t>(timeoutMs) - elapsed);
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void Win32Platform::Wake() { PostMessageA(Hwnd(appWindow_), kWakeMessage, 0, 0); }

uint64_t Win32Platform::Ticks() { return GetTickCount64(); }

TimerHandle Win32Platform::StartTimer(uint32_t intervalMs) {
  const TimerHandle timer = nextTimer_++;
  if (SetTimer(Hwnd(appWindow_), timer, std::max<UINT>(intervalMs, USER_TIMER_MINIMUM), nullptr) ==
      0)
    return 0;
  return timer;
}

void Win32Platform::StopTimer(TimerHandle timer) {
  if (timer != 0) KillTimer(Hwnd(appWindow_), timer);
}

intptr_t Win32Platform::HandleMessage(void* hwnd, uint32_t message, uintptr_t wParam,
                                      intptr_t lParam) {
  std::optional<intptr_t> result;
  if (hwnd == appWindow_) {
    result = AppMessage(message, wParam, lParam);
  } else if (const WindowHandle window = HandleOf(hwnd); window != 0) {
    result = FormMessage(window, windows_[window], message, wParam, lParam);
  }
  return result ? *result : DefWindowProcA(Hwnd(hwnd), message, wParam, lParam);
}

std::optional<intptr_t> Win32Platform::AppMessage(uint32_t message, uintptr_t wParam,
                                                  intptr_t lParam) {
  Event e;
  switch (message) {
    case WM_TIMER:
      e.kind = EventKind::Timer;
      e.timer = static_cast<TimerHandle>(wParam);
      break;
    case kWakeMessage:
      e.kind = EventKind::Wake;
      break;
    case kActivateMessage:
      e.kind = EventKind::ActivateRequest;
      break;
    case WM_HOTKEY:
      e.kind = EventKind::HotKey;
      e.id = static_cast<uint32_t>(wParam);
      break;
    case MM_MCINOTIFY:
      e.kind = EventKind::MusicNotify;
      break;
    case MM_MIXM_LINE_CHANGE:
    case MM_MIXM_CONTROL_CHANGE:
      e.kind = message == MM_MIXM_LINE_CHANGE ? EventKind::MixerLineChange
                                              : EventKind::MixerControlChange;
      e.handle = static_cast<uint64_t>(wParam);
      e.id = static_cast<uint32_t>(lParam);
      break;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
      // The system or another program asks the whole program to end: the main form
      // closes the normal way.
      e.kind = EventKind::CloseRequest;
      Queue(e);
      return TRUE;
    case WM_ENDSESSION:
      // The session ends once this returns; nothing of ours may outlive it.
      if (wParam != 0) Win32Desktop::RestoreAfterFault();
      return 0;
    default:
      return std::nullopt;
  }
  Queue(e);
  return 0;
}

std::optional<intptr_t> Win32Platform::FormMessage(WindowHandle window, FormWindow& form,
                                                   uint32_t message, uintptr_t wParam,
                                                   intptr_t lParam) {
  HWND hwnd = Hwnd(form.hwnd);
  Event e;
  e.window = window;
  switch (message) {
    case WM_MOUSEMOVE:
      if (!form.tracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
        form.tracking = TrackMouseEvent(&track) != FALSE;
      }
      e.kind = EventKind::MouseMove;
      e.pos = ToLogical(form, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      e.shift = MouseShift(wParam);
      break;
    case WM_MOUSELEAVE:
      form.tracking = false;
      e.kind = EventKind::MouseLeave;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const bool down =
          message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
      e.kind = down ? EventKind::MouseDown : EventKind::MouseUp;
      e.button = message == WM_RBUTTONDOWN || message == WM_RBUTTONUP   ? MouseButton::Right
                 : message == WM_MBUTTONDOWN || message == WM_MBUTTONUP ? MouseButton::Middle
                                                                        : MouseButton::Left;
      e.pos = ToLogical(form, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      e.shift = MouseShift(wParam);
      // The release belongs to the window that saw the press, wherever it happens.
      if (down) SetCapture(hwnd);
      if (!down && (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ReleaseCapture();
      break;
    }
    case WM_MOUSEWHEEL: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &p);
      e.kind = EventKind::MouseWheel;
      e.pos = ToLogical(form, {p.x, p.y});
      e.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      e.shift = MouseShift(GET_KEYSTATE_WPARAM(wParam));
      break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      e.kind =
          message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
      e.key = static_cast<int>(wParam);
      e.shift = KeyShift();
      Queue(e);
      // System keys go on to the default procedure, so that Alt+F4 still closes.
      if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) return std::nullopt;
      return 0;
    case WM_CHAR: {
      const auto c = static_cast<unsigned char>(wParam);
      if (c < 0x20 || c == 0x7F) return 0;  // control keys arrive as KeyDown
      e.kind = EventKind::Text;
      e.text = AnsiCharToUtf8(static_cast<char>(c));
      if (e.text.empty()) return 0;
      break;
    }
    case WM_CLOSE:
      e.kind = EventKind::CloseRequest;
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      e.kind = EventKind::Expose;
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // every pixel is ours
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) return std::nullopt;
      e.kind = EventKind::Activated;
      Queue(e);
      return std::nullopt;
    case WM_MOUSEACTIVATE:
      if ((GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0) return MA_NOACTIVATE;
      return std::nullopt;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) return std::nullopt;
      ::SetCursor(currentCursor_ != nullptr ? static_cast<HCURSOR>(currentCursor_)
                                            : LoadCursor(nullptr, IDC_ARROW));
      return kSetCursorHandled;
    default:
      return std::nullopt;
  }
  Queue(e);
  return 0;
}

// ---- display modes, task bar, mouse -------------------------------------------

DisplayCaps Win32Platform::GetDisplayCaps(WindowHandle window) {
  return desktop_->Caps(window != 0 ? Find(window) : nullptr);
}
std::optional<DisplayMode> Win32Platform::CurrentDisplayMode() { return desktop_->CurrentMode(); }
std::optional<DisplayMode> Win32Platform::EnumDisplayMode(int index) {
  return desktop_->Mode(index);
}
int Win32Platform::ChangeDisplayMode(const DisplayMode& mode, bool persist) {
  return desktop_->ChangeMode(mode, persist);
}
void Win32Platform::BroadcastDisplayChange(uintptr_t wParam, intptr_t lParam) {
  desktop_->BroadcastDisplayChange(wParam, lParam);
}
TaskBarHandle Win32Platform::FindTaskBar() { return desktop_->FindTaskBar(); }
void Win32Platform::ShowTaskBar(TaskBarHandle taskBar, bool show) {
  desktop_->ShowTaskBar(taskBar, show);
}
void Win32Platform::SetMouseButtonsSwapped(bool swapped) { desktop_->SetButtonsSwapped(swapped); }

// ---- processes ---------------------------------------------------------------

ShellExecuteResult Win32Platform::ShellExecute(const ShellExecuteRequest& request) {
  return shell_->Execute(request, appWindow_);
}
std::optional<uint32_t> Win32Platform::GetExitCodeProcess(ProcessHandle process) {
  return shell_->ExitCode(process);
}
void Win32Platform::WaitForProcess(ProcessHandle process) { shell_->Wait(process); }
void Win32Platform::CloseProcess(ProcessHandle process) { shell_->Close(process); }

// ---- music and sound cues -------------------------------------------------------

std::optional<std::string> Win32Platform::MusicOpen(const std::string& file) {
  return media_->Open(file);
}
void Win32Platform::MusicClose() { media_->Close(); }
void Win32Platform::MusicPlay() { media_->Play(); }
void Win32Platform::MusicStop() { media_->Stop(); }
void Win32Platform::MusicRewind() { media_->Rewind(); }
MusicMode Win32Platform::MusicGetMode() { return media_->Mode(); }
uint32_t Win32Platform::MusicPosition() { return media_->Position(); }
uint32_t Win32Platform::MusicLength() { return media_->Length(); }
int Win32Platform::WaveOutDeviceCount() { return media_->WaveDeviceCount(); }
bool Win32Platform::PlayWave(const std::vector<uint8_t>& riffFile) {
  return media_->PlayWave(riffFile);
}
void Win32Platform::StopWave() { media_->StopWave(); }

// ---- single copy and hot keys ------------------------------------------------------

std::string Win32Platform::ProgramFileName() {
  std::array<char, MAX_PATH> path{};
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  const std::string full(path.data(), std::min<size_t>(n, path.size()));
  const size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

bool Win32Platform::CreateCopyMarker(const std::string& name) {
  HANDLE marker = CreateMutexA(nullptr, FALSE, name.c_str());
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (marker != nullptr) {
    if (copyMarker_ != nullptr) CloseHandle(copyMarker_);
    copyMarker_ = marker;  // held until this copy ends
  }
  return existed;
}

void Win32Platform::SetApplicationTitle(const std::string& title) {
  SetWindowTextA(Hwnd(appWindow_), title.c_str());
}

bool Win32Platform::ActivateOtherCopy(const std::string& title) {
  if (title.empty()) return false;
  HWND other = nullptr;
  do {
    other = FindWindowExA(nullptr, other, kAppClass, title.c_str());
  } while (other != nullptr && other == Hwnd(appWindow_));
  if (other == nullptr) return false;
  // Only a program in the foreground may hand the foreground on.
  DWORD process = 0;
  GetWindowThreadProcessId(other, &process);
  AllowSetForegroundWindow(process);
  PostMessageA(other, kActivateMessage, 0, 0);
  return true;
}

bool Win32Platform::RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) {
  return ::RegisterHotKey(Hwnd(appWindow_), static_cast<int>(id), modifiers,
                          static_cast<UINT>(virtualKey)) != FALSE;
}

void Win32Platform::UnregisterHotKey(uint32_t id) {
  ::UnregisterHotKey(Hwnd(appWindow_), static_cast<int>(id));
}

// ---- mixer devices -------------------------------------------------------------

int Win32Platform::MixerDeviceCount() { return mixer_->DeviceCount(); }
std::optional<MixerCaps> Win32Platform::MixerGetCaps(int device) { return mixer_->Caps(device); }
MixerHandle Win32Platform::MixerOpen(int device) { return mixer_->Open(device); }
void Win32Platform::MixerClose(MixerHandle mixer) { mixer_->Close(mixer); }
std::optional<MixerLine> Win32Platform::MixerGetDestination(MixerHandle mixer,
                                                            uint32_t destination) {
  return mixer_->Destination(mixer, destination);
}
std::optional<MixerLine> Win32Platform::MixerGetSource(MixerHandle mixer, uint32_t destination,
                                                       uint32_t source) {
  return mixer_->Source(mixer, destination, source);
}
std::optional<std::vector<MixerControl>> Win32Platform::MixerGetLineControls(MixerHandle mixer,
                                                                             uint32_t lineId) {
  return mixer_->Controls(mixer, lineId);
}

// ---- folders -------------------------------------------------------------------

std::string Win32Platform::WindowsFolder() { return win32::WindowsDirectory(); }

std::string Win32Platform::SystemFolder() { return win32::SystemDirectory(); }

}  // namespace tazu
