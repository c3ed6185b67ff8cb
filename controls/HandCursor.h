// The program's pointing-hand cursor (screen cursor 31), drawn by the program itself.
#pragma once

#include "platform/Pixels.h"

namespace tazu {

class TApplication;

constexpr int crHandCursor = 31;

struct CursorImage {
  Bitmap32 image;
  Point hotSpot;
};

// A 32x32 white hand with a black outline pointing up, hot spot at the fingertip.
CursorImage DrawHandCursor();

// Makes cursor 31 the hand for `app`, once; every control that points with the hand
// calls it when created, so whichever comes first registers it.
void RegisterHandCursor(TApplication& app);

}  // namespace tazu
