// The program's pointing-hand cursor (screen cursor 31), drawn by the program itself.
#pragma once

#include "platform/Pixels.h"

namespace tazu {

constexpr int crHandCursor = 31;

struct CursorImage {
  Bitmap32 image;
  Point hotSpot;
};

// A 32x32 white hand with a black outline pointing up, hot spot at the fingertip.
CursorImage DrawHandCursor();

}  // namespace tazu
