// Scaled drawing of back buffers onto SDL surfaces with SDL's own stretchers: linear
// filtering (SDL_SoftStretchLinear) for fractional factors, plain pixel copies
// (SDL_SoftStretch) for whole ones.
#pragma once

#include <optional>

#include "platform/Pixels.h"
#include "platform/ScaledView.h"

struct SDL_Surface;

namespace tazu {

// Draws `area` of `image` (a buffer of the view's logical size) onto `target` through
// `view`. A part is drawn from its aligned rectangle and the pixels around it, so that
// it matches a whole-buffer pass exactly; the whole buffer also repaints the bars
// black. Returns the surface rectangle that changed, or nothing when nothing was drawn.
std::optional<Rect> DrawScaled(SDL_Surface* target, const Bitmap32& image, const Rect& area,
                               const ScaledView& view);

// `image` resized to `width` x `height` (for cursors), smoothly unless the factors are
// whole.
Bitmap32 ResizeBitmap(const Bitmap32& image, int width, int height);

}  // namespace tazu
