#include "platform/posix/ChildSignals.h"

#include <signal.h>

#include <array>

namespace tazu {
namespace {

constexpr std::array<int, 9> kDefaultSignals = {SIGTERM, SIGINT,  SIGHUP,  SIGQUIT, SIGPIPE,
                                                SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2};

}  // namespace

int ResetChildSignalMask(posix_spawnattr_t& attributes) {
  short flags = 0;
  if (const int error = posix_spawnattr_getflags(&attributes, &flags)) return error;
  sigset_t none;
  sigemptyset(&none);
  if (const int error = posix_spawnattr_setsigmask(&attributes, &none)) return error;
  sigset_t defaults;
  sigemptyset(&defaults);
  for (const int signal : kDefaultSignals) sigaddset(&defaults, signal);
  if (const int error = posix_spawnattr_setsigdefault(&attributes, &defaults)) return error;
  return posix_spawnattr_setflags(
      &attributes, static_cast<short>(flags | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
}

}  // namespace tazu
