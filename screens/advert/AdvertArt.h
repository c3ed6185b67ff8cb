// The pictures the advert screen carries itself: the dark bezel behind the exit button
// and the button's faces (a square key with a pointing hand).
#pragma once

#include "platform/Pixels.h"

namespace tazu::advert {

constexpr int kBezelWidth = 77;
constexpr int kBezelHeight = 68;
constexpr int kExitFaceSize = 49;

enum class ExitFace { Rest, Hover, Down };

// A dark rounded frame on a transparent ground.
Bitmap32 Bezel();
// One face of the exit key; transparent outside the key's rounded corners.
Bitmap32 ExitButtonFace(ExitFace face);

}  // namespace tazu::advert
