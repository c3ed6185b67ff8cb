#include "tools/demo-install/DemoAdverts.h"

#include "tools/demo-install/DemoInstall.h"

#include <array>
#include <filesystem>

#include "framework/Canvas.h"
#include "framework/ImageCodecs.h"

namespace fs = std::filesystem;

namespace tazu::demo {
namespace {

constexpr int kJpegQuality = 88;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// Where the screen's viewer lies, framed on the background.
constexpr Rect kViewerPlace{77, 64, 77 + 642, 64 + 475};
constexpr int kFrameWidth = 8;
constexpr int kBannerHeight = 200;
constexpr int kSectionHeight = 240;
constexpr int kSectionMargin = 24;

struct Words {
  const char* afrikaans;
  const char* english;
};

const char* In(const Words& w, char language) { return language == 'A' ? w.afrikaans : w.english; }

constexpr Words kBackgroundTitle{"Meer van Pelkor!", "More from Pelkor!"};
constexpr Words kBanner{"Pelkor Tazu", "Pelkor Tazu"};
constexpr Words kBannerLine{"Leer speel-speel", "Learning through play"};
constexpr Words kEnd{"Einde van die bladsy", "End of the page"};

struct Section {
  Words heading;
  Words line;
  TColor color;
};

constexpr std::array<Section, 5> kSections{{
    {{"1. Lees", "1. Reading"},
     {"Rympies en stories", "Rhymes and stories"},
     RGBColor(230, 90, 70)},
    {{"2. Wiskunde", "2. Mathematics"},
     {"Optel, aftrek, maal", "Add, subtract, multiply"},
     RGBColor(70, 140, 230)},
    {{"3. Denke", "3. Thinking"},
     {"Raaisels vir slim koppe", "Puzzles for bright minds"},
     RGBColor(240, 180, 40)},
    {{"4. Spelling", "4. Spelling"},
     {"Woorde reg geskryf", "Words written right"},
     RGBColor(120, 190, 80)},
    {{"5. Geheue", "5. Memory"},
     {"Prente en klanke", "Pictures and sounds"},
     RGBColor(170, 100, 210)},
}};

void Fill(TCanvas& canvas, const Rect& r, TColor color) {
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = color;
  canvas.FillRect(r);
}

Bitmap32 AdvertPage(char language, FontEngine& fonts) {
  Bitmap32 image(kAdvertPageWidth, kAdvertPageHeight);
  TCanvas canvas(image, &fonts);
  Fill(canvas, image.Bounds(), RGBColor(255, 252, 235));
  const Rect banner{0, 0, kAdvertPageWidth, kBannerHeight};
  Fill(canvas, banner, RGBColor(40, 40, 120));
  DrawCaption(canvas, {0, 30, kAdvertPageWidth, 120}, In(kBanner, language), 64,
              RGBColor(255, 230, 90));
  DrawCaption(canvas, {0, 120, kAdvertPageWidth, 180}, In(kBannerLine, language), 30, clWhite);
  int top = kBannerHeight;
  for (const Section& s : kSections) {
    const Rect panel{kSectionMargin, top + kSectionMargin, kAdvertPageWidth - kSectionMargin,
                     top + kSectionHeight - kSectionMargin / 2};
    canvas.Brush.style = TBrushStyle::Solid;
    canvas.Brush.color = s.color;
    canvas.Pen.color = RGBColor(40, 40, 40);
    canvas.Pen.width = 2;
    canvas.RoundRect(panel, 30, 30);
    DrawCaption(canvas, {panel.left, panel.top + 20, panel.right, panel.top + 110},
                In(s.heading, language), 52, clWhite);
    DrawCaption(canvas, {panel.left, panel.top + 110, panel.right, panel.bottom - 20},
                In(s.line, language), 28, RGBColor(30, 30, 30));
    top += kSectionHeight;
  }
  DrawCaption(canvas, {0, top, kAdvertPageWidth, kAdvertPageHeight}, In(kEnd, language), 34,
              RGBColor(40, 40, 120));
  return image;
}

Bitmap32 AdvertBackground(char language, FontEngine& fonts) {
  Bitmap32 image(kScreenWidth, kScreenHeight);
  TCanvas canvas(image, &fonts);
  for (int y = 0; y < kScreenHeight; ++y) {
    canvas.Pen.color = RGBColor(30, static_cast<uint8_t>(90 + y / 5), 60);
    canvas.MoveTo(0, y);
    canvas.LineTo(kScreenWidth, y);
  }
  DrawCaption(canvas, {0, 8, kScreenWidth, kViewerPlace.top - 8}, In(kBackgroundTitle, language),
              38, RGBColor(255, 230, 90));
  const Rect frame{kViewerPlace.left - kFrameWidth, kViewerPlace.top - kFrameWidth,
                   kViewerPlace.right + kFrameWidth, kViewerPlace.bottom + kFrameWidth};
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = RGBColor(255, 230, 90);
  canvas.Pen.color = RGBColor(120, 90, 0);
  canvas.Pen.width = 2;
  canvas.RoundRect(frame, 20, 20);
  return image;
}

}  // namespace

void MakeDemoAdverts(const std::string& folder) {
  FontEngine fonts;
  const fs::path root(folder);
  for (char language : {'A', 'E'}) {
    const std::string letter(1, language);
    WriteDemoFile(root / ("add_" + letter + ".jpg"),
                  EncodeJpeg(AdvertPage(language, fonts), kJpegQuality));
    WriteDemoFile(root / ("addback_" + letter + ".jpg"),
                  EncodeJpeg(AdvertBackground(language, fonts), kJpegQuality));
  }
}

}  // namespace tazu::demo
