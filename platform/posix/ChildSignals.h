// What a child program started by the launcher must not inherit: the launcher blocks
// the termination signals in every thread and may ignore others, and a blocked mask
// and an ignored disposition both survive exec. Every spawn of another program passes
// its attributes through here.
#pragma once

#include <spawn.h>

namespace tazu {

// Gives the child an empty signal mask and the default action for the signals the
// launcher blocks or may ignore. Returns posix_spawnattr_*'s error number, 0 on success.
int ResetChildSignalMask(posix_spawnattr_t& attributes);

}  // namespace tazu
