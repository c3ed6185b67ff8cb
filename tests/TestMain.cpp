// The main of every GoogleTest program: tests run headless and, under LeakSanitizer,
// ignore the caches that system libraries keep for the life of the process.
#include <gtest/gtest.h>

#include "platform/Environment.h"

#if defined(__SANITIZE_ADDRESS__)
#define TAZU_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAZU_LEAK_CHECKS 1
#endif
#endif

#ifdef TAZU_LEAK_CHECKS
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libSDL2-2.0.so\n"
         "leak:libX11.so\n"
         "leak:libxcb.so\n"
         "leak:libdbus-1.so\n";
}
#endif

int main(int argc, char** argv) {
  tazu::SetProcessEnv("SDL_VIDEODRIVER", "offscreen", false);
  tazu::SetProcessEnv("SDL_AUDIODRIVER", "dummy", false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
