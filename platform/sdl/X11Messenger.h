// The program's own X connection for what reaches it from outside its windows: the
// application window that other copies of the program look for by class and title
// (never shown: X has no hidden application window, so this small unmapped one stands
// in for it), the activation requests they send it, and the root-window key grabs that
// make hot keys system-wide. All calls belong to the UI thread; a watcher thread only
// watches Fd() and says when Drain has something to read.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct _XDisplay;

namespace tazu {

class X11Messenger {
 public:
  // The window class that other copies search for.
  static constexpr const char* kApplicationClass = "TApplication";
  // The client message that asks a copy to come forward.
  static constexpr const char* kActivateAtom = "_TAZU_ACTIVATE";

  // Connects to `displayName` (empty: $DISPLAY); see Connected().
  explicit X11Messenger(const std::string& displayName = {});
  ~X11Messenger();
  X11Messenger(const X11Messenger&) = delete;
  X11Messenger& operator=(const X11Messenger&) = delete;

  bool Connected() const { return display_ != nullptr; }
  int Fd() const;

  // Titles the application window, making it first when needed.
  void SetApplicationTitle(const std::string& title);
  // Sends the activation request to the first other application window titled
  // `title`; false when there is none.
  bool ActivateOtherCopy(const std::string& title);

  // Grabs the combination on the root window, whatever the lock keys (Caps Lock,
  // Num Lock) say; false when the key has no key code here or another client holds
  // the combination. The same identifier may hold several combinations.
  bool RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey);
  // Releases every combination held under `id`.
  void UnregisterHotKey(uint32_t id);

  // Reads everything that arrived and appends ActivateRequest and HotKey events.
  void Drain(std::deque<Event>& out);
  // Events Xlib has already read from the connection (during a reply wait) and that
  // the descriptor will therefore never announce.
  bool HasQueued() const;

  // The X keysym of a virtual key, or 0 when it has none of ours.
  static unsigned long KeySymOf(int virtualKey);

 private:
  struct Grab {
    uint32_t id = 0;
    unsigned keycode = 0;
    unsigned modifiers = 0;  // X modifier mask, without the lock keys
  };

  void MakeApplicationWindow();

  _XDisplay* display_ = nullptr;
  unsigned long root_ = 0;
  unsigned long window_ = 0;  // the application window, 0 until titled
  unsigned long activateAtom_ = 0;
  std::vector<Grab> grabs_;
};

}  // namespace tazu
