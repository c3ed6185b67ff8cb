#include "platform/sdl/X11WakeUpErrors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace tazu {
namespace {

XErrorHandler g_beforeWakeUpFilter = nullptr;
bool g_wakeUpFilterInstalled = false;

int DropLateWakeUps(Display* display, XErrorEvent* error) {
  if (error->request_code == X_SendEvent && error->error_code == BadWindow) return 0;
  return g_beforeWakeUpFilter != nullptr ? g_beforeWakeUpFilter(display, error) : 0;
}

}  // namespace

void IgnoreLateWakeUpErrors() {
  if (g_wakeUpFilterInstalled) return;
  g_wakeUpFilterInstalled = true;
  g_beforeWakeUpFilter = XSetErrorHandler(&DropLateWakeUps);
}

}  // namespace tazu
