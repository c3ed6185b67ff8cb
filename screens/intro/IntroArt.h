// The pictures the intro screen carries itself: the console, the planet placeholder,
// the lamp panels, the language highlights, the mouse-hand button faces and the note
// button.
#pragma once

#include "framework/Fonts.h"
#include "platform/Pixels.h"

namespace tazu::intro {

Bitmap32 ConsoleBackground();                                 // 800 x 600
Bitmap32 PlanetPlaceholder();                                 // 403 x 324
Bitmap32 LampPanel(bool variant);                             // 142 x 161; the second has alpha
Bitmap32 LanguageHighlight(bool english, FontEngine& fonts);  // 286 x 90 / 284 x 90
Bitmap32 HandButtonFace(char letter, bool hover, FontEngine& fonts);  // 43 x 35
Bitmap32 NoteButton();                                                // 40 x 40, with alpha

}  // namespace tazu::intro
