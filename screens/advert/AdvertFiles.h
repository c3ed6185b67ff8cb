// The advert screen's pictures, which lie in the install folder itself: the page
// "add_" + language letter + ".jpg" and its background "addback_" + letter + ".jpg".
// Shared with the tools that make or check an install.
#pragma once

#include <string>

#include "screens/LearnerSession.h"

namespace tazu::advert {

inline constexpr const char* kPagePrefix = "add_";
inline constexpr const char* kBackgroundPrefix = "addback_";
inline constexpr const char* kPictureExtension = ".jpg";

inline std::string AdvertPageName(Lang language) {
  return kPagePrefix + std::string(1, LanguageLetter(language)) + kPictureExtension;
}

inline std::string AdvertBackgroundName(Lang language) {
  return kBackgroundPrefix + std::string(1, LanguageLetter(language)) + kPictureExtension;
}

}  // namespace tazu::advert
