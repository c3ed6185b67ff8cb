// The intro screen's files: the frame library and pictures in the menu picture folder,
// and the prompts it plays from the language's prompt folder (which it spells in lower
// case; names are compared without regard to letter case). Shared with the tools that
// make or check an install.
#pragma once

#include <cstddef>
#include <string>

#include "screens/LearnerSession.h"

namespace tazu::intro {

// The library's name carries its frame count after the first "_".
inline constexpr const char* kLibraryName = "intro_126.frm";
// Entries are "frame1" to "frame<count>".
inline constexpr const char* kFramePrefix = "frame";
// The background of the language choice.
inline constexpr const char* kLanguagePicture = "intro1.jpg";
inline constexpr const char* kNameBoardPrefix = "nameselect_";
inline constexpr const char* kPictureExtension = ".jpg";

inline constexpr const char* kAfrikaansSoundFolder = "sounds_afr\\";
inline constexpr const char* kEnglishSoundFolder = "sounds_eng\\";
// After a language click, and at the first key in the empty name field.
inline constexpr const char* kLanguagePrompt = "in1.wav";
inline constexpr const char* kNamePrompt = "in2.wav";

// How much of a library name after its "_" is read for the count.
inline constexpr size_t kMaxNameDigits = 100;
// Larger counts are not believed: the name is then taken to carry none.
inline constexpr int kMaxFrameCount = 100000;

// The name board for `language`, e.g. "nameselect_A.jpg".
inline std::string NameBoardName(Lang language) {
  return kNameBoardPrefix + std::string(1, LanguageLetter(language)) + kPictureExtension;
}

inline std::string FrameName(int n) { return kFramePrefix + std::to_string(n); }

inline const char* SoundFolderFor(Lang language) {
  return language == Lang::Afrikaans ? kAfrikaansSoundFolder : kEnglishSoundFolder;
}

// Frame count carried by a library name: the text after its first "_" (at most
// kMaxNameDigits characters), cut before its first ".", read as a decimal number;
// 0 when there is none.
inline int FrameCountFromName(const std::string& libraryName) {
  const size_t underscore = libraryName.find('_');
  if (underscore == std::string::npos) return 0;
  std::string rest = libraryName.substr(underscore + 1, kMaxNameDigits);
  rest = rest.substr(0, rest.find('.'));
  int count = 0;
  for (char c : rest) {
    if (c < '0' || c > '9' || count > kMaxFrameCount) return 0;
    count = count * 10 + (c - '0');
  }
  return count;
}

}  // namespace tazu::intro
