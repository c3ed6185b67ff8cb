#include "platform/sdl/SdlPlatform.h"
#include "platform/NativePlatform.h"

#include "platform/posix/ProcessLauncher.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/sdl/ExternalSources.h"
#include "platform/sdl/ProgramFiles.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlScaler.h"
#include "platform/sdl/SessionGuardian.h"
#include "platform/sdl/TerminationSignals.h"
#include "platform/sdl/X11Desktop.h"
#include "platform/sdl/X11WakeUpErrors.h"

namespace tazu {
namespace {

constexpr int kDisplayAttempts = 5;
constexpr uint32_t kDisplayRetryMs = 200;

unsigned ShiftFromMods(uint16_t mods) {
  unsigned shift = 0;
  if (mods & KMOD_SHIFT) shift |= ssShift;
  if (mods & KMOD_ALT) shift |= ssAlt;
  if (mods & KMOD_CTRL) shift |= ssCtrl;
  return shift;
}

unsigned ShiftFromButtons(uint32_t buttons) {
  unsigned shift = 0;
  if (buttons & SDL_BUTTON_LMASK) shift |= ssLeft;
  if (buttons & SDL_BUTTON_RMASK) shift |= ssRight;
  if (buttons & SDL_BUTTON_MMASK) shift |= ssMiddle;
  return shift;
}

// SDL key codes to the Windows virtual keys the handlers expect; 0 for keys we ignore.
int VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  switch (key) {
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_DELETE:
      return VK_DELETE;
    default:
      return 0;
  }
}

MouseButton ButtonOf(uint8_t button) {
  switch (button) {
    case SDL_BUTTON_RIGHT:
      return MouseButton::Right;
    case SDL_BUTTON_MIDDLE:
      return MouseButton::Middle;
    default:
      return MouseButton::Left;
  }
}

// Wraps a Bitmap32 as an SDL surface without copying.
SDL_Surface* WrapBitmap(const Bitmap32& image) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.Data()),
                                                      image.Width(), image.Height(), 32,
                                                      image.Stride(), SDL_PIXELFORMAT_ARGB8888);
  if (s != nullptr) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
  return s;
}

// What Windows would call the colour depth of an SDL pixel format: padded formats
// count their padding (a 24-bit format kept in 32-bit words is 32).
int BitsPerPixelOf(uint32_t format) {
  const int bytes = SDL_BYTESPERPIXEL(format);
  return bytes > 0 ? bytes * 8 : SDL_BITSPERPIXEL(format);
}

std::optional<DisplayMode> SdlCurrentMode() {
  SDL_DisplayMode current;
  if (SDL_GetCurrentDisplayMode(0, &current) != 0) return std::nullopt;
  DisplayMode mode;
  mode.bitsPerPel = static_cast<uint32_t>(BitsPerPixelOf(current.format));
  mode.pelsWidth = static_cast<uint32_t>(current.w);
  mode.pelsHeight = static_cast<uint32_t>(current.h);
  mode.displayFrequency = static_cast<uint32_t>(std::max(0, current.refresh_rate));
  return mode;
}

bool HasXDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && display[0] != '\0';
}

}  // namespace

std::unique_ptr<Platform> CreateNativePlatform() { return std::make_unique<SdlPlatform>(); }

SdlPlatform::SdlPlatform() {
  // Both before SDL_Init: the guardian must be forked while this is the only thread
  // and holds no display connection, and the termination signals must be blocked
  // before any thread exists so that every thread inherits the block.
  if (HasXDisplay()) guardian_ = std::make_unique<SessionGuardian>(&X11Desktop::Restore);
  signals_ = std::make_unique<TerminationSignals>();
  processes_ = std::make_unique<ProcessLauncher>();
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Window pixels go through SDL's software framebuffer; drivers without one of their
  // own would otherwise load a GL stack just to show a bitmap.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // The program decides itself what a termination request means.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (HasXDisplay()) {
    IgnoreLateWakeUpErrors();
    // With a display named, a failed connection must be an error, not a silent fall
    // back to an invisible driver: the invisible launcher would hold the single-copy
    // marker, and every later start would end at once.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  }
  // A busy X server can refuse a new connection for a moment (its queue of waiting
  // connections is full); a few tries over a second tell that from a display that is
  // not there.
  for (int attempt = 1; SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0; ++attempt) {
    if (attempt >= kDisplayAttempts || !HasXDisplay()) {
      throw std::runtime_error(std::string("Cannot start the display: ") + SDL_GetError());
    }
    SDL_Delay(kDisplayRetryMs);
  }
  wakeEventType_ = SDL_RegisterEvents(1);
  external_ = std::make_unique<ExternalSources>(wakeEventType_);
  exitAfterFirstFrame_ = std::getenv("TAZU_EXIT_AFTER_FIRST_FRAME") != nullptr;
  SDL_StartTextInput();
  const char* driver = SDL_GetCurrentVideoDriver();
  if (guardian_ && driver != nullptr && std::strcmp(driver, "x11") == 0) {
    desktop_ = std::make_unique<X11Desktop>(nullptr, guardian_.get());
    if (!desktop_->Connected()) desktop_.reset();
  }
  if (!desktop_) guardian_.reset();  // nothing on this display can be changed
  // SDL_QUIT is what SDL itself would post; it arrives as a close request.
  signals_->Start([] {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  });
}

SdlPlatform::~SdlPlatform() {
  // The normal way back: the desktop as it was found, then a guardian with nothing
  // left to do, then no more termination handling (a late request ends the process
  // with the default action once the signal mask is given back).
  desktop_.reset();
  guardian_.reset();
  signals_.reset();
  for (auto& [handle, cursor] : cursors_) SDL_FreeCursor(cursor);
  for (auto& [handle, window] : windows_) SDL_DestroyWindow(window.sdl);
  audio_.reset();
  external_.reset();
  SDL_Quit();
}

SDL_Window* SdlPlatform::Find(WindowHandle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.sdl;
}

namespace {

SDL_Window* MakeWindow(const std::string& title, const Rect& b, bool popup) {
  uint32_t flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
  if (popup) flags |= SDL_WINDOW_TOOLTIP | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
  return SDL_CreateWindow(title.c_str(), b.left, b.top, std::max(1, b.Width()),
                          std::max(1, b.Height()), flags);
}

}  // namespace

WindowHandle SdlPlatform::CreateWindow(const WindowOptions& options) {
  const Rect b = Placed(options.bounds);
  SDL_Window* w = MakeWindow(options.title, b, options.popup);
  if (w == nullptr)
    throw std::runtime_error(std::string("Cannot create a window: ") + SDL_GetError());
  const WindowHandle handle = SDL_GetWindowID(w);
  Window& record = windows_[handle];
  record.sdl = w;
  record.bounds = options.bounds;
  record.popup = options.popup;
  if (!options.popup) record.unshownSize = Point{b.Width(), b.Height()};
  return handle;
}

Rect SdlPlatform::Placed(const Rect& logical) const {
  return scaled_ ? scaled_->Place(logical) : logical;
}

bool SdlPlatform::UnderWayland() const { return desktop_ && desktop_->UnderWayland(); }

WindowHandle SdlPlatform::HandleOf(uint32_t sdlId) const {
  const auto it = handleOf_.find(sdlId);
  return it == handleOf_.end() ? sdlId : it->second;
}

// A window manager may ignore a resize of a window it has not seen yet (cage does, for
// every window it does not fill the screen with) and show the window at the size it
// was created with. So a window first shown at another size is made anew at its size.
void SdlPlatform::MakeAtShownSize(WindowHandle window) {
  const auto it = windows_.find(window);
  if (it == windows_.end() || !it->second.unshownSize) return;
  Window& record = it->second;
  const Point created = *std::exchange(record.unshownSize, std::nullopt);
  const Rect b = Placed(record.bounds);
  if (b.Width() == created.x && b.Height() == created.y) return;
  SDL_Window* w = MakeWindow(SDL_GetWindowTitle(record.sdl), b, false);
  if (w == nullptr) return;  // the old one still serves
  SDL_DestroyWindow(std::exchange(record.sdl, w));
  handleOf_[SDL_GetWindowID(w)] = window;
  if (record.owner != 0) SetWindowOwner(window, record.owner);
}

void SdlPlatform::DestroyWindow(WindowHandle window) {
  Uncover(window);
  PassPointerToOwner(window, false);
  std::erase_if(handleOf_, [window](const auto& entry) { return entry.second == window; });
  if (SDL_Window* w = Find(window)) {
    SDL_DestroyWindow(w);
    windows_.erase(window);
  }
}

void SdlPlatform::SetWindowTitle(WindowHandle window, const std::string& title) {
  if (SDL_Window* w = Find(window)) SDL_SetWindowTitle(w, title.c_str());
}

void SdlPlatform::SetWindowBounds(WindowHandle window, const Rect& bounds) {
  if (Find(window) == nullptr) return;
  windows_[window].bounds = bounds;
  PlaceWindow(window);
}

void SdlPlatform::PlaceWindow(WindowHandle window) {
  SDL_Window* w = Find(window);
  if (w == nullptr) return;
  const Rect b = Placed(windows_[window].bounds);
  SDL_SetWindowSize(w, std::max(1, b.Width()), std::max(1, b.Height()));
  SDL_SetWindowPosition(w, b.left, b.top);
}

ScaledView SdlPlatform::ViewOf(WindowHandle window) const {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return {};
  const Rect& bounds = it->second.bounds;
  Point surface;
  SDL_GetWindowSize(it->second.sdl, &surface.x, &surface.y);
  if (scaled_) return scaled_->ViewFor(bounds, surface);
  return ScaledView::Centred({bounds.Width(), bounds.Height()}, surface);
}

Point SdlPlatform::ToLogical(uint32_t windowId, Point p) const {
  return ViewOf(windowId).ToLogical(p);
}

bool SdlPlatform::SetScaledPresentation(int width, int height) {
  SDL_Rect output;
  if (width <= 0 || height <= 0 || SDL_GetDisplayBounds(0, &output) != 0) return false;
  scaled_.emplace(Point{width, height}, Rect::FromSize(output.x, output.y, output.w, output.h));
  for (const auto& [handle, window] : windows_) PlaceWindow(handle);
  // Colour cursors are part of the picture: they grow with it.
  for (auto& [handle, source] : colorCursors_) {
    if (SDL_Cursor* c = MakeColorCursor(source)) {
      SDL_FreeCursor(cursors_[handle]);
      cursors_[handle] = c;
    }
  }
  SetCursor(currentCursor_);
  return true;
}

void SdlPlatform::SetWindowState(WindowHandle window, WindowState state) {
  SDL_Window* w = Find(window);
  if (w == nullptr) return;
  switch (state) {
    case WindowState::Hidden:
      windows_[window].coveredBy = 0;
      SDL_HideWindow(w);
      Uncover(window);
      PassPointerToOwner(window, false);
      break;
    case WindowState::Normal:
      if (windows_[window].coveredBy != 0) break;  // shown again when its cover goes
      MakeAtShownSize(window);
      w = Find(window);
      SDL_ShowWindow(w);
      SDL_RestoreWindow(w);
      CoverOthers(window);
      PassPointerToOwner(window, true);
      break;
    case WindowState::Minimized:
      // Under a kiosk compositor the window would stay mapped and, though drawn below
      // the program started over it, XWayland would still send it that program's
      // clicks: taken off the screen instead, until it is shown normally again.
      if (UnderWayland()) {
        SDL_HideWindow(w);
        break;
      }
      SDL_MinimizeWindow(w);
      break;
  }
}

// Under XWayland a window shown over the whole of another (a screen shown modally over
// the menu) takes that one off the screen until it goes: the window shown later lies
// below in the X stacking order (see PassPointerToOwner), where the one it covers would
// take the pointer; a window that is not there cannot. A window manager of X's own
// stacks them as shown, and unmapping there only races with its frames.
void SdlPlatform::CoverOthers(WindowHandle cover) {
  if (windows_[cover].popup || !UnderWayland()) return;
  const Rect over = windows_[cover].bounds;
  for (auto& [handle, w] : windows_) {
    if (handle == cover || w.popup || w.coveredBy != 0) continue;
    if ((SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_SHOWN) == 0) continue;
    if (w.bounds.Intersect(over) != w.bounds) continue;
    w.coveredBy = cover;
    SDL_HideWindow(w.sdl);
  }
}

void SdlPlatform::Uncover(WindowHandle cover) {
  for (auto& [handle, w] : windows_) {
    if (w.coveredBy != cover || cover == 0) continue;
    w.coveredBy = 0;
    SDL_ShowWindow(w.sdl);
  }
}

// XWayland's window manager puts every window it maps at the bottom of the X stacking
// order, and XWayland sends the pointer to the topmost X window under it whatever the
// compositor shows on top. So while a dialog shows there, its owner (which takes no
// input then) lets the pointer through to it.
void SdlPlatform::PassPointerToOwner(WindowHandle dialog, bool through) {
  const auto it = windows_.find(dialog);
  if (!UnderWayland() || it == windows_.end()) return;
  if (SDL_Window* o = Find(it->second.owner)) desktop_->SetPointerPassThrough(o, through);
}

// On X11 the owner becomes the window's WM_TRANSIENT_FOR.
void SdlPlatform::SetWindowOwner(WindowHandle window, WindowHandle owner) {
  SDL_Window* w = Find(window);
  SDL_Window* o = Find(owner);
  if (w == nullptr) return;
  windows_[window].owner = owner;
  if (o != nullptr) SDL_SetWindowModalFor(w, o);
}

void SdlPlatform::RaiseWindow(WindowHandle window) {
  if (SDL_Window* w = Find(window)) SDL_RaiseWindow(w);
}

void SdlPlatform::Present(WindowHandle window, const Bitmap32& image, const Rect& area) {
  SDL_Window* w = Find(window);
  if (w == nullptr || image.Empty()) return;
  SDL_Surface* target = SDL_GetWindowSurface(w);
  if (target == nullptr) return;
  const ScaledView view = ViewOf(window);
  if (!view.Identity()) {
    if (auto shown = DrawScaled(target, image, area, view)) {
      SDL_Rect r{shown->left, shown->top, shown->Width(), shown->Height()};
      SDL_UpdateWindowSurfaceRects(w, &r, 1);
    }
    if (exitAfterFirstFrame_) std::_Exit(0);
    return;
  }
  const Rect r = area.Intersect(image.Bounds()).Intersect({0, 0, target->w, target->h});
  if (r.IsEmpty()) return;
  SDL_Surface* source = WrapBitmap(image);
  if (source == nullptr) return;
  SDL_Rect sr{r.left, r.top, r.Width(), r.Height()};
  SDL_Rect dr = sr;
  SDL_BlitSurface(source, &sr, target, &dr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurfaceRects(w, &sr, 1);
  // For the start-up benchmark: end as soon as the first frame has been shown.
  if (exitAfterFirstFrame_) std::_Exit(0);
}

Rect SdlPlatform::ScreenRect() {
  if (scaled_) return {0, 0, scaled_->Logical().x, scaled_->Logical().y};
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return {0, 0, 800, 600};
  return {0, 0, mode.w, mode.h};
}

Point SdlPlatform::CursorPos() {
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  return scaled_ ? scaled_->ToLogical({x, y}) : Point{x, y};
}

SDL_Cursor* SdlPlatform::MakeColorCursor(const ColorCursor& source) const {
  const Bitmap32 image =
      scaled_ ? ResizeBitmap(source.image, std::max(1, scaled_->Scale(source.image.Width())),
                             std::max(1, scaled_->Scale(source.image.Height())))
              : source.image;
  const Point hotSpot =
      scaled_ ? Point{scaled_->Scale(source.hotSpot.x), scaled_->Scale(source.hotSpot.y)}
              : source.hotSpot;
  SDL_Surface* s = WrapBitmap(image);
  if (s == nullptr) return nullptr;
  SDL_Cursor* c = SDL_CreateColorCursor(s, std::min(hotSpot.x, image.Width() - 1),
                                        std::min(hotSpot.y, image.Height() - 1));
  SDL_FreeSurface(s);
  return c;
}

CursorHandle SdlPlatform::CreateColorCursor(const Bitmap32& image, Point hotSpot) {
  ColorCursor source{image, hotSpot};
  SDL_Cursor* c = MakeColorCursor(source);
  if (c == nullptr) return 0;
  const CursorHandle handle = nextCursor_++;
  cursors_[handle] = c;
  colorCursors_[handle] = std::move(source);
  return handle;
}

CursorHandle SdlPlatform::GetStandardCursor(StandardCursor kind) {
  auto known = standardCursors_.find(kind);
  if (known != standardCursors_.end()) return known->second;
  SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
  switch (kind) {
    case StandardCursor::Arrow:
      id = SDL_SYSTEM_CURSOR_ARROW;
      break;
    case StandardCursor::IBeam:
      id = SDL_SYSTEM_CURSOR_IBEAM;
      break;
    case StandardCursor::Wait:
      id = SDL_SYSTEM_CURSOR_WAIT;
      break;
    case StandardCursor::Hand:
      id = SDL_SYSTEM_CURSOR_HAND;
      break;
    case StandardCursor::Cross:
      id = SDL_SYSTEM_CURSOR_CROSSHAIR;
      break;
    case StandardCursor::SizeAll:
      id = SDL_SYSTEM_CURSOR_SIZEALL;
      break;
  }
  SDL_Cursor* c = SDL_CreateSystemCursor(id);
  if (c == nullptr) return 0;
  const CursorHandle handle = nextCursor_++;
  cursors_[handle] = c;
  standardCursors_[kind] = handle;
  return handle;
}

void SdlPlatform::SetCursor(CursorHandle cursor) {
  currentCursor_ = cursor;
  auto it = cursors_.find(cursor);
  SDL_SetCursor(it == cursors_.end() ? SDL_GetDefaultCursor() : it->second);
}

void SdlPlatform::Wake() {
  SDL_Event e{};
  e.type = wakeEventType_;
  SDL_PushEvent(&e);
}

uint64_t SdlPlatform::Ticks() { return SDL_GetTicks64(); }

TimerHandle SdlPlatform::StartTimer(uint32_t intervalMs) {
  return timers_.Start(intervalMs, Ticks());
}

void SdlPlatform::StopTimer(TimerHandle timer) { timers_.Stop(timer); }

DisplayCaps SdlPlatform::GetDisplayCaps(WindowHandle) {
  if (desktop_) {
    if (auto caps = desktop_->Caps()) return *caps;
  }
  DisplayCaps caps;
  if (auto mode = SdlCurrentMode()) {
    caps.refresh = static_cast<int>(mode->displayFrequency);
    caps.width = static_cast<int>(mode->pelsWidth);
    caps.height = static_cast<int>(mode->pelsHeight);
    caps.bitsPerPixel = static_cast<int>(mode->bitsPerPel);
  }
  return caps;
}

std::optional<DisplayMode> SdlPlatform::CurrentDisplayMode() {
  return desktop_ ? desktop_->CurrentMode() : SdlCurrentMode();
}

std::optional<DisplayMode> SdlPlatform::EnumDisplayMode(int index) {
  if (desktop_) return desktop_->Mode(index);
  return index == 0 ? SdlCurrentMode() : std::nullopt;
}

int SdlPlatform::ChangeDisplayMode(const DisplayMode& mode, bool) {
  if (desktop_) return desktop_->ChangeMode(mode);
  // Without a desktop of ours only the mode in use can be "applied".
  auto current = SdlCurrentMode();
  return current && current->pelsWidth == mode.pelsWidth && current->pelsHeight == mode.pelsHeight
             ? DISP_CHANGE_SUCCESSFUL
             : DISP_CHANGE_BADMODE;
}

void SdlPlatform::BroadcastDisplayChange(uintptr_t, intptr_t) {}

TaskBarHandle SdlPlatform::FindTaskBar() { return desktop_ ? desktop_->FindDocks() : 0; }

void SdlPlatform::ShowTaskBar(TaskBarHandle taskBar, bool show) {
  if (desktop_) desktop_->ShowDocks(taskBar, show);
}

void SdlPlatform::SetMouseButtonsSwapped(bool swapped) {
  if (desktop_) desktop_->SetButtonsSwapped(swapped);
}

bool SdlPlatform::WaitEvent(Event& event, int timeoutMs) {
  const uint64_t start = Ticks();
  for (;;) {
    if (external_->Take(event)) return true;
    SDL_Event se;
    while (SDL_PollEvent(&se)) {
      if (Translate(se, event)) return true;
    }
    const uint64_t now = Ticks();
    if (auto due = timers_.TakeDue(now)) {
      event = Event{};
      event.kind = EventKind::Timer;
      event.timer = *due;
      return true;
    }
    int wait = timers_.MsUntilNext(now);
    if (timeoutMs >= 0) {
      const int64_t left = static_cast<int64_t>(timeoutMs) - static_cast<int64_t>(now - start);
      if (left <= 0) return false;
      wait = wait < 0 ? static_cast<int>(left) : std::min<int>(wait, static_cast<int>(left));
    }
    const int got = wait < 0 ? SDL_WaitEvent(&se) : SDL_WaitEventTimeout(&se, wait);
    if (got != 0 && Translate(se, event)) return true;
  }
}

bool SdlPlatform::Translate(const SDL_Event& in, Event& out) {
  out = Event{};
  if (in.type == wakeEventType_ && in.user.code == kExternalReadyCode) {
    external_->Read(reinterpret_cast<uintptr_t>(in.user.data1));
    return external_->Take(out);
  }
  if (in.type == wakeEventType_) {
    out.kind = in.user.code == kMusicNotifyCode ? EventKind::MusicNotify : EventKind::Wake;
    return true;
  }
  switch (in.type) {
    case SDL_MOUSEMOTION:
      out.kind = EventKind::MouseMove;
      out.window = HandleOf(in.motion.windowID);
      out.pos = ToLogical(out.window, {in.motion.x, in.motion.y});
      out.shift = ShiftFromButtons(in.motion.state) | ShiftFromMods(SDL_GetModState());
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      out.kind = in.type == SDL_MOUSEBUTTONDOWN ? EventKind::MouseDown : EventKind::MouseUp;
      out.window = HandleOf(in.button.windowID);
      out.pos = ToLogical(out.window, {in.button.x, in.button.y});
      out.button = ButtonOf(in.button.button);
      out.shift =
          ShiftFromButtons(SDL_GetMouseState(nullptr, nullptr)) | ShiftFromMods(SDL_GetModState());
      return true;
    case SDL_MOUSEWHEEL: {
      out.kind = EventKind::MouseWheel;
      out.window = HandleOf(in.wheel.windowID);
      out.wheelDelta = in.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -in.wheel.y : in.wheel.y;
      SDL_GetMouseState(&out.pos.x, &out.pos.y);
      out.pos = ToLogical(out.window, out.pos);
      out.shift = ShiftFromMods(SDL_GetModState());
      return out.wheelDelta != 0;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out.kind = in.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
      out.window = HandleOf(in.key.windowID);
      out.key = VirtualKeyOf(in.key.keysym.sym);
      out.shift = ShiftFromMods(in.key.keysym.mod);
      return out.key != 0;
    case SDL_TEXTINPUT:
      out.kind = EventKind::Text;
      out.window = HandleOf(in.text.windowID);
      out.text = in.text.text;
      return true;
    case SDL_QUIT:
      out.kind = EventKind::CloseRequest;
      return true;
    case SDL_WINDOWEVENT:
      out.window = HandleOf(in.window.windowID);
      switch (in.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          out.kind = EventKind::CloseRequest;
          return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          out.kind = EventKind::Expose;
          return true;
        case SDL_WINDOWEVENT_LEAVE:
          out.kind = EventKind::MouseLeave;
          return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          out.kind = EventKind::Activated;
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

// ---- processes: the POSIX launcher does the work ----

ShellExecuteResult SdlPlatform::ShellExecute(const ShellExecuteRequest& request) {
  return processes_->ShellExecute(request);
}

std::optional<uint32_t> SdlPlatform::GetExitCodeProcess(ProcessHandle process) {
  return processes_->GetExitCodeProcess(process);
}

void SdlPlatform::WaitForProcess(ProcessHandle process) { processes_->WaitForProcess(process); }

void SdlPlatform::CloseProcess(ProcessHandle process) { processes_->CloseProcess(process); }

// ---- music and cues: SdlAudio does the work ----

SdlAudio& SdlPlatform::Audio() {
  if (!audio_) audio_ = std::make_unique<SdlAudio>(wakeEventType_);
  return *audio_;
}

std::optional<std::string> SdlPlatform::MusicOpen(const std::string& file) {
  return Audio().MusicOpen(file);
}
void SdlPlatform::MusicClose() { Audio().MusicClose(); }
void SdlPlatform::MusicPlay() { Audio().MusicPlay(); }
void SdlPlatform::MusicStop() { Audio().MusicStop(); }
void SdlPlatform::MusicRewind() { Audio().MusicRewind(); }
MusicMode SdlPlatform::MusicGetMode() { return Audio().MusicGetMode(); }
uint32_t SdlPlatform::MusicPosition() { return Audio().MusicPosition(); }
uint32_t SdlPlatform::MusicLength() { return Audio().MusicLength(); }
int SdlPlatform::WaveOutDeviceCount() { return Audio().WaveOutDeviceCount(); }
bool SdlPlatform::PlayWave(const std::vector<uint8_t>& riffFile) {
  return Audio().PlayWave(riffFile);
}
void SdlPlatform::StopWave() { Audio().StopWave(); }

// ---- single copy, hot keys, mixer: ExternalSources does the work ----

std::string SdlPlatform::ProgramFileName() { return tazu::ProgramFileName(); }
bool SdlPlatform::CreateCopyMarker(const std::string& name) {
  return external_->CreateCopyMarker(name);
}
void SdlPlatform::SetApplicationTitle(const std::string& title) {
  external_->SetApplicationTitle(title);
}
bool SdlPlatform::ActivateOtherCopy(const std::string& title) {
  return external_->ActivateOtherCopy(title);
}
bool SdlPlatform::RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) {
  return external_->RegisterHotKey(id, modifiers, virtualKey);
}
void SdlPlatform::UnregisterHotKey(uint32_t id) { external_->UnregisterHotKey(id); }
int SdlPlatform::MixerDeviceCount() { return external_->MixerDeviceCount(); }
std::optional<MixerCaps> SdlPlatform::MixerGetCaps(int device) {
  return external_->MixerGetCaps(device);
}
MixerHandle SdlPlatform::MixerOpen(int device) { return external_->MixerOpen(device); }
void SdlPlatform::MixerClose(MixerHandle mixer) { external_->MixerClose(mixer); }
std::optional<MixerLine> SdlPlatform::MixerGetDestination(MixerHandle mixer, uint32_t destination) {
  return external_->MixerGetDestination(mixer, destination);
}
// ALSA's simple elements have no source lines.
std::optional<MixerLine> SdlPlatform::MixerGetSource(MixerHandle, uint32_t, uint32_t) {
  return std::nullopt;
}
std::optional<std::vector<MixerControl>> SdlPlatform::MixerGetLineControls(MixerHandle mixer,
                                                                           uint32_t lineId) {
  return external_->MixerGetLineControls(mixer, lineId);
}
std::string SdlPlatform::WindowsFolder() { return StandInWindowsFolder(); }
std::string SdlPlatform::SystemFolder() { return StandInSystemFolder(); }

}  // namespace tazu
