// Fonts found by scanning font folders (the Windows way), through FontEngine: the
// folders hold copies of fonts installed on this machine, damaged files among them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "framework/FontFinder.h"
#include "framework/Fonts.h"
#include "tests/MissingPackage.h"
#include "tests/base/TempDir.h"

namespace tazu {
namespace {

namespace fs = std::filesystem;

const fs::path kLiberation = "/usr/share/fonts/truetype/liberation2";
const fs::path kUrwBase = "/usr/share/fonts/opentype/urw-base35";
const fs::path kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr uint32_t kPaper = 0xFFFFFFFFu;
constexpr int kLargeHeight = 40;

TFont Font(const std::string& name, bool bold = false, bool italic = false, int height = 20) {
  TFont f;
  f.name = name;
  f.bold = bold;
  f.italic = italic;
  f.height = height;
  return f;
}

std::string Name(const std::string& path) { return fs::path(path).filename().string(); }

// Inked pixels of a bitmap that started as paper.
struct Ink {
  Rect box;
  int count = 0;
};

Ink InkOf(const Bitmap32& bmp) {
  Ink ink;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      if (bmp.Pixel(x, y) != kPaper) {
        ink.box = ink.box.Union({x, y, x + 1, y + 1});
        ++ink.count;
      }
  return ink;
}

class FontFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kLiberation / "LiberationSans-Regular.ttf"))
      TAZU_SKIP_MISSING_PACKAGE("fonts-liberation2 not installed");
  }

  // Copies an installed font into the folder under `name`.
  void Copy(const fs::path& source, const std::string& name) {
    fs::copy_file(source, dir.Path() / name, fs::copy_options::overwrite_existing);
  }
  void CopyLiberation(const std::string& style, const std::string& name) {
    Copy(kLiberation / ("LiberationSans-" + style + ".ttf"), name);
  }
  void UseFolder() { engine.SetFontFolders({dir.Str()}); }
  std::string Resolved(const TFont& font) { return Name(engine.ResolveFile(font)); }

  // Draws `text` at (x, y) on fresh paper.
  Bitmap32 Draw(const TFont& font, const std::string& text, int x = 10, int y = 10,
                Rect clip = {0, 0, 400, 100}) {
    Bitmap32 bmp(400, 100, kPaper);
    engine.DrawLine(bmp, clip, x, y, font, text);
    return bmp;
  }

  FontEngine engine;
  test::TempDir dir;
};

TEST_F(FontFolders, FamilyAndStyleChooseTheFace) {
  CopyLiberation("Regular", "LiberationSans-Regular.ttf");
  CopyLiberation("Bold", "LIBERATIONSANS-BOLD.TTF");  // extensions in any letter case
  CopyLiberation("Italic", "LiberationSans-Italic.Ttf");
  CopyLiberation("BoldItalic", "LiberationSans-BoldItalic.ttf");
  Copy(kLiberation / "LiberationSerif-Regular.ttf", "LiberationSerif-Regular.ttf");
  UseFolder();
  EXPECT_EQ(Resolved(Font("Liberation Sans")), "LiberationSans-Regular.ttf");
  EXPECT_EQ(Resolved(Font("LIBERATION sans", true)), "LIBERATIONSANS-BOLD.TTF");
  EXPECT_EQ(Resolved(Font("Liberation Sans", false, true)), "LiberationSans-Italic.Ttf");
  EXPECT_EQ(Resolved(Font("Liberation Sans", true, true)), "LiberationSans-BoldItalic.ttf");
  EXPECT_EQ(Resolved(Font("Liberation Serif")), "LiberationSerif-Regular.ttf");
  // No Arial here: the layouts' Arial and MS Sans Serif find its stand-in.
  EXPECT_EQ(Resolved(Font("Arial", true)), "LIBERATIONSANS-BOLD.TTF");
  EXPECT_EQ(Resolved(Font("MS Sans Serif")), "LiberationSans-Regular.ttf");
  const TextMetrics m = engine.Metrics(Font("Arial"));
  EXPECT_GT(m.ascent, m.descent);
  EXPECT_GE(m.lineHeight, m.ascent + m.descent);
  EXPECT_GT(engine.LineWidth(Font("Arial", true), "Hamburg"),
            engine.LineWidth(Font("Arial"), "Hamburg"));
}

TEST_F(FontFolders, MissingStylesAreMadeUp) {
  CopyLiberation("Regular", "OnlyRegular.ttf");
  UseFolder();
  for (bool bold : {false, true})
    for (bool italic : {false, true})
      EXPECT_EQ(Resolved(Font("Arial", bold, italic)), "OnlyRegular.ttf") << bold << italic;

  const TFont regular = Font("Arial");
  const TFont bold = Font("Arial", true);
  const std::string text = "Hamburg";
  const TextMetrics plain = engine.Metrics(regular);
  EXPECT_EQ(engine.Metrics(bold).lineHeight, plain.lineHeight);
  EXPECT_EQ(engine.Metrics(bold).ascent, plain.ascent);
  // Each glyph is widened by at least a pixel, and more of the line is inked.
  EXPECT_GE(engine.LineWidth(bold, text),
            engine.LineWidth(regular, text) + static_cast<int>(text.size()));
  EXPECT_GT(InkOf(Draw(bold, text)).count, InkOf(Draw(regular, text)).count * 11 / 10);

  // A vertical stem leans right as it rises.
  auto stemLean = [&](const TFont& font) {
    const Bitmap32 bmp = Draw(font, "l");
    const Rect box = InkOf(bmp).box;
    auto firstInk = [&](int y) {
      for (int x = 0; x < bmp.Width(); ++x)
        if (bmp.Pixel(x, y) != kPaper) return x;
      return -1;
    };
    return firstInk(box.top + 1) - firstInk(box.bottom - 2);
  };
  EXPECT_LE(std::abs(stemLean(Font("Arial", false, false, kLargeHeight))), 1);
  EXPECT_GE(stemLean(Font("Arial", false, true, kLargeHeight)), kLargeHeight / 10);
}

TEST_F(FontFolders, CenturyGothicFindsUrwGothic) {
  if (!fs::exists(kUrwBase / "URWGothic-Book.otf"))
    TAZU_SKIP_MISSING_PACKAGE("fonts-urw-base35 missing");
  Copy(kUrwBase / "URWGothic-Book.otf", "URWGothic-Book.otf");
  Copy(kUrwBase / "URWGothic-BookOblique.otf", "URWGothic-BookOblique.otf");
  Copy(kUrwBase / "URWGothic-Demi.otf", "URWGothic-Demi.otf");
  CopyLiberation("Regular", "LiberationSans-Regular.ttf");
  UseFolder();
  EXPECT_EQ(Resolved(Font("Century Gothic")), "URWGothic-Book.otf");
  // Demi is not flagged bold, but its weight makes it the bold face.
  EXPECT_EQ(Resolved(Font("Century Gothic", true)), "URWGothic-Demi.otf");
  EXPECT_EQ(Resolved(Font("century gothic", false, true)), "URWGothic-BookOblique.otf");
  EXPECT_EQ(Resolved(Font("Century Gothic", true, true)), "URWGothic-BookOblique.otf")
      << "without a bold oblique the slant counts before the weight, as with fontconfig";
  EXPECT_GT(engine.LineWidth(Font("Century Gothic", true), "Gaan uit"), 0);
}

TEST_F(FontFolders, UnknownFamiliesFallBackInOrder) {
  if (!fs::exists(kDejaVuSans)) TAZU_SKIP_MISSING_PACKAGE("fonts-dejavu-core missing");
  Copy(kLiberation / "LiberationSerif-Regular.ttf", "A-Serif.ttf");
  Copy(kDejaVuSans, "B-DejaVuSans.ttf");
  CopyLiberation("Regular", "C-LiberationSans.ttf");
  UseFolder();
  EXPECT_EQ(Resolved(Font("No Such Family")), "C-LiberationSans.ttf");
  fs::remove(dir.Path() / "C-LiberationSans.ttf");
  UseFolder();
  EXPECT_EQ(Resolved(Font("No Such Family")), "B-DejaVuSans.ttf");
  fs::remove(dir.Path() / "B-DejaVuSans.ttf");
  UseFolder();
  EXPECT_EQ(Resolved(Font("No Such Family")), "A-Serif.ttf") << "any face at all";
  EXPECT_GT(engine.LineWidth(Font("No Such Family"), "abc"), 0);
}

TEST_F(FontFolders, NoFontsDrawNothingAndMeasureZero) {
  const fs::path missing = dir.Path() / "not-there";
  const std::vector<std::vector<std::string>> cases = {{dir.Str()}, {missing.string()}, {}, {""}};
  for (const std::vector<std::string>& folders : cases) {
    engine.SetFontFolders(folders);
    const TFont font = Font("Arial", true);
    EXPECT_EQ(engine.ResolveFile(font), "");
    const TextMetrics m = engine.Metrics(font);
    EXPECT_EQ(m.ascent + m.descent + m.lineHeight, 0);
    EXPECT_EQ(engine.LineWidth(font, "abc"), 0);
    EXPECT_EQ(InkOf(Draw(font, "abc")).count, 0);
  }
}

TEST_F(FontFolders, DamagedFilesAreSkipped) {
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  dir.Write("A-Noise.ttf", noise);
  dir.Write("B-Empty.otf", "");
  // A collection header that claims four billion faces and holds none.
  dir.Write("C-Header.ttc", std::string("ttcf\x00\x01\x00\x00\xff\xff\xff\xff", 12));
  UseFolder();
  EXPECT_EQ(engine.ResolveFile(Font("Arial")), "") << "only damaged files";
  EXPECT_EQ(engine.LineWidth(Font("Arial"), "abc"), 0);
  EXPECT_EQ(InkOf(Draw(Font("Arial"), "abc")).count, 0);

  CopyLiberation("Regular", "Z-Good.ttf");
  UseFolder();
  EXPECT_EQ(Resolved(Font("Arial")), "Z-Good.ttf");
  EXPECT_GT(InkOf(Draw(Font("Arial"), "abc")).count, 0);
}

// A font cut short after its tables were read may still open: whatever it draws
// stays inside the clip.
TEST_F(FontFolders, TruncatedFontStaysInsideTheClip) {
  std::ifstream in(kLiberation / "LiberationSans-Regular.ttf", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  dir.Write("Truncated.ttf", bytes.substr(0, bytes.size() / 2));
  UseFolder();
  const Rect clip{20, 5, 120, 60};
  const Bitmap32 bmp = Draw(Font("Arial"), "Hamburgefonstiv", 10, 10, clip);
  const Ink ink = InkOf(bmp);
  EXPECT_EQ(ink.box.Intersect(clip), ink.box);
  EXPECT_GE(engine.LineWidth(Font("Arial"), "Hamburgefonstiv"), 0);
}

TEST_F(FontFolders, FoldersAreScannedOnFirstUseAndOnlyOnce) {
  UseFolder();
  CopyLiberation("Regular", "Late.ttf");
  EXPECT_EQ(Resolved(Font("Arial")), "Late.ttf") << "the scan waits for the first request";
  CopyLiberation("Bold", "Later.ttf");
  EXPECT_EQ(Resolved(Font("Arial", true)), "Late.ttf") << "the scan is kept";
  UseFolder();
  EXPECT_EQ(Resolved(Font("Arial", true)), "Later.ttf");
}

TEST_F(FontFolders, TextIsDrawnInTheFontColourInItsBox) {
  CopyLiberation("Regular", "LiberationSans-Regular.ttf");
  UseFolder();
  TFont font = Font("Arial", false, false, 24);
  font.color = clRed;
  const std::string text = "Hamburg";
  const int width = engine.LineWidth(font, text);
  const TextMetrics m = engine.Metrics(font);
  const int x = 30, y = 20;
  const Ink ink = InkOf(Draw(font, text, x, y, Bitmap32(400, 100).Bounds()));
  const Rect box{x, y, x + width, y + m.lineHeight};
  EXPECT_EQ(ink.box.Intersect(box), ink.box) << "ink inside the measured box";
  EXPECT_LE(ink.box.left, x + 2);
  EXPECT_GE(ink.box.right, x + width - 2);
  EXPECT_LE(ink.box.top, y + m.ascent - m.ascent * 2 / 3) << "capitals rise from the baseline";
  EXPECT_GE(ink.box.bottom, y + m.ascent + 1) << "g descends below it";

  const Bitmap32 bmp = Draw(font, text, x, y, Bitmap32(400, 100).Bounds());
  int solid = 0, partial = 0;
  for (int py = 0; py < bmp.Height(); ++py)
    for (int px = 0; px < bmp.Width(); ++px) {
      const uint32_t p = bmp.Pixel(px, py);
      solid += p == ColorToPixel(clRed);
      // Anti-aliased edges mix red into the white paper: red stays full, the rest drops.
      if (p != kPaper && p != ColorToPixel(clRed)) {
        ++partial;
        EXPECT_EQ(PixelR(p), 0xFF);
        EXPECT_EQ(PixelG(p), PixelB(p));
        EXPECT_EQ(PixelA(p), 0xFF);
      }
    }
  EXPECT_GT(solid, 40);
  EXPECT_GT(partial, 0);

  // Clipped: nothing outside the clip, and the part inside is as before.
  const Rect clip{x + 10, y + 5, x + 40, y + 20};
  const Bitmap32 clipped = Draw(font, text, x, y, clip);
  for (int py = 0; py < bmp.Height(); ++py)
    for (int px = 0; px < bmp.Width(); ++px) {
      const bool inside = clip.Contains({px, py});
      ASSERT_EQ(clipped.Pixel(px, py), inside ? bmp.Pixel(px, py) : kPaper) << px << "," << py;
    }
}

TEST_F(FontFolders, UnderlineRunsBelowTheBaselineAcrossTheText) {
  CopyLiberation("Regular", "LiberationSans-Regular.ttf");
  UseFolder();
  TFont font = Font("Arial", false, false, 24);
  font.underline = true;
  const std::string text = "nun";  // no descenders: below the baseline only the line
  const int width = engine.LineWidth(font, text);
  const TextMetrics m = engine.Metrics(font);
  const Bitmap32 bmp = Draw(font, text, 10, 10);
  int fullRows = 0;
  for (int y = 10 + m.ascent; y < 10 + m.lineHeight; ++y) {
    int black = 0;
    for (int x = 10; x < 10 + width; ++x) black += bmp.Pixel(x, y) == ColorToPixel(clBlack);
    fullRows += black == width;
  }
  EXPECT_GE(fullRows, 1);
  font.underline = false;
  EXPECT_EQ(engine.LineWidth(font, text), width);
  EXPECT_LT(InkOf(Draw(font, text, 10, 10)).count, InkOf(bmp).count);
}

TEST(FontFolderList, ComesFromTheListOrTheWindowsFolders) {
  using Folders = std::vector<std::string>;
  EXPECT_EQ(FontFoldersFrom("a;b;;c;", "C:\\Windows", ""), (Folders{"a", "b", "c"}));
  EXPECT_EQ(FontFoldersFrom("/x;/X", "", ""), (Folders{"/x"})) << "listed once";
  EXPECT_EQ(FontFoldersFrom("", "C:\\Windows", "c:\\windows\\"), (Folders{"C:\\Windows\\Fonts"}));
  EXPECT_EQ(FontFoldersFrom(";", "", "D:\\WinNT"), (Folders{"D:\\WinNT\\Fonts"}));
  EXPECT_EQ(FontFoldersFrom("", "", ""), Folders{});
}

}  // namespace
}  // namespace tazu
