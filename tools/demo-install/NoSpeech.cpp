// Systems without espeak-ng: every prompt becomes a tone.
#include "tools/demo-install/DemoSpeech.h"

namespace tazu {

bool Speak(const char*, const std::string&, const std::filesystem::path&) { return false; }

}  // namespace tazu
