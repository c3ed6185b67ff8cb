#include "platform/sdl/X11Messenger.h"

#include "platform/sdl/X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <memory>

#include "platform/sdl/ProgramFiles.h"

namespace tazu {
namespace {

struct XFreeDeleter {
  void operator()(void* p) const { XFree(p); }
};

// The application window sits off every screen and is never mapped.
constexpr int kOffScreen = -100;
constexpr unsigned kWindowSize = 1;
constexpr int kClientMessageFormat = 32;

// The modifiers a hot key may name, and the lock keys a grab must ignore (Caps Lock;
// Num Lock is Mod2 on every usual keyboard map).
constexpr unsigned kHotKeyModifiers = ShiftMask | ControlMask | Mod1Mask;
constexpr unsigned kLockVariants[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

// The Windows virtual keys of the numeric pad and the function keys.
constexpr int kVkNumpad0 = 0x60;
constexpr int kVkNumpad9 = 0x69;
constexpr int kVkF24 = 0x87;
constexpr int kVkPrior = 0x21;
constexpr int kVkNext = 0x22;
constexpr int kVkInsert = 0x2D;

unsigned XModifiersOf(unsigned modifiers) {
  unsigned mask = 0;
  if (modifiers & MOD_ALT) mask |= Mod1Mask;
  if (modifiers & MOD_CONTROL) mask |= ControlMask;
  if (modifiers & MOD_SHIFT) mask |= ShiftMask;
  return mask;
}

std::string ClassOf(Display* display, Window window) {
  XClassHint hint{};
  if (XGetClassHint(display, window, &hint) == 0) return {};
  std::string result = hint.res_class != nullptr ? hint.res_class : "";
  if (hint.res_name != nullptr) XFree(hint.res_name);
  if (hint.res_class != nullptr) XFree(hint.res_class);
  return result;
}

std::string NameOf(Display* display, Window window) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) == 0 || name == nullptr) return {};
  std::unique_ptr<char, XFreeDeleter> owned(name);
  return owned.get();
}

}  // namespace

X11Messenger::X11Messenger(const std::string& displayName) {
  display_ = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (display_ == nullptr) return;
  root_ = DefaultRootWindow(display_);
  activateAtom_ = XInternAtom(display_, kActivateAtom, False);
}

X11Messenger::~X11Messenger() {
  if (display_ == nullptr) return;
  // Closing the connection releases the grabs and the window with it.
  XCloseDisplay(display_);
}

int X11Messenger::Fd() const { return display_ != nullptr ? ConnectionNumber(display_) : -1; }

bool X11Messenger::HasQueued() const {
  return display_ != nullptr && XEventsQueued(display_, QueuedAlready) > 0;
}

void X11Messenger::MakeApplicationWindow() {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  window_ =
      XCreateWindow(display_, root_, kOffScreen, kOffScreen, kWindowSize, kWindowSize, 0,
                    CopyFromParent, InputOnly, CopyFromParent, CWOverrideRedirect, &attributes);
  std::string name = ProgramFileName();
  XClassHint hint{};
  hint.res_name = name.data();
  hint.res_class = const_cast<char*>(kApplicationClass);
  XSetClassHint(display_, window_, &hint);
}

void X11Messenger::SetApplicationTitle(const std::string& title) {
  if (display_ == nullptr) return;
  if (window_ == 0) MakeApplicationWindow();
  XStoreName(display_, window_, title.c_str());
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
  XChangeProperty(display_, window_, netName, utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  XFlush(display_);
}

bool X11Messenger::ActivateOtherCopy(const std::string& title) {
  if (display_ == nullptr) return false;
  X11ErrorTrap trap(display_);  // windows may vanish while we look
  Window rootReturn = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, root_, &rootReturn, &parent, &children, &count) == 0) return false;
  std::unique_ptr<Window, XFreeDeleter> owned(children);
  for (unsigned i = 0; i < count; ++i) {
    const Window candidate = children[i];
    if (candidate == window_) continue;
    if (ClassOf(display_, candidate) != kApplicationClass) continue;
    if (NameOf(display_, candidate) != title) continue;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = candidate;
    message.xclient.message_type = activateAtom_;
    message.xclient.format = kClientMessageFormat;
    XSendEvent(display_, candidate, False, NoEventMask, &message);
    return !trap.Failed();
  }
  return false;
}

unsigned long X11Messenger::KeySymOf(int vk) {
  if (vk >= 'A' && vk <= 'Z') return XK_a + static_cast<unsigned long>(vk - 'A');
  if (vk >= '0' && vk <= '9') return XK_0 + static_cast<unsigned long>(vk - '0');
  if (vk >= kVkNumpad0 && vk <= kVkNumpad9)
    return XK_KP_0 + static_cast<unsigned long>(vk - kVkNumpad0);
  if (vk >= VK_F1 && vk <= kVkF24) return XK_F1 + static_cast<unsigned long>(vk - VK_F1);
  switch (vk) {
    case VK_BACK:
      return XK_BackSpace;
    case VK_TAB:
      return XK_Tab;
    case VK_RETURN:
      return XK_Return;
    case VK_ESCAPE:
      return XK_Escape;
    case VK_SPACE:
      return XK_space;
    case kVkPrior:
      return XK_Prior;
    case kVkNext:
      return XK_Next;
    case VK_END:
      return XK_End;
    case VK_HOME:
      return XK_Home;
    case VK_LEFT:
      return XK_Left;
    case VK_UP:
      return XK_Up;
    case VK_RIGHT:
      return XK_Right;
    case VK_DOWN:
      return XK_Down;
    case kVkInsert:
      return XK_Insert;
    case VK_DELETE:
      return XK_Delete;
    default:
      return 0;
  }
}

bool X11Messenger::RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) {
  if (display_ == nullptr) return false;
  const unsigned long sym = KeySymOf(virtualKey);
  if (sym == 0) return false;
  const unsigned keycode = XKeysymToKeycode(display_, sym);
  if (keycode == 0) return false;
  const unsigned mask = XModifiersOf(modifiers);
  // Our own grab of the same keys would silently be taken over; the system refuses it.
  for (const Grab& grab : grabs_) {
    if (grab.keycode == keycode && grab.modifiers == mask) return false;
  }
  bool refused = false;
  {
    X11ErrorTrap trap(display_);
    for (unsigned locks : kLockVariants) {
      XGrabKey(display_, static_cast<int>(keycode), mask | locks, root_, False, GrabModeAsync,
               GrabModeAsync);
    }
    refused = trap.Failed();
    if (refused) {
      // Whichever variants were granted go back: the combination is not ours.
      for (unsigned locks : kLockVariants) {
        XUngrabKey(display_, static_cast<int>(keycode), mask | locks, root_);
      }
    }
  }
  if (refused) return false;
  grabs_.push_back({id, keycode, mask});
  return true;
}

void X11Messenger::UnregisterHotKey(uint32_t id) {
  if (display_ == nullptr) return;
  for (const Grab& grab : grabs_) {
    if (grab.id != id) continue;
    for (unsigned locks : kLockVariants) {
      XUngrabKey(display_, static_cast<int>(grab.keycode), grab.modifiers | locks, root_);
    }
  }
  std::erase_if(grabs_, [id](const Grab& grab) { return grab.id == id; });
  XFlush(display_);
}

void X11Messenger::Drain(std::deque<Event>& out) {
  if (display_ == nullptr) return;
  while (XPending(display_) > 0) {
    XEvent xe;
    XNextEvent(display_, &xe);
    if (xe.type == ClientMessage && xe.xclient.window == window_ && window_ != 0 &&
        xe.xclient.message_type == activateAtom_) {
      out.push_back({.kind = EventKind::ActivateRequest});
    } else if (xe.type == KeyPress) {
      const unsigned mask = xe.xkey.state & kHotKeyModifiers;
      for (const Grab& grab : grabs_) {
        if (grab.keycode != xe.xkey.keycode || grab.modifiers != mask) continue;
        out.push_back({.kind = EventKind::HotKey, .id = grab.id});
        break;
      }
    }
  }
}

}  // namespace tazu
