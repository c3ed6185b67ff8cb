#include "controls/HandCursor.h"

#include <array>

#include "framework/Application.h"
#include "framework/Canvas.h"

namespace tazu {

CursorImage DrawHandCursor() {
  constexpr int kSize = 32;
  Bitmap32 image(kSize, kSize, MakePixel(0, 0, 0, 0));
  TCanvas canvas(image);
  canvas.Pen.color = clBlack;
  canvas.Brush.color = clWhite;
  canvas.Brush.style = TBrushStyle::Solid;
  // Index finger, three folded fingers and the thumb, as one outline.
  const std::array<Point, 22> hand{{{9, 0},   {12, 0},  {13, 2},  {13, 11}, {16, 10}, {18, 11},
                                    {19, 12}, {22, 12}, {24, 14}, {25, 14}, {27, 16}, {27, 24},
                                    {24, 30}, {12, 30}, {5, 22},  {2, 17},  {2, 15},  {4, 14},
                                    {8, 18},  {8, 2},   {9, 1},   {9, 0}}};
  canvas.Polygon(hand);
  // Creases between the folded fingers.
  canvas.MoveTo(13, 11);
  canvas.LineTo(13, 17);
  canvas.MoveTo(18, 11);
  canvas.LineTo(18, 17);
  canvas.MoveTo(23, 13);
  canvas.LineTo(23, 18);
  return {image, {10, 0}};
}

void RegisterHandCursor(TApplication& app) {
  if (app.HasCursor(crHandCursor)) return;
  const CursorImage hand = DrawHandCursor();
  app.SetCursor(crHandCursor, app.GetPlatform().CreateColorCursor(hand.image, hand.hotSpot));
}

}  // namespace tazu
