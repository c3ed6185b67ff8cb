#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Canvas.h"

namespace tazu {
namespace {

constexpr uint32_t kBackground = MakePixel(40, 80, 120);

// A w x h picture whose every pixel is distinct: (x, y) -> red x, green y.
Bitmap32 Numbered(int w, int h, uint8_t alpha = 0xFF) {
  Bitmap32 image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.SetPixel(x, y, MakePixel(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7, alpha));
  return image;
}

int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

TEST(CanvasDraw, CopiesOpaquePicturesAndClipsThem) {
  Bitmap32 bmp(10, 8, kBackground);
  TCanvas canvas(bmp);
  const Bitmap32 picture = Numbered(4, 3);
  canvas.Draw(-2, 6, picture);  // only (2..3, 0..1) land on the bitmap
  EXPECT_EQ(bmp.Pixel(0, 6), picture.Pixel(2, 0));
  EXPECT_EQ(bmp.Pixel(1, 7), picture.Pixel(3, 1));
  EXPECT_EQ(bmp.Pixel(2, 6), kBackground);
  canvas.SetOrigin({5, 1});
  const TCanvas::StateSaver clip(canvas, {1, -1, 5, 1});  // 6..9 x 0..1 of the bitmap
  canvas.Draw(0, 0, picture);
  EXPECT_EQ(bmp.Pixel(5, 1), kBackground);  // clipped
  EXPECT_EQ(bmp.Pixel(6, 1), picture.Pixel(1, 0));
  EXPECT_EQ(bmp.Pixel(7, 2), kBackground);
  canvas.Draw(100000, -100000, picture);
  canvas.Draw(INT32_MAX, INT32_MIN, picture);
}

TEST(CanvasDraw, BlendsStraightAlpha) {
  for (const int alpha : {0, 1, 64, 128, 200, 254, 255}) {
    Bitmap32 bmp(3, 1, kBackground);
    TCanvas canvas(bmp);
    Bitmap32 source(1, 1, MakePixel(250, 10, 100, static_cast<uint8_t>(alpha)));
    canvas.Draw(1, 0, source);
    const uint32_t out = bmp.Pixel(1, 0);
    const uint32_t src = source.Pixel(0, 0);
    for (const int shift : {0, 8, 16}) {
      const double expected =
          (Channel(src, shift) * alpha + Channel(kBackground, shift) * (255 - alpha)) / 255.0;
      EXPECT_NEAR(Channel(out, shift), expected, 0.51) << "alpha " << alpha;
    }
    EXPECT_EQ(PixelA(out), 0xFF) << "an opaque target stays opaque";
    EXPECT_EQ(bmp.Pixel(0, 0), kBackground);
  }
}

TEST(CanvasDraw, TransparentColourIsSkippedWhateverItsAlpha) {
  Bitmap32 bmp(4, 1, kBackground);
  TCanvas canvas(bmp);
  Bitmap32 source(4, 1, MakePixel(255, 0, 255));
  source.SetPixel(1, 0, MakePixel(1, 2, 3));
  source.SetPixel(2, 0, MakePixel(255, 0, 255, 0x10));
  canvas.DrawTransparent(0, 0, source, MakePixel(255, 0, 255, 0x80));
  EXPECT_EQ(bmp.Pixel(0, 0), kBackground);
  EXPECT_EQ(bmp.Pixel(1, 0), MakePixel(1, 2, 3));
  EXPECT_EQ(bmp.Pixel(2, 0), kBackground);
  EXPECT_EQ(bmp.Pixel(3, 0), kBackground);
}

TEST(CanvasStretch, NearestNeighbourUpAndDown) {
  Bitmap32 bmp(8, 8, kBackground);
  TCanvas canvas(bmp);
  const Bitmap32 small = Numbered(2, 2);
  canvas.StretchDraw({0, 0, 4, 6}, small);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bmp.Pixel(x, y), small.Pixel(x / 2, y / 3));
  EXPECT_EQ(bmp.Pixel(4, 0), kBackground);
  EXPECT_EQ(bmp.Pixel(0, 6), kBackground);

  Bitmap32 down(2, 2, kBackground);
  TCanvas d(down);
  const Bitmap32 big = Numbered(8, 8);
  d.StretchDraw({0, 0, 2, 2}, big);
  // Sampled at pixel centres: 2 and 6 of each axis.
  EXPECT_EQ(down.Pixel(0, 0), big.Pixel(2, 2));
  EXPECT_EQ(down.Pixel(1, 1), big.Pixel(6, 6));

  // Partly outside and with translucent pixels.
  Bitmap32 edge(4, 4, kBackground);
  TCanvas e(edge);
  e.StretchDraw({-4, -4, 4, 4}, Numbered(2, 2, 0));
  EXPECT_EQ(edge.Pixel(0, 0), kBackground);
  e.StretchDraw({-4, -4, 4, 4}, Numbered(2, 2));
  EXPECT_EQ(edge.Pixel(3, 3), Numbered(2, 2).Pixel(1, 1));
  e.StretchDraw({0, 0, 0, 4}, Numbered(2, 2));  // empty destination
  e.StretchDraw({0, 0, 4, 4}, Bitmap32());      // empty source
}

TEST(CanvasStretch, CopyRectCopiesOrStretchesAPart) {
  const Bitmap32 source = Numbered(10, 10, 0x40);
  Bitmap32 bmp(6, 6, kBackground);
  TCanvas canvas(bmp);
  canvas.CopyRect({1, 1, 4, 3}, source, {5, 6, 8, 8});
  EXPECT_EQ(bmp.Pixel(1, 1), source.Pixel(5, 6)) << "a plain copy, alpha included";
  EXPECT_EQ(bmp.Pixel(3, 2), source.Pixel(7, 7));
  EXPECT_EQ(bmp.Pixel(4, 1), kBackground);
  canvas.CopyRect({0, 0, 6, 6}, source, {0, 0, 3, 3});
  EXPECT_EQ(bmp.Pixel(5, 5), source.Pixel(2, 2));
  EXPECT_EQ(bmp.Pixel(1, 0), source.Pixel(0, 0));
  // Source parts outside the source leave the target alone.
  Bitmap32 other(4, 4, kBackground);
  TCanvas o(other);
  o.CopyRect({0, 0, 4, 4}, source, {8, 8, 12, 12});
  EXPECT_EQ(other.Pixel(1, 1), source.Pixel(9, 9));
  EXPECT_EQ(other.Pixel(2, 2), kBackground);
}

}  // namespace
}  // namespace tazu
