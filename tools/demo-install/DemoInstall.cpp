#include "tools/demo-install/DemoInstall.h"

#include "tools/demo-install/DemoIntro.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "framework/Canvas.h"
#include "framework/ImageCodecs.h"
#include "screens/menu/MenuLayout.h"
#include "tools/demo-install/DemoActivities.h"
#include "tools/demo-install/DemoAdverts.h"
#include "tools/demo-install/DemoAudio.h"

namespace fs = std::filesystem;

namespace tazu::demo {
namespace {

constexpr int kJpegQuality = 88;
constexpr std::array<char, 2> kLanguages{'A', 'E'};

struct SubjectText {
  const char* afrikaans;
  const char* english;
};

constexpr std::array<SubjectText, menu::kSubjectCount> kSubjects{{
    {"Lees", "Reading"},
    {"Wiskunde", "Mathematics"},
    {"Denke", "Thinking"},
    {"Spelling", "Spelling"},
    {"Geheue", "Memory"},
}};

// Entry labels per subject, in entry order.
const std::array<std::array<SubjectText, 5>, menu::kSubjectCount> kEntries{{
    {{{"Meervoude", "Plurals"}, {"Rympies", "Rhymes"}, {"Leesbegrip", "Comprehension"}}},
    {{{"Maal", "Multiplication"},
      {"Deel", "Division"},
      {"Optel", "Addition"},
      {"Aftrek", "Subtraction"},
      {"Woordsomme", "Word problems"}}},
    {{{"Laterale denke", "Lateral thinking"}, {"Assosiasie", "Association"}}},
    {{{"Spelling", "Spelling"}}},
    {{{"Prente", "Pictures"}, {"Klanke", "Sounds"}}},
}};

constexpr std::array<TColor, menu::kSubjectCount> kSubjectColors{
    RGBColor(230, 90, 70), RGBColor(70, 140, 230), RGBColor(240, 180, 40), RGBColor(120, 190, 80),
    RGBColor(170, 100, 210)};

const char* Text(const SubjectText& t, char language) {
  return language == 'A' ? t.afrikaans : t.english;
}

Rect RectOf(const menu::ControlPlace& c) {
  return Rect::FromSize(c.left, c.top, c.width, c.height);
}

void Panel(TCanvas& canvas, const Rect& r, TColor fill, TColor border) {
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = fill;
  canvas.Pen.color = border;
  canvas.Pen.width = 1;
  canvas.RoundRect(r, 24, 24);
}

// Draws subject `n`'s sub-menu, entries laid out as the entry hot spots lie, with
// entry `highlighted` (0: none) lit. `origin` is where the sub-menu picture sits.
void DrawSubMenu(TCanvas& canvas, int n, int highlighted, char language, Point origin) {
  const menu::ControlPlace* sub = menu::FindControl(menu::Kind::SubPicture, n);
  Panel(canvas, RectOf(*sub).Offset(-origin.x, -origin.y), RGBColor(255, 250, 225),
        kSubjectColors[n - 1]);
  const std::string key(1, static_cast<char>('0' + n));
  for (int m = 1; m <= menu::EntryCount(n); ++m) {
    const menu::ControlPlace* entry = menu::FindControl(menu::Kind::Entry, m, key);
    Rect r = RectOf(*entry).Offset(-origin.x, -origin.y);
    r = {r.left + 4, r.top + 3, r.right - 4, r.bottom - 3};
    const bool lit = m == highlighted;
    Panel(canvas, r, lit ? kSubjectColors[n - 1] : RGBColor(255, 255, 255), kSubjectColors[n - 1]);
    DrawCaption(canvas, r, Text(kEntries[n - 1][m - 1], language), 18, lit ? clWhite : clBlack);
  }
}

Bitmap32 MenuPicture(int open, char language, FontEngine& fonts) {
  Bitmap32 image(kScreenWidth, kScreenHeight);
  TCanvas canvas(image, &fonts);
  // Sky and meadow.
  for (int y = 0; y < image.Height(); ++y) {
    const int t = y * 255 / image.Height();
    canvas.Pen.color = y < 420 ? RGBColor(static_cast<uint8_t>(120 + t / 4),
                                          static_cast<uint8_t>(190 + t / 8), 250)
                               : RGBColor(90, static_cast<uint8_t>(200 - t / 6), 90);
    canvas.MoveTo(0, y);
    canvas.LineTo(image.Width(), y);
  }
  DrawCaption(canvas, {20, 10, 400, 70}, "Pelkor Tazu", 40, RGBColor(40, 40, 120));
  for (int k = 1; k <= menu::kSubjectCount; ++k) {
    const menu::ControlPlace* area = menu::FindControl(menu::Kind::Highlight, k, "but_afr");
    Panel(canvas, RectOf(*area), kSubjectColors[k - 1], RGBColor(40, 40, 40));
    DrawCaption(canvas, RectOf(*area), Text(kSubjects[k - 1], language), 24, clWhite);
  }
  // The three buttons at the right edge are drawn by the screen itself; leave a rail.
  canvas.Brush.color = RGBColor(60, 120, 60);
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.FillRect({730, 410, 790, 596});
  if (open >= 1) DrawSubMenu(canvas, open, 0, language, {0, 0});
  return image;
}

Bitmap32 SubPicture(int n, int entry, char language, FontEngine& fonts) {
  const menu::ControlPlace* sub = menu::FindControl(menu::Kind::SubPicture, n);
  Bitmap32 image(sub->width, sub->height, ColorToPixel(RGBColor(90, 200, 90)));
  TCanvas canvas(image, &fonts);
  DrawSubMenu(canvas, n, entry, language, {sub->left, sub->top});
  return image;
}

void MakeMenuPictures(const fs::path& menuFolder) {
  FontEngine fonts;
  for (char language : kLanguages) {
    for (int n = 0; n <= menu::kSubjectCount; ++n) {
      const std::string name = "menu_" + std::to_string(n) + "_" + language + ".jpg";
      WriteDemoFile(menuFolder / name, EncodeJpeg(MenuPicture(n, language, fonts), kJpegQuality));
    }
    for (int n = 1; n <= menu::kSubjectCount; ++n) {
      for (int m = 1; m <= menu::EntryCount(n); ++m) {
        const std::string name =
            "sub_" + std::to_string(n) + "_" + std::to_string(m) + "_" + language + ".jpg";
        WriteDemoFile(menuFolder / name,
                      EncodeJpeg(SubPicture(n, m, language, fonts), kJpegQuality));
      }
    }
  }
}

}  // namespace

void WriteDemoFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("Cannot write " + path.string());
}

void MakeDemoInstall(const std::string& folder) {
  const fs::path root(folder);
  for (const char* sub : {"menu", "Music", "Sounds_afr", "Sounds_eng"}) {
    fs::create_directories(root / sub);
  }
  MakeMenuPictures(root / "menu");
  MakeDemoIntro(folder);
  MakeDemoAdverts(folder);
  MakeDemoAudio(folder);
  if (const std::string standIn = FindStandInProgram(); !standIn.empty()) {
    InstallStandInActivities(folder, standIn);
  }
}

}  // namespace tazu::demo
