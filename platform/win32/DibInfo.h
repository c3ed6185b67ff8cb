// The bitmap header the Windows backend hands GDI its 32-bit back buffers with.
#pragma once

#include <windows.h>

namespace tazu {

// A top-down 32-bit DIB header for `width` x `height` pixels.
inline BITMAPINFO TopDownDibInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace tazu
