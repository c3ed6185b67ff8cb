#include "screens/intro/IntroArt.h"

#include <array>
#include <random>
#include <string>

#include "framework/Canvas.h"

namespace tazu::intro {
namespace {

void Stars(TCanvas& canvas, const Rect& area, int count, uint32_t seed) {
  std::mt19937 random(seed);
  for (int i = 0; i < count; ++i) {
    const int x = area.left + static_cast<int>(random() % static_cast<uint32_t>(area.Width()));
    const int y = area.top + static_cast<int>(random() % static_cast<uint32_t>(area.Height()));
    canvas.SetPixel(x, y, clWhite);
  }
}

}  // namespace

Bitmap32 ConsoleBackground() {
  Bitmap32 image(800, 600);
  TCanvas canvas(image);
  canvas.Brush.color = RGBColor(30, 30, 70);
  canvas.FillRect(image.Bounds());
  Stars(canvas, image.Bounds(), 300, 11);
  // The console with its monitor (the frame area) and the lamp panel.
  canvas.Brush.color = RGBColor(120, 130, 150);
  canvas.Pen.color = RGBColor(40, 40, 50);
  canvas.RoundRect({270, 0, 720, 370}, 30, 30);
  canvas.Brush.color = RGBColor(10, 10, 20);
  canvas.Rectangle({290, 16, 699, 346});
  canvas.Brush.color = RGBColor(100, 110, 130);
  canvas.RoundRect({230, 380, 790, 600}, 40, 40);
  canvas.Brush.color = RGBColor(60, 60, 70);
  canvas.Rectangle({600, 410, 752, 580});
  // The figure at the console.
  canvas.Brush.color = RGBColor(250, 200, 150);
  canvas.Ellipse({80, 300, 200, 420});
  canvas.Brush.color = RGBColor(60, 140, 220);
  canvas.RoundRect({70, 420, 210, 600}, 30, 30);
  canvas.Brush.color = clWhite;
  canvas.Ellipse({110, 340, 130, 360});
  canvas.Ellipse({150, 340, 170, 360});
  return image;
}

Bitmap32 PlanetPlaceholder() {
  Bitmap32 image(403, 324);
  TCanvas canvas(image);
  canvas.Brush.color = RGBColor(5, 5, 25);
  canvas.FillRect(image.Bounds());
  Stars(canvas, image.Bounds(), 120, 5);
  canvas.Brush.color = RGBColor(80, 160, 90);
  canvas.Pen.color = RGBColor(40, 90, 50);
  canvas.Ellipse({130, 90, 270, 230});
  canvas.Pen.color = RGBColor(220, 200, 120);
  canvas.Pen.width = 3;
  canvas.Brush.style = TBrushStyle::Clear;
  canvas.Ellipse({100, 145, 300, 175});
  return image;
}

Bitmap32 LampPanel(bool variant) {
  Bitmap32 image(142, 161, variant ? MakePixel(0, 0, 0, 0) : MakePixel(60, 60, 70));
  TCanvas canvas(image);
  const std::array<TColor, 3> colours{RGBColor(255, 60, 60), RGBColor(60, 255, 60),
                                      RGBColor(255, 220, 60)};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) {
      const bool lit = ((row + col + (variant ? 1 : 0)) % 2) == 0;
      if (variant && !lit) continue;  // the second picture only adds lamps
      canvas.Brush.color = lit ? colours[static_cast<size_t>(col)] : RGBColor(40, 40, 40);
      canvas.Pen.color = RGBColor(20, 20, 20);
      const int x = 16 + col * 42, y = 16 + row * 36;
      canvas.Ellipse({x, y, x + 26, y + 26});
    }
  }
  return image;
}

Bitmap32 LanguageHighlight(bool english, FontEngine& fonts) {
  Bitmap32 image(english ? 284 : 286, 90, MakePixel(30, 30, 70));
  TCanvas canvas(image, &fonts);
  canvas.Brush.color = english ? RGBColor(255, 60, 60) : RGBColor(60, 120, 255);
  canvas.Pen.color = clWhite;
  canvas.Ellipse({10, 25, 50, 65});
  DrawCaption(canvas, {60, 0, image.Width(), 90}, english ? "ENGLISH" : "AFRIKAANS", 30, clYellow);
  return image;
}

Bitmap32 HandButtonFace(char letter, bool hover, FontEngine& fonts) {
  Bitmap32 image(43, 35);
  TCanvas canvas(image, &fonts);
  canvas.Brush.color = hover ? RGBColor(255, 220, 60) : RGBColor(60, 140, 60);
  canvas.Pen.color = RGBColor(20, 20, 20);
  canvas.RoundRect(image.Bounds(), 10, 10);
  DrawCaption(canvas, image.Bounds(), std::string(1, letter), 24, hover ? clBlack : clWhite);
  return image;
}

Bitmap32 NoteButton() {
  Bitmap32 image(40, 40, MakePixel(0, 0, 0, 0));
  TCanvas canvas(image);
  canvas.Brush.color = RGBColor(255, 220, 60);
  canvas.Pen.color = RGBColor(30, 30, 30);
  canvas.Ellipse({6, 24, 20, 36});
  canvas.Ellipse({22, 20, 36, 32});
  canvas.Pen.width = 3;
  canvas.MoveTo(18, 30);
  canvas.LineTo(18, 6);
  canvas.LineTo(34, 3);
  canvas.LineTo(34, 26);
  return image;
}

}  // namespace tazu::intro
