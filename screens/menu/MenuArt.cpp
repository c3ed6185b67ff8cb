#include "screens/menu/MenuArt.h"

#include <array>
#include <string>

#include "framework/Canvas.h"

namespace tazu::menu {
namespace {

constexpr TColor kGlow = RGBColor(255, 230, 90);
constexpr TColor kInk = RGBColor(50, 40, 20);

const char* SubjectName(int subject, bool english) {
  static constexpr std::array<std::array<const char*, 2>, kSubjectCount> kNames{{
      {"Lees", "Reading"},
      {"Wiskunde", "Mathematics"},
      {"Denke", "Thinking"},
      {"Spelling", "Spelling"},
      {"Geheue", "Memory"},
  }};
  return kNames[static_cast<size_t>(subject - 1)][english ? 1 : 0];
}

}  // namespace

Bitmap32 PlaceholderBackground(FontEngine& fonts) {
  Bitmap32 image(kScreenWidth, kScreenHeight);
  TCanvas canvas(image, &fonts);
  for (int y = 0; y < kScreenHeight; ++y) {
    canvas.Pen.color = RGBColor(20, static_cast<uint8_t>(60 + y / 6), 40);
    canvas.MoveTo(0, y);
    canvas.LineTo(kScreenWidth, y);
  }
  DrawCaption(canvas, {0, 250, kScreenWidth, 350}, "Pelkor! Tazu", 48, RGBColor(255, 230, 90));
  return image;
}

Bitmap32 SubjectHighlight(const ControlPlace& control, FontEngine& fonts) {
  Bitmap32 image(control.width, control.height);
  TCanvas canvas(image, &fonts);
  canvas.Brush.color = RGBColor(255, 250, 210);
  canvas.FillRect(image.Bounds());
  canvas.Brush.color = kGlow;
  canvas.Pen.color = RGBColor(230, 120, 0);
  canvas.Pen.width = 3;
  canvas.RoundRect(image.Bounds(), 24, 24);
  const bool english = control.groupKey == "but_eng";
  DrawCaption(canvas, image.Bounds(), SubjectName(control.tag, english), 26, kInk);
  return image;
}

Bitmap32 ButtonFace(std::string_view button, bool hover) {
  Bitmap32 image(44, 44);
  TCanvas canvas(image);
  canvas.Brush.color = RGBColor(60, 120, 60);
  canvas.FillRect(image.Bounds());
  canvas.Brush.color = hover ? kGlow : RGBColor(240, 240, 240);
  canvas.Pen.color = RGBColor(30, 30, 30);
  canvas.Pen.width = 2;
  canvas.Ellipse({2, 2, 42, 42});
  canvas.Pen.width = 3;
  canvas.Pen.color = hover ? RGBColor(200, 40, 40) : RGBColor(40, 40, 40);
  canvas.Brush.color = canvas.Pen.color;
  if (button == "exitbut") {  // a cross
    canvas.MoveTo(14, 14);
    canvas.LineTo(30, 30);
    canvas.MoveTo(30, 14);
    canvas.LineTo(14, 30);
  } else if (button == "backbut") {  // an arrow pointing back
    const std::array<Point, 3> head{{{12, 22}, {22, 13}, {22, 31}}};
    canvas.Polygon(head);
    canvas.MoveTo(22, 22);
    canvas.LineTo(32, 22);
  } else {  // a report sheet
    canvas.Pen.width = 2;
    canvas.Brush.style = TBrushStyle::Clear;
    canvas.Rectangle({14, 11, 30, 33});
    for (int y = 16; y <= 28; y += 4) {
      canvas.MoveTo(17, y);
      canvas.LineTo(27, y);
    }
  }
  return image;
}

}  // namespace tazu::menu
