#include "screens/advert/AdvertArt.h"

#include "controls/HandCursor.h"
#include "framework/Canvas.h"

namespace tazu::advert {
namespace {

constexpr uint32_t kClear = MakePixel(0, 0, 0, 0);
constexpr int kBezelRadius = 22;
constexpr int kBezelRim = 3;  // width of the bezel's lighter rim
constexpr int kKeyRadius = 12;
constexpr int kKeyInset = 1;      // the key's outline sits this far in from the face's edge
constexpr int kPressedShift = 1;  // a held key sinks by this much

struct KeyColors {
  TColor face;
  TColor edge;
};

KeyColors ColorsOf(ExitFace face) {
  switch (face) {
    case ExitFace::Hover:
      return {RGBColor(255, 226, 80), RGBColor(150, 100, 0)};
    case ExitFace::Down:
      return {RGBColor(215, 170, 40), RGBColor(110, 70, 0)};
    case ExitFace::Rest:
      break;
  }
  return {RGBColor(236, 236, 228), RGBColor(70, 70, 70)};
}

}  // namespace

Bitmap32 Bezel() {
  Bitmap32 image(kBezelWidth, kBezelHeight, kClear);
  TCanvas canvas(image);
  canvas.Pen.clear = true;
  canvas.Brush.color = RGBColor(90, 96, 110);
  canvas.RoundRect(image.Bounds(), kBezelRadius, kBezelRadius);
  canvas.Brush.color = RGBColor(28, 30, 38);
  const Rect inner{kBezelRim, kBezelRim, kBezelWidth - kBezelRim, kBezelHeight - kBezelRim};
  canvas.RoundRect(inner, kBezelRadius - kBezelRim, kBezelRadius - kBezelRim);
  return image;
}

Bitmap32 ExitButtonFace(ExitFace face) {
  Bitmap32 image(kExitFaceSize, kExitFaceSize, kClear);
  TCanvas canvas(image);
  const KeyColors colors = ColorsOf(face);
  const int shift = face == ExitFace::Down ? kPressedShift : 0;
  const Rect key{kKeyInset + shift, kKeyInset + shift, kExitFaceSize - kKeyInset + shift,
                 kExitFaceSize - kKeyInset + shift};
  canvas.Brush.color = colors.face;
  canvas.Pen.color = colors.edge;
  canvas.Pen.width = 2;
  canvas.RoundRect(key, kKeyRadius, kKeyRadius);
  const CursorImage hand = DrawHandCursor();
  const int x = key.left + (key.Width() - hand.image.Width()) / 2;
  const int y = key.top + (key.Height() - hand.image.Height()) / 2;
  canvas.Draw(x, y, hand.image);
  return image;
}

}  // namespace tazu::advert
