#include "platform/sdl/ChildSignals.h"

#include <signal.h>

#include "platform/sdl/TerminationSignals.h"

namespace tazu {

int ResetChildSignalMask(posix_spawnattr_t& attributes) {
  short flags = 0;
  if (const int error = posix_spawnattr_getflags(&attributes, &flags)) return error;
  sigset_t none;
  sigemptyset(&none);
  if (const int error = posix_spawnattr_setsigmask(&attributes, &none)) return error;
  sigset_t defaults = TerminationSignals::Handled();
  sigaddset(&defaults, SIGPIPE);
  if (const int error = posix_spawnattr_setsigdefault(&attributes, &defaults)) return error;
  return posix_spawnattr_setflags(
      &attributes, static_cast<short>(flags | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
}

}  // namespace tazu
