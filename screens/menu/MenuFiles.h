// The folders and files the menu screen reads, named as the screen forms them from the
// install folder. Shared with the tools that make or check an install.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "screens/LearnerSession.h"

namespace tazu::menu {

// Appended to the install folder (which already ends in a back-slash, so the menu
// folder's name holds two in a row; the file system takes them as one).
inline constexpr std::string_view kMenuSubFolder = "\\menu\\";
inline constexpr std::string_view kMusicSubFolder = "Music\\";
inline constexpr std::string_view kAfrikaansSoundFolder = "Sounds_afr\\";
inline constexpr std::string_view kEnglishSoundFolder = "Sounds_eng\\";

inline constexpr const char* kFirstPiece = "pelkor2.mid";
inline constexpr const char* kMidiMask = "*.mid";
// Pieces after this many names in the folder listing are never chosen.
inline constexpr size_t kMaxMidiNames = 50;
// The greeting after each sign-in, in the language's prompt folder.
inline constexpr const char* kGreetingPrompt = "in6.wav";

inline constexpr std::array<Lang, 2> kLanguages{Lang::Afrikaans, Lang::English};

// The install folder for the process's current folder: a back-slash appended when it
// is not empty and does not end in one.
inline std::string InstallFolderFrom(std::string currentFolder) {
  if (!currentFolder.empty() && currentFolder.back() != '\\') currentFolder += '\\';
  return currentFolder;
}

inline std::string MenuFolderOf(const std::string& installFolder) {
  return installFolder + std::string(kMenuSubFolder);
}

inline std::string MusicFolderOf(const std::string& installFolder) {
  return installFolder + std::string(kMusicSubFolder);
}

// The prompt folder the menu uses after a sign-in in `language`.
inline std::string SoundFolderOf(const std::string& installFolder, Lang language) {
  return installFolder +
         std::string(language == Lang::Afrikaans ? kAfrikaansSoundFolder : kEnglishSoundFolder);
}

// The background with subject `subject` open (0: none), e.g. "menu_2_A.jpg".
inline std::string MenuPictureName(int subject, Lang language) {
  return "menu_" + std::to_string(subject) + "_" + LanguageLetter(language) + ".jpg";
}

// A sub-menu picture with one entry highlighted, e.g. "sub_5_1_E.jpg"; `subjectKey` is
// the entry's group key (its subject number as text).
inline std::string SubPictureName(std::string_view subjectKey, int entry, Lang language) {
  return "sub_" + std::string(subjectKey) + "_" + std::to_string(entry) + "_" +
         LanguageLetter(language) + ".jpg";
}

}  // namespace tazu::menu
