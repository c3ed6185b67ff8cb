#include "platform/sdl/X11ErrorTrap.h"

#include <vector>

namespace tazu {
namespace {

struct TrapEntry {
  Display* display;
  int errors;
};

struct TrapStack {
  std::vector<TrapEntry> entries;
  XErrorHandler original = nullptr;
};

TrapStack& Traps() {
  static TrapStack stack;
  return stack;
}

int CountError(Display* display, XErrorEvent* error) {
  TrapStack& traps = Traps();
  bool counted = false;
  for (TrapEntry& entry : traps.entries) {
    if (entry.display == display) {
      ++entry.errors;
      counted = true;
    }
  }
  if (counted) return 0;
  return traps.original != nullptr ? traps.original(display, error) : 0;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);  // errors of earlier requests are not ours
  TrapStack& traps = Traps();
  if (traps.entries.empty()) traps.original = XSetErrorHandler(&CountError);
  index_ = traps.entries.size();
  traps.entries.push_back({display_, 0});
}

X11ErrorTrap::~X11ErrorTrap() {
  XSync(display_, False);
  TrapStack& traps = Traps();
  traps.entries.resize(index_);  // traps end in the reverse order of their start
  if (traps.entries.empty()) XSetErrorHandler(traps.original);
}

bool X11ErrorTrap::Failed() {
  XSync(display_, False);
  return Traps().entries[index_].errors > 0;
}

}  // namespace tazu
