#include "framework/Canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace tazu {
namespace {

constexpr uint32_t kWhite = ColorToPixel(clWhite);
constexpr uint32_t kRedPx = ColorToPixel(clRed);
constexpr uint32_t kBluePx = ColorToPixel(clBlue);
constexpr uint32_t kLimePx = ColorToPixel(clLime);

// Red pen, blue solid brush on a white bitmap.
TCanvas Prepared(Bitmap32& bmp) {
  TCanvas canvas(bmp);
  canvas.Pen.color = clRed;
  canvas.Brush.color = clBlue;
  return canvas;
}

int Count(const Bitmap32& bmp, uint32_t pixel, Rect within = {0, 0, INT_MAX, INT_MAX}) {
  const Rect r = within.Intersect(bmp.Bounds());
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += bmp.Pixel(x, y) == pixel;
  return n;
}

// Bounding box of all pixels that are not white.
Rect InkBox(const Bitmap32& bmp) {
  Rect box;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      if (bmp.Pixel(x, y) != kWhite) box = box.Union({x, y, x + 1, y + 1});
  return box;
}

bool MirrorSymmetric(const Bitmap32& bmp, const Rect& box) {
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      const int mx = box.left + box.right - 1 - x, my = box.top + box.bottom - 1 - y;
      if (bmp.Pixel(x, y) != bmp.Pixel(mx, y) || bmp.Pixel(x, y) != bmp.Pixel(x, my)) return false;
    }
  return true;
}

TEST(CanvasShapes, FillRectCoversLeftToRightMinusOne) {
  Bitmap32 bmp(20, 20, kWhite);
  TCanvas canvas = Prepared(bmp);
  canvas.FillRect({3, 4, 10, 9});
  EXPECT_EQ(InkBox(bmp), (Rect{3, 4, 10, 9}));
  EXPECT_EQ(Count(bmp, kBluePx), 7 * 5);
  canvas.FillRect({12, 12, 12, 18});  // empty
  canvas.FillRect({15, 15, 13, 18});  // inverted: empty
  EXPECT_EQ(Count(bmp, kBluePx), 7 * 5);
}

TEST(CanvasShapes, RectangleOutlineAndInterior) {
  Bitmap32 bmp(20, 20, kWhite);
  TCanvas canvas = Prepared(bmp);
  canvas.Rectangle({2, 3, 12, 9});
  EXPECT_EQ(InkBox(bmp), (Rect{2, 3, 12, 9}));
  for (int x = 2; x < 12; ++x) {
    EXPECT_EQ(bmp.Pixel(x, 3), kRedPx);
    EXPECT_EQ(bmp.Pixel(x, 8), kRedPx);
  }
  for (int y = 3; y < 9; ++y) {
    EXPECT_EQ(bmp.Pixel(2, y), kRedPx);
    EXPECT_EQ(bmp.Pixel(11, y), kRedPx);
  }
  EXPECT_EQ(Count(bmp, kBluePx), 8 * 4);

  Bitmap32 hollow(20, 20, kWhite);
  TCanvas c2 = Prepared(hollow);
  c2.Brush.style = TBrushStyle::Clear;
  c2.Rectangle({2, 3, 12, 9});
  EXPECT_EQ(Count(hollow, kBluePx), 0);
  EXPECT_EQ(Count(hollow, kRedPx), 2 * 10 + 2 * 4);

  Bitmap32 noPen(20, 20, kWhite);
  TCanvas c3 = Prepared(noPen);
  c3.Pen.clear = true;
  c3.Rectangle({2, 3, 12, 9});
  EXPECT_EQ(Count(noPen, kBluePx), 10 * 6);

  Bitmap32 wide(20, 20, kWhite);
  TCanvas c4 = Prepared(wide);
  c4.Pen.width = 2;
  c4.Rectangle({2, 3, 12, 9});
  EXPECT_EQ(Count(wide, kBluePx), 6 * 2);
  EXPECT_EQ(InkBox(wide), (Rect{2, 3, 12, 9}));
}

TEST(CanvasShapes, FrameRectUsesTheBrushColour) {
  Bitmap32 bmp(10, 10, kWhite);
  TCanvas canvas = Prepared(bmp);
  canvas.FrameRect({1, 1, 6, 5});
  EXPECT_EQ(Count(bmp, kBluePx), 2 * 5 + 2 * 2);
  EXPECT_EQ(bmp.Pixel(3, 3), kWhite);
  EXPECT_EQ(Count(bmp, kRedPx), 0);
}

TEST(CanvasShapes, EllipseTouchesItsBoxAndIsSymmetric) {
  for (const Rect box : {Rect{5, 7, 45, 27}, Rect{2, 2, 19, 30}, Rect{10, 10, 12, 40}}) {
    Bitmap32 bmp(60, 50, kWhite);
    TCanvas canvas = Prepared(bmp);
    canvas.Ellipse(box);
    EXPECT_EQ(InkBox(bmp), box);
    EXPECT_TRUE(MirrorSymmetric(bmp, box));
    if (box.Width() > 4) {
      EXPECT_EQ(bmp.Pixel(box.left, box.top), kWhite) << "corners stay outside";
      EXPECT_EQ(bmp.Pixel(box.right - 1, box.bottom - 1), kWhite);
    }
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    EXPECT_EQ(bmp.Pixel(box.left, cy), kRedPx);
    if (box.Width() > 4) {
      EXPECT_EQ(bmp.Pixel(cx, cy), kBluePx);
    }
    // Each row is one run: outline at both ends, brush between.
    for (int y = box.top; y < box.bottom; ++y) {
      int x = box.left;
      while (bmp.Pixel(x, y) == kWhite) ++x;
      EXPECT_EQ(bmp.Pixel(x, y), kRedPx);
    }
  }
}

TEST(CanvasShapes, RoundRectCornersAreQuarterEllipses) {
  Bitmap32 round(60, 40, kWhite), ellipse(60, 40, kWhite);
  TCanvas a = Prepared(round), b = Prepared(ellipse);
  a.RoundRect({0, 0, 50, 30}, 16, 16);
  b.Ellipse({0, 0, 16, 16});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(round.Pixel(x, y), ellipse.Pixel(x, y)) << x << "," << y;
  EXPECT_EQ(InkBox(round), (Rect{0, 0, 50, 30}));
  EXPECT_TRUE(MirrorSymmetric(round, {0, 0, 50, 30}));
  for (int x = 8; x < 42; ++x) EXPECT_EQ(round.Pixel(x, 0), kRedPx);  // straight edges
  for (int y = 8; y < 22; ++y) EXPECT_EQ(round.Pixel(49, y), kRedPx);
  EXPECT_EQ(round.Pixel(0, 0), kWhite);
  EXPECT_EQ(round.Pixel(25, 15), kBluePx);

  // Corners bigger than the shape are limited to it: the shape becomes an ellipse.
  Bitmap32 big(60, 40, kWhite), plain(60, 40, kWhite);
  TCanvas c = Prepared(big), d = Prepared(plain);
  c.RoundRect({3, 4, 23, 14}, 100, 100);
  d.Ellipse({3, 4, 23, 14});
  EXPECT_EQ(big, plain);
}

TEST(CanvasShapes, PolygonFillsEvenOddAndOutlinesEveryEdge) {
  Bitmap32 bmp(70, 30, kWhite);
  TCanvas canvas = Prepared(bmp);
  const Point nose[] = {{25, 16}, {0, 0}, {55, 16}};
  canvas.Polygon(nose);
  EXPECT_EQ(InkBox(bmp), (Rect{0, 0, 56, 17}));
  for (const Point& p : nose) EXPECT_EQ(bmp.Pixel(p.x, p.y), kRedPx);
  for (int x = 25; x <= 55; ++x) EXPECT_EQ(bmp.Pixel(x, 16), kRedPx);
  EXPECT_EQ(bmp.Pixel(35, 12), kBluePx);
  EXPECT_EQ(bmp.Pixel(10, 12), kWhite);

  // A pentagram: the middle is crossed twice and stays empty under even-odd.
  Bitmap32 star(60, 60, kWhite);
  TCanvas s = Prepared(star);
  s.Pen.clear = true;
  const Point pentagram[] = {{30, 2}, {47, 55}, {2, 21}, {58, 21}, {13, 55}};
  s.Polygon(pentagram);
  EXPECT_EQ(star.Pixel(30, 33), kWhite);
  EXPECT_EQ(star.Pixel(30, 10), kBluePx);
  EXPECT_EQ(star.Pixel(8, 22), kBluePx);

  canvas.Polygon(std::span<const Point>());  // nothing to draw, no crash
}

TEST(CanvasLines, EndPointExcluded) {
  Bitmap32 bmp(20, 20, kWhite);
  TCanvas canvas = Prepared(bmp);
  canvas.MoveTo(2, 3);
  canvas.LineTo(9, 3);
  EXPECT_EQ(Count(bmp, kRedPx), 7);
  EXPECT_EQ(bmp.Pixel(9, 3), kWhite);
  canvas.LineTo(9, 3);  // zero length: nothing
  EXPECT_EQ(Count(bmp, kRedPx), 7);

  Bitmap32 diag(20, 20, kWhite);
  TCanvas d = Prepared(diag);
  d.MoveTo(10, 10);
  d.LineTo(4, 4);
  for (int i = 5; i <= 10; ++i) EXPECT_EQ(diag.Pixel(i, i), kRedPx);
  EXPECT_EQ(Count(diag, kRedPx), 6);

  Bitmap32 steep(20, 20, kWhite);
  TCanvas st = Prepared(steep);
  st.MoveTo(1, 1);
  st.LineTo(4, 17);
  EXPECT_EQ(Count(steep, kRedPx), 16);
  for (int y = 1; y < 17; ++y) EXPECT_EQ(Count(steep, kRedPx, {0, y, 20, y + 1}), 1) << y;
}

// Draws a fixed scene of every shape; used to compare clipped and unclipped output.
void DrawScene(TCanvas& c) {
  c.Pen.color = clRed;
  c.Brush.color = clBlue;
  c.Rectangle({-20, 5, 70, 40});
  c.Brush.color = clLime;
  c.Ellipse({30, 20, 150, 90});
  c.Brush.color = clYellow;
  c.RoundRect({60, -10, 130, 60}, 16, 16);
  const Point tri[] = {{0, 100}, {120, 30}, {90, 130}};
  c.Brush.color = clNavy;
  c.Polygon(tri);
  c.MoveTo(-50, -30);
  c.LineTo(170, 110);
  c.MoveTo(100, 0);
  c.LineTo(20, 130);
  c.Brush.style = TBrushStyle::Pattern;
  c.Brush.pattern = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
  c.FillRect({5, 60, 45, 95});
}

TEST(CanvasClipping, OffsetWindowsSeeTheSamePixels) {
  Bitmap32 whole(160, 140, kWhite);
  TCanvas reference(whole);
  DrawScene(reference);
  for (const Point shift : {Point{0, 0}, Point{37, 21}, Point{90, 70}, Point{-8, 50}}) {
    Bitmap32 part(48, 40, kWhite);
    TCanvas c(part);
    c.SetOrigin({-shift.x, -shift.y});
    DrawScene(c);
    for (int y = 0; y < part.Height(); ++y)
      for (int x = 0; x < part.Width(); ++x) {
        const int wx = x + shift.x, wy = y + shift.y;
        // The pattern follows the target grid, so compare it only where grids agree.
        const bool inPattern = Rect{5, 60, 45, 95}.Contains({wx, wy});
        if (!whole.Bounds().Contains({wx, wy}) || (inPattern && (shift.x % 8 || shift.y % 8)))
          continue;
        ASSERT_EQ(part.Pixel(x, y), whole.Pixel(wx, wy))
            << "shift " << shift.x << "," << shift.y << " at " << x << "," << y;
      }
  }
}

TEST(CanvasClipping, ClipLimitsEveryOperationAndOnlyNarrows) {
  Bitmap32 whole(160, 140, kWhite);
  TCanvas reference(whole);
  DrawScene(reference);
  Bitmap32 clipped(160, 140, kWhite);
  TCanvas c(clipped);
  const Rect clip{25, 18, 101, 77};
  {
    const TCanvas::StateSaver narrow(c, clip);
    const TCanvas::StateSaver wider(c, {-100, -100, 5000, 5000});
    EXPECT_EQ(c.ClipRect(), clip);
    DrawScene(c);
  }
  for (int y = 0; y < 140; ++y)
    for (int x = 0; x < 160; ++x)
      ASSERT_EQ(clipped.Pixel(x, y), clip.Contains({x, y}) ? whole.Pixel(x, y) : kWhite)
          << x << "," << y;
  EXPECT_EQ(c.ClipRect(), clipped.Bounds());
}

TEST(CanvasClipping, HugeNegativeAndOutsideCoordinates) {
  Bitmap32 bmp(30, 20, kWhite);
  TCanvas canvas = Prepared(bmp);
  canvas.Rectangle({100, 100, 200, 200});
  canvas.Ellipse({-300, -300, -1, -1});
  canvas.RoundRect({INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 10}, 16, 16);
  const Point far[] = {{INT_MAX, INT_MAX}, {INT_MAX - 5, INT_MAX}, {INT_MAX, INT_MAX - 9}};
  canvas.Polygon(far);
  canvas.MoveTo(INT_MIN, INT_MIN);
  canvas.LineTo(INT_MIN, INT_MAX);
  canvas.SetPixel(-1, 5, clRed);
  canvas.SetPixel(30, 5, clRed);
  EXPECT_EQ(Count(bmp, kWhite), 30 * 20) << "nothing visible was drawn";

  canvas.Pen.clear = true;
  canvas.Rectangle({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
  EXPECT_EQ(Count(bmp, kBluePx), 30 * 20);

  Bitmap32 line(30, 20, kWhite);
  TCanvas l = Prepared(line);
  l.MoveTo(-1000000000, 10);
  l.LineTo(1000000000, 10);  // crosses the whole bitmap; only visible steps are visited
  EXPECT_EQ(Count(line, kRedPx), 30);

  Bitmap32 partly(30, 20, kWhite);
  TCanvas p = Prepared(partly);
  p.SetOrigin({INT_MAX, INT_MIN});
  p.FillRect({INT_MIN, INT_MAX - 5, INT_MIN + 3, INT_MAX});
  EXPECT_EQ(Count(partly, kWhite), 30 * 20);
}

TEST(CanvasClipping, StateSaverRestoresOriginClipAndTools) {
  Bitmap32 bmp(10, 10, kWhite);
  TCanvas canvas(bmp);
  canvas.Brush.color = clRed;
  {
    TCanvas::StateSaver saver(canvas);
    canvas.SetOrigin({4, 4});
    const TCanvas::StateSaver clip(canvas, {0, 0, 2, 2});  // drawing coordinates
    canvas.Brush.color = clLime;
    canvas.Pen.width = 3;
    canvas.Font.height = 40;
    canvas.FillRect({0, 0, 100, 100});
  }
  EXPECT_EQ(Count(bmp, kLimePx), 4);
  EXPECT_EQ(canvas.Origin(), (Point{0, 0}));
  EXPECT_EQ(canvas.ClipRect(), bmp.Bounds());
  EXPECT_EQ(canvas.Brush.color, clRed);
  EXPECT_EQ(canvas.Pen.width, 1);
  EXPECT_EQ(canvas.Font.height, TFont().height);
}

TEST(CanvasPatterns, AlignedToTheTargetGrid) {
  Bitmap32 bmp(40, 40, kWhite);
  TCanvas canvas(bmp);
  canvas.Brush.style = TBrushStyle::Pattern;
  canvas.Brush.color = clRed;
  canvas.Brush.patternBackground = clLime;
  canvas.Brush.pattern = {0x80, 0x01, 0xFF, 0x00, 0xAA, 0x55, 0x0F, 0xF0};
  canvas.SetOrigin({3, 5});
  canvas.FillRect({0, 0, 20, 20});  // target 3..22 x 5..24
  for (int y = 5; y < 25; ++y)
    for (int x = 3; x < 23; ++x) {
      const bool set = (canvas.Brush.pattern[y % 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(bmp.Pixel(x, y), set ? kRedPx : kLimePx) << x << "," << y;
    }
  EXPECT_EQ(bmp.Pixel(2, 5), kWhite);
}

TEST(CanvasPatterns, MaskModeLeavesClearBitsAlone) {
  Bitmap32 bmp(16, 16, kWhite);
  TCanvas canvas(bmp);
  canvas.Pen.clear = true;
  canvas.Brush.style = TBrushStyle::Pattern;
  canvas.Brush.color = clBlue;
  canvas.Brush.patternMask = true;
  // Shadow colour where column and row differ in oddness.
  canvas.Brush.pattern = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  canvas.RoundRect({0, 0, 16, 16}, 4, 4);
  for (int y = 2; y < 14; ++y)
    for (int x = 2; x < 14; ++x)
      ASSERT_EQ(bmp.Pixel(x, y), (x + y) % 2 ? kBluePx : kWhite) << x << "," << y;
}

TEST(CanvasPixels, SetAndGetFollowOriginAndClip) {
  Bitmap32 bmp(10, 10, kWhite);
  TCanvas canvas(bmp);
  canvas.SetOrigin({2, 3});
  canvas.SetPixel(1, 1, clRed);
  EXPECT_EQ(bmp.Pixel(3, 4), kRedPx);
  EXPECT_EQ(canvas.GetPixel(1, 1), clRed);
  const TCanvas::StateSaver clip(canvas, {-2, -3, 1, 0});
  EXPECT_EQ(canvas.GetPixel(1, 1), 0xFFFFFFFFu) << "outside the clip";
  EXPECT_EQ(canvas.GetPixel(-100, 5000), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tazu
