// The pictures the menu screen carries itself: the placeholder background shown before
// the first sign-in, the subject highlights and the faces of the three buttons.
#pragma once

#include <string_view>

#include "framework/Fonts.h"
#include "platform/Pixels.h"
#include "screens/menu/MenuLayout.h"

namespace tazu::menu {

Bitmap32 PlaceholderBackground(FontEngine& fonts);
// The highlight of one subject area, sized as its control (`groupKey` says the language).
Bitmap32 SubjectHighlight(const ControlPlace& control, FontEngine& fonts);
// A face of one of the three buttons ("backbut", "reportbut", "exitbut").
Bitmap32 ButtonFace(std::string_view button, bool hover);

}  // namespace tazu::menu
