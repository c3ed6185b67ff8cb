#include "tools/demo-install/DemoIntro.h"

#include "tools/demo-install/DemoInstall.h"

#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "archive/StreamArchiveWriter.h"
#include "framework/Canvas.h"
#include "framework/ImageCodecs.h"
#include "screens/intro/IntroLayout.h"

namespace fs = std::filesystem;

namespace tazu::demo {
namespace {

constexpr int kFrameCount = 126;
constexpr int kFrameWidth = intro::FindControl("frameviewer").width;
constexpr int kFrameHeight = intro::FindControl("frameviewer").height;
constexpr int kJpegQuality = 85;

void WriteJpeg(const fs::path& path, const Bitmap32& image) {
  WriteDemoFile(path, EncodeJpeg(image, kJpegQuality));
}

// A rocket flying across a starfield, circling a planet; frame n of 126.
Bitmap32 Frame(int n, FontEngine& fonts) {
  Bitmap32 image(kFrameWidth, kFrameHeight);
  TCanvas canvas(image, &fonts);
  canvas.Brush.color = RGBColor(5, 5, 25);
  canvas.FillRect(image.Bounds());
  std::mt19937 random(3);
  for (int i = 0; i < 120; ++i) {
    const int x = static_cast<int>(random() % kFrameWidth);
    const int y = static_cast<int>(random() % kFrameHeight);
    canvas.SetPixel((x + kFrameWidth - n * 2 % kFrameWidth) % kFrameWidth, y, clWhite);
  }
  const double t = n / static_cast<double>(kFrameCount);
  const int planet = 40 + n / 3;
  canvas.Brush.color = RGBColor(80, 160, 90);
  canvas.Pen.color = RGBColor(40, 90, 50);
  canvas.Ellipse({200 - planet, 162 - planet, 200 + planet, 162 + planet});
  const double angle = t * 2 * 3.14159265 * 1.5;
  const int rx = 200 + static_cast<int>(150 * std::cos(angle));
  const int ry = 162 + static_cast<int>(110 * std::sin(angle));
  canvas.Brush.color = RGBColor(230, 60, 60);
  canvas.Pen.color = clWhite;
  canvas.Ellipse({rx - 14, ry - 14, rx + 14, ry + 14});
  canvas.Brush.color = RGBColor(255, 200, 60);
  canvas.Ellipse({rx - 6, ry - 6, rx + 6, ry + 6});
  DrawCaption(canvas, {0, 290, kFrameWidth, 320}, "Pelkor Tazu  " + std::to_string(n), 18,
              clYellow);
  return image;
}

Bitmap32 LanguageBackground(FontEngine& fonts) {
  Bitmap32 image(800, 600);
  TCanvas canvas(image, &fonts);
  canvas.Brush.color = RGBColor(30, 30, 70);
  canvas.FillRect(image.Bounds());
  canvas.Brush.color = RGBColor(120, 130, 150);
  canvas.Pen.color = RGBColor(40, 40, 50);
  canvas.RoundRect({270, 0, 720, 370}, 30, 30);
  canvas.Brush.color = RGBColor(10, 10, 20);
  canvas.Rectangle({290, 16, 699, 346});
  DrawCaption(canvas, {290, 16, 699, 346}, "Kies jou taal / Choose your language", 20, clWhite);
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = RGBColor(60, 120, 255);
  canvas.Ellipse({10, 80, 50, 120});
  DrawCaption(canvas, {60, 72, 273, 129}, "AFRIKAANS", 30, clWhite);
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = RGBColor(255, 60, 60);
  canvas.Ellipse({10, 137, 50, 177});
  DrawCaption(canvas, {60, 129, 273, 186}, "ENGLISH", 30, clWhite);
  return image;
}

Bitmap32 NameBoard(bool english, FontEngine& fonts) {
  Bitmap32 image(kFrameWidth, kFrameHeight);
  TCanvas canvas(image, &fonts);
  canvas.Brush.color = RGBColor(30, 110, 50);
  canvas.FillRect(image.Bounds());
  canvas.Brush.color = RGBColor(20, 90, 40);
  canvas.Pen.color = RGBColor(140, 90, 40);
  canvas.Pen.width = 6;
  canvas.Rectangle(image.Bounds());
  DrawCaption(canvas, {10, 10, 393, 50}, english ? "Hello!" : "Hallo!", 28, clYellow);
  DrawCaption(canvas, {10, 95, 393, 140}, english ? "Type your name:" : "Tik jou naam:", 20,
              clWhite);
  DrawCaption(canvas, {10, 200, 393, 245},
              english ? "Which hand holds the mouse?" : "Watter hand hou die muis?", 18, clWhite);
  canvas.Brush.style = TBrushStyle::Clear;
  canvas.Pen.color = clYellow;
  canvas.Pen.width = 2;
  canvas.Rectangle({134, 248, 185, 291});  // around LeftBut (431, 271 on the screen)
  canvas.Rectangle({213, 248, 264, 291});  // around RightBut
  return image;
}

}  // namespace

void MakeDemoIntro(const std::string& installFolder) {
  FontEngine fonts;
  const fs::path menu = fs::path(installFolder) / "menu";
  fs::create_directories(menu);
  WriteJpeg(menu / "intro1.jpg", LanguageBackground(fonts));
  WriteJpeg(menu / "nameselect_A.jpg", NameBoard(false, fonts));
  WriteJpeg(menu / "nameselect_E.jpg", NameBoard(true, fonts));
  std::vector<TArchiveEntry> frames;
  for (int n = 1; n <= kFrameCount; ++n) {
    const std::vector<uint8_t> bytes = EncodeJpeg(Frame(n, fonts), kJpegQuality);
    frames.push_back({"frame" + std::to_string(n), bytes});
  }
  SaveArchiveToFile(frames, (menu / "intro_126.frm").string());
}

}  // namespace tazu::demo
