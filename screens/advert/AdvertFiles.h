// The advert screen's pictures, which lie in the install folder itself: the page
// "add_" + language letter + ".jpg" and its background "addback_" + letter + ".jpg".
// Shared with the tools that make or check an install.
#pragma once

#include <string>
#include <string_view>

namespace tazu::advert {

inline constexpr const char* kPagePrefix = "add_";
inline constexpr const char* kBackgroundPrefix = "addback_";
inline constexpr const char* kPictureExtension = ".jpg";

inline std::string AdvertPageName(std::string_view language) {
  return kPagePrefix + std::string(language) + kPictureExtension;
}

inline std::string AdvertBackgroundName(std::string_view language) {
  return kBackgroundPrefix + std::string(language) + kPictureExtension;
}

}  // namespace tazu::advert
