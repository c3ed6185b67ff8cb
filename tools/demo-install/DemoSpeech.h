// Spoken prompts for a demo install, from a speech synthesizer where the system has one.
#pragma once

#include <filesystem>
#include <string>

namespace tazu {

// Speaks `text` in `voice` (an espeak-ng voice name such as "af" or "en") into the
// WAVE file `file`. False when no synthesizer made the file; the caller installs a
// tone instead.
bool Speak(const char* voice, const std::string& text, const std::filesystem::path& file);

}  // namespace tazu
