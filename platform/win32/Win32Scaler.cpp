#include "platform/win32/Win32Scaler.h"

#include <windows.h>

#include "platform/win32/DibInfo.h"

namespace tazu {
namespace {

void FillBars(HDC dc, const ScaledView& view) {
  const Rect picture = view.Target();
  const Point size = view.Surface();
  const Rect bars[] = {{0, 0, size.x, picture.top},
                       {0, picture.bottom, size.x, size.y},
                       {0, picture.top, picture.left, picture.bottom},
                       {picture.right, picture.top, size.x, picture.bottom}};
  const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (const Rect& bar : bars) {
    if (bar.IsEmpty()) continue;
    const RECT r{bar.left, bar.top, bar.right, bar.bottom};
    FillRect(dc, &r, black);
  }
}

}  // namespace

bool DrawScaledDib(void* dcHandle, const Bitmap32& image, const Rect& area,
                   const ScaledView& view) {
  HDC dc = static_cast<HDC>(dcHandle);
  const Rect bounds = image.Bounds();
  const Rect r = area.Intersect(bounds);
  if (r.IsEmpty() || dc == nullptr) return false;
  const bool whole = r == bounds;
  const Rect aligned = whole ? bounds : view.Aligned(r);
  const Rect source = view.WithFilterMargin(aligned);
  const Rect dest = view.ToSurface(aligned);
  const Rect sourceDest = view.ToSurface(source);

  const int saved = SaveDC(dc);
  // The margin is drawn too, but only the inside is kept: the margin's own edge pixels
  // would differ from the whole-buffer pass.
  IntersectClipRect(dc, dest.left, dest.top, dest.right, dest.bottom);
  SetStretchBltMode(dc, view.Smooth() ? HALFTONE : COLORONCOLOR);
  SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE needs the origin set after the mode
  // A DIB of just the rows read, so that the source origin cannot be misread.
  const BITMAPINFO info = TopDownDibInfo(image.Width(), source.Height());
  const int lines = StretchDIBits(
      dc, sourceDest.left, sourceDest.top, sourceDest.Width(), sourceDest.Height(), source.left, 0,
      source.Width(), source.Height(), image.Row(source.top), &info, DIB_RGB_COLORS, SRCCOPY);
  RestoreDC(dc, saved);
  if (lines <= 0) return false;  // GDI_ERROR reads as -1
  if (whole) FillBars(dc, view);
  return true;
}

}  // namespace tazu
