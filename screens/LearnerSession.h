// The learner at the machine and the install the screens read from. The menu owns one;
// the intro screen edits a copy and hands it back only when the learner has finished.
#pragma once

#include <string>
#include <string_view>

namespace tazu {

enum class Lang { Afrikaans, English };

// The letter file names carry ("A" or "E").
inline char LanguageLetter(Lang language) { return language == Lang::Afrikaans ? 'A' : 'E'; }
// The name activity programs are given ("AFR" or "ENG").
inline const char* LanguageCode(Lang language) {
  return language == Lang::Afrikaans ? "AFR" : "ENG";
}
// A letter as a person types it: "A" or "a" is Afrikaans, anything else English.
inline Lang LanguageFromLetter(std::string_view letter) {
  return letter == "A" || letter == "a" ? Lang::Afrikaans : Lang::English;
}

struct LearnerSession {
  Lang Language = Lang::Afrikaans;
  std::string LearnerName;
  // The roster's second key and short key: always empty in this program.
  std::string LearnerSecondKey;
  std::string LearnerShortKey;
  bool LeftHanded = false;
  // Folders end in a back-slash; names are formed by appending.
  std::string InstallFolder;
  std::string MenuFolder;
  std::string MusicFolder;
  // The prompts of the language last chosen.
  std::string SoundFolder;
};

}  // namespace tazu
