#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Fonts.h"
#include "tests/MissingPackage.h"

namespace tazu {
namespace {

constexpr uint32_t kWhite = ColorToPixel(clWhite);
constexpr char kSentence[] =
    "The quick brown fox jumps over the lazy dog while the children learn to read and count";

class CanvasText : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas.Font.name = "Arial";
    canvas.Font.height = 16;
    canvas.Font.bold = true;
    canvas.Brush.style = TBrushStyle::Clear;
    lineHeight = canvas.TextHeight("Xy");
    if (lineHeight == 0) TAZU_SKIP_MISSING_PACKAGE("no font can be opened");
  }

  // Rectangle of the pixels that are not white.
  Rect Ink(const Rect& within) const {
    Rect box;
    const Rect r = within.Intersect(bmp.Bounds());
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (bmp.Pixel(x, y) != kWhite) box = box.Union({x, y, x + 1, y + 1});
    return box;
  }

  Rect Measure(std::string_view text, int width, unsigned flags) {
    Rect r{10, 20, 10 + width, 20};
    const int height = canvas.DrawText(text, r, flags | DT_CALCRECT);
    EXPECT_EQ(height, r.Height());
    return r;
  }

  // Independent greedy count of the lines a word-wrapped text needs.
  int ExpectedLines(const std::string& text, int width) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      words.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    int lines = 1;
    std::string line;
    for (const std::string& w : words) {
      const std::string candidate = line.empty() ? w : line + " " + w;
      if (!line.empty() && canvas.TextWidth(candidate) > width) {
        ++lines;
        line = w;
      } else {
        line = candidate;
      }
    }
    return lines;
  }

  Bitmap32 bmp{400, 300, kWhite};
  FontEngine fonts;
  TCanvas canvas{bmp, &fonts};
  int lineHeight = 0;
};

TEST_F(CanvasText, ExtentsGrowWithTheText) {
  EXPECT_EQ(canvas.TextWidth(""), 0);
  EXPECT_GT(canvas.TextWidth("W"), 0);
  EXPECT_GT(canvas.TextWidth("WWW"), canvas.TextWidth("W"));
  EXPECT_GE(lineHeight, 16);
  canvas.Font.height = 32;
  EXPECT_GT(canvas.TextHeight("x"), lineHeight);
}

TEST_F(CanvasText, CalcRectOfEmptyTextIsOneLineHigh) {
  const Rect r = Measure("", 200, DT_WORDBREAK | DT_NOPREFIX);
  EXPECT_EQ(r.Width(), 0);
  EXPECT_EQ(r.Height(), lineHeight);
  const Rect space = Measure(" ", 200, DT_WORDBREAK | DT_NOPREFIX);
  EXPECT_EQ(space.Height(), lineHeight);
}

TEST_F(CanvasText, WordBreakWrapsAtTheWidth) {
  const unsigned flags = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;
  const Rect r = Measure(kSentence, 200, flags);
  const int lines = r.Height() / lineHeight;
  EXPECT_EQ(r.Height() % lineHeight, 0);
  EXPECT_GT(lines, 2);
  EXPECT_EQ(lines, ExpectedLines(kSentence, 200));
  EXPECT_LE(r.Width(), 200);
  EXPECT_GT(r.Width(), 150) << "lines are filled, not broken early";
  const Rect unwrapped = Measure(kSentence, 200, DT_NOPREFIX);
  EXPECT_EQ(unwrapped.Height(), lineHeight);
  EXPECT_EQ(unwrapped.Width(), canvas.TextWidth(kSentence));
}

TEST_F(CanvasText, LongWordStaysWholeOnItsOwnLine) {
  const std::string word = "Supercalifragilisticexpialidocious";
  Rect r = Measure(word, 20, DT_WORDBREAK);
  EXPECT_EQ(r.Height(), lineHeight);
  EXPECT_EQ(r.Width(), canvas.TextWidth(word));
  r = Measure("a " + word + " b", 20, DT_WORDBREAK);
  EXPECT_EQ(r.Height(), 3 * lineHeight);
  EXPECT_EQ(r.Width(), canvas.TextWidth(word));
}

TEST_F(CanvasText, ExplicitLineBreaksAndSingleLine) {
  EXPECT_EQ(Measure("one\r\ntwo\nthree", 300, 0).Height(), 3 * lineHeight);
  EXPECT_EQ(Measure("one\r\n\r\ntwo", 300, DT_WORDBREAK).Height(), 3 * lineHeight);
  EXPECT_EQ(Measure("one\r\ntwo\nthree", 300, DT_SINGLELINE).Height(), lineHeight);
  EXPECT_EQ(Measure(kSentence, 100, DT_SINGLELINE | DT_WORDBREAK).Height(), lineHeight);
}

TEST_F(CanvasText, PrefixCharacters) {
  EXPECT_EQ(Measure("&File", 300, 0).Width(), canvas.TextWidth("File"));
  EXPECT_EQ(Measure("&File", 300, DT_NOPREFIX).Width(), canvas.TextWidth("&File"));
  EXPECT_EQ(Measure("Save && Exit", 300, 0).Width(), canvas.TextWidth("Save & Exit"));
  // The marked character is underlined in the font colour below the baseline.
  const int ascent = fonts.Metrics(canvas.Font).ascent;
  Rect r{0, 0, 300, 100};
  canvas.DrawText("&H", r, DT_SINGLELINE);
  const uint32_t black = ColorToPixel(clBlack);
  int underline = 0;
  for (int x = 0; x < canvas.TextWidth("H"); ++x) underline += bmp.Pixel(x, ascent + 1) == black;
  EXPECT_GE(underline, canvas.TextWidth("H") - 1);
}

TEST_F(CanvasText, TabsExpandToStops) {
  const int plain = Measure("a\tb", 300, 0).Width();
  const int expanded = Measure("a\tb", 300, DT_EXPANDTABS).Width();
  EXPECT_GT(expanded, plain);
  EXPECT_EQ(expanded, Measure("aa\tb", 300, DT_EXPANDTABS).Width()) << "same tab stop";
}

TEST_F(CanvasText, DrawsInTheFontColourInsideTheRectangle) {
  canvas.Font.color = clRed;
  Rect r{50, 40, 250, 200};
  canvas.DrawText(kSentence, r, DT_WORDBREAK | DT_NOPREFIX);
  const Rect ink = Ink(bmp.Bounds());
  EXPECT_FALSE(ink.IsEmpty());
  EXPECT_EQ(ink.Intersect(r), ink) << "nothing outside the rectangle";
  int solid = 0;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) solid += bmp.Pixel(x, y) == ColorToPixel(clRed);
  EXPECT_GT(solid, 50) << "stems are fully covered in the font colour";
  EXPECT_GT(Ink({50, 40 + 2 * lineHeight, 250, 40 + 3 * lineHeight}).Height(), 0)
      << "third line present";
}

TEST_F(CanvasText, ClipsToTheRectangleUnlessNoClip) {
  Rect r{10, 10, 40, 10 + lineHeight};
  canvas.DrawText("Wide wide text", r, DT_SINGLELINE);
  EXPECT_LE(Ink(bmp.Bounds()).right, 40);
  Rect r2{10, 100, 40, 100 + lineHeight};
  canvas.DrawText("Wide wide text", r2, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Ink({0, 100, 400, 100 + lineHeight}).right, 40);
}

TEST_F(CanvasText, Alignment) {
  auto inkLeft = [&](unsigned flags) {
    bmp = Bitmap32(400, 300, kWhite);
    Rect r{0, 0, 400, 100};
    canvas.DrawText("Hi", r, flags | DT_SINGLELINE);
    return Ink(bmp.Bounds());
  };
  const Rect left = inkLeft(DT_LEFT), center = inkLeft(DT_CENTER), right = inkLeft(DT_RIGHT);
  EXPECT_LT(left.left, 5);
  EXPECT_NEAR(center.left + center.Width() / 2, 200, 4);
  EXPECT_GT(right.right, 392);
  const Rect vcenter = inkLeft(DT_VCENTER), bottom = inkLeft(DT_BOTTOM);
  EXPECT_NEAR((vcenter.top + vcenter.bottom) / 2, 50, lineHeight / 2);
  EXPECT_GT(bottom.bottom, 100 - lineHeight / 2);
  EXPECT_LE(bottom.bottom, 100);
}

TEST_F(CanvasText, TextOutFillsItsBoxUnlessTheBrushIsClear) {
  canvas.TextOut(5, 5, "Hello");
  const Rect ink = Ink(bmp.Bounds());
  EXPECT_GE(ink.left, 5);
  EXPECT_LE(ink.right, 5 + canvas.TextWidth("Hello"));
  EXPECT_EQ(bmp.Pixel(5, 5), kWhite);
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = clYellow;
  canvas.TextOut(5, 100, "Hello");
  EXPECT_EQ(bmp.Pixel(5, 100), ColorToPixel(clYellow));
  EXPECT_EQ(bmp.Pixel(4 + canvas.TextWidth("Hello"), 99 + lineHeight), ColorToPixel(clYellow));
  canvas.TextOut(INT32_MIN, INT32_MAX, "far away");  // no crash, nothing drawn
}

}  // namespace
}  // namespace tazu
