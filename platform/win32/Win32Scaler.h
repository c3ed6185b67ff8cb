// Scaled drawing of back buffers onto a window's device context with GDI's own
// stretching: StretchDIBits in HALFTONE mode (smooth) for fractional factors, plain
// pixel copies for whole ones.
#pragma once

#include <optional>

#include "platform/Pixels.h"
#include "platform/ScaledView.h"

namespace tazu {

// Draws `area` of `image` (a buffer of the view's logical size) onto the device context
// `dc` (an HDC) through `view`. A part is drawn from its aligned rectangle and the pixels
// around it, clipped to its own pixels, so that it matches a whole-buffer pass; the
// whole buffer also paints the bars black. False when nothing was drawn.
bool DrawScaledDib(void* dc, const Bitmap32& image, const Rect& area, const ScaledView& view);

}  // namespace tazu
