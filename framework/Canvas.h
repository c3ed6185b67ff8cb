// Software drawing onto a Bitmap32: fills, outlines, shapes, pictures and text.
// Shapes follow the classic device-context rules: a rectangle (l, t, r, b) covers
// columns l..r-1 and rows t..b-1; a line excludes its end point.
#pragma once

#include <span>
#include <string_view>

#include "framework/Fonts.h"
#include "framework/Graphics.h"
#include "platform/Pixels.h"

namespace tazu {

// Text layout flags (the classic DrawText values).
enum TextFlags : unsigned {
  DT_LEFT = 0x0,
  DT_CENTER = 0x1,
  DT_RIGHT = 0x2,
  DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_EXPANDTABS = 0x40,
  DT_NOCLIP = 0x100,
  DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800,
};

class TCanvas {
 public:
  // Text is measured and drawn with `fonts`; a canvas without them is for shapes and
  // pictures only.
  explicit TCanvas(Bitmap32& target, FontEngine* fonts = nullptr);

  TBrush Brush;
  TPen Pen;
  TFont Font;

  // Drawing coordinates are offset by Origin. All drawing is clipped to ClipRect (target
  // coordinates), at first the whole target.
  Point Origin() const { return origin_; }
  void SetOrigin(Point origin) { origin_ = origin; }
  Rect ClipRect() const { return EffectiveClip(); }

  // Restores origin, clip, brush, pen and font when it goes out of scope. Given `clipTo`
  // (drawing coordinates), it narrows the clip to it until then. Nothing widens a clip, so
  // what a form hands a control's Paint cannot reach past the control.
  class StateSaver {
   public:
    explicit StateSaver(TCanvas& canvas);
    StateSaver(TCanvas& canvas, const Rect& clipTo);
    ~StateSaver();
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

   private:
    TCanvas& canvas_;
    Point origin_;
    Rect clip_;
    TBrush brush_;
    TPen pen_;
    TFont font_;
  };

  void FillRect(const Rect& r);   // with Brush, no outline
  void FrameRect(const Rect& r);  // one-pixel frame in Brush.color
  void Rectangle(const Rect& r);  // Pen outline, Brush inside
  void RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight);
  void Ellipse(const Rect& r);
  void Polygon(std::span<const Point> points);  // Pen outline, Brush inside (even-odd)
  void MoveTo(int x, int y);
  void LineTo(int x, int y);  // with Pen, end point excluded
  void SetPixel(int x, int y, TColor color);
  TColor GetPixel(int x, int y) const;

  // Pictures: pixels with alpha below 255 are blended over what is there.
  void Draw(int x, int y, const Bitmap32& source);
  // Pixels equal to `transparentPixel` (alpha ignored) are skipped.
  void DrawTransparent(int x, int y, const Bitmap32& source, uint32_t transparentPixel);
  // Nearest-neighbour stretch of the whole source onto `dest`.
  void StretchDraw(const Rect& dest, const Bitmap32& source);
  // Copies `sourceRect` of `source` onto `dest` (same size: plain copy; else stretched).
  void CopyRect(const Rect& dest, const Bitmap32& source, const Rect& sourceRect);

  // Text in Font. Strings are ANSI (Windows-1252) bytes.
  Point TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).x; }
  int TextHeight(std::string_view text) { return TextExtent(text).y; }
  // Draws at (x, y) (top-left of the line); fills the text's box with Brush unless the
  // brush is clear.
  void TextOut(int x, int y, std::string_view text);
  // Lays out `text` in `r` by `flags`; with DT_CALCRECT only measures, setting r's right
  // and bottom to the extent. Returns the height of the text.
  int DrawText(std::string_view text, Rect& r, unsigned flags);

 private:
  // A shape given row by row as one run of pixels per row (target coordinates).
  struct RowShape;
  struct TextLayout;

  void BlendPixel(int tx, int ty, uint32_t pixel);  // target coordinates, clipped
  void FillSpan(int y, int x0, int x1);             // drawing coordinates [x0, x1), with Brush
  void PlotPen(int x, int y);                       // drawing coordinates, with Pen

  Rect EffectiveClip() const;
  Rect ToTarget(const Rect& r) const;
  // Target-coordinate helpers; every one clips to EffectiveClip().
  void BrushSpan(int64_t ty, int64_t tx0, int64_t tx1);  // [tx0, tx1)
  void SolidSpan(int64_t ty, int64_t tx0, int64_t tx1, uint32_t pixel);
  void PenDot(int64_t tx, int64_t ty);
  void PenLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
  // Outline from `outer` minus the interior of `inner` in the pen, the interior in
  // the brush.
  void PaintShape(const RowShape& outer, const RowShape& inner);
  void PaintText(const TextLayout& layout, const Rect& box, unsigned flags);
  FontEngine& Fonts() const;

  Bitmap32* target_;
  FontEngine* fonts_;
  Point origin_;
  Rect clip_;
  Point penPos_;
};

// A one-line caption centred in `r`, bold Arial of `height` pixels in `color`, over what
// is there: the labels of the artwork the program and its tools draw.
void DrawCaption(TCanvas& canvas, Rect r, std::string_view text, int height, TColor color);

}  // namespace tazu
