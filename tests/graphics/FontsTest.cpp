#include "framework/Fonts.h"
#include "tests/MissingPackage.h"

#include <gtest/gtest.h>

#include <memory>

namespace tazu {
namespace {

TFont Font(const std::string& name, bool bold = false, bool italic = false) {
  TFont f;
  f.name = name;
  f.bold = bold;
  f.italic = italic;
  return f;
}

TEST(FontResolution, UnknownNamesFallBackToAnInstalledFont) {
  FontEngine engine;
  TFont font = Font("No Such Font Anywhere");
  if (engine.Metrics(font).lineHeight == 0) TAZU_SKIP_MISSING_PACKAGE("no font at all installed");
  EXPECT_GT(engine.LineWidth(font, "abc"), 0);
  font.height = 0;  // a zero height still gives usable text
  EXPECT_GT(engine.Metrics(font).lineHeight, 0);
}

TEST(FontRendering, DrawsOnlyInsideTheClip) {
  FontEngine engine;
  TFont font = Font("Arial", true);
  font.height = 24;
  font.color = clBlue;
  if (engine.Metrics(font).lineHeight == 0) TAZU_SKIP_MISSING_PACKAGE("no font at all installed");
  Bitmap32 bmp(100, 40, ColorToPixel(clWhite));
  engine.DrawLine(bmp, {10, 0, 30, 40}, 0, 5, font, "MMMMMM");
  int inside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool inked = bmp.Pixel(x, y) != ColorToPixel(clWhite);
      if (x < 10 || x >= 30) {
        ASSERT_FALSE(inked) << x << "," << y;
      }
      inside += bmp.Pixel(x, y) == ColorToPixel(clBlue);
    }
  EXPECT_GT(inside, 20);
  engine.DrawLine(bmp, bmp.Bounds(), -5000, 1 << 29, font, "far");
  engine.DrawLine(bmp, bmp.Bounds(), 0, 0, font, "");
}

TEST(Ansi, Windows1252ToUnicode) {
  const std::u16string wide = AnsiToUtf16("A\x80\x81\x9F\xE9\xFF");
  EXPECT_EQ(wide, (std::u16string{u'A', 0x20AC, 0x81, 0x178, 0xE9, 0xFF}));
}

TEST(Ansi, Utf8ToWindows1252) {
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC 5"), "caf\xE9 \x80 5");
  EXPECT_EQ(Utf8ToAnsi("\xE6\xBC\xA2x\xF0\x9F\x98\x80y"), "xy") << "outside the code page";
  EXPECT_EQ(Utf8ToAnsi("a\xC3z\xFF\xC0\xAF"), "az") << "malformed and overlong sequences";
  EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80q"), "q") << "surrogate";
}

// Every byte survives Windows-1252 -> Unicode -> UTF-8 -> Windows-1252.
TEST(Ansi, AllBytesRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string utf8;
  for (char16_t c : AnsiToUtf16(all)) {
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
      utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  EXPECT_EQ(Utf8ToAnsi(utf8), all);
}

}  // namespace
}  // namespace tazu
