// Xlib reports errors through one process-wide handler whose default ends the program.
// While a trap is set, errors on its connection are counted instead; errors on other
// connections (SDL's) go to the handler that was there before the first trap. Traps
// nest, also across connections (UI thread only).
#pragma once

#include <X11/Xlib.h>

#include <cstddef>

namespace tazu {

class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Whether a request on this connection failed since the trap was set.
  bool Failed();

 private:
  Display* display_;
  size_t index_;
};

}  // namespace tazu
