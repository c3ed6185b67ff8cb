// TCanvas: the software device context every form paints with. Coordinates are
// widened to 64 bits and clamped to +-2^28 before use (the range a classic device
// context accepts), so no input can overflow; every write goes through the clip.
// Filled shapes are described row by row (one run per row), which keeps huge or
// partly visible shapes cheap: only visible rows and columns are ever visited.
#include "framework/Canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace tazu {

namespace {

constexpr int64_t kCoordLimit = int64_t{1} << 28;
constexpr int kLimit = static_cast<int>(kCoordLimit);
constexpr Rect kEverywhere{-kLimit, -kLimit, kLimit, kLimit};
constexpr int kPatternSize = 8;
constexpr int kPatternMask = kPatternSize - 1;
constexpr int kPatternTopBit = 7;
constexpr uint32_t kAlphaShift = 24;
constexpr uint32_t kOpaqueAlpha = 0xFF;
constexpr uint32_t kChannelMax = 255;
constexpr TColor kInvalidColor = 0xFFFFFFFF;  // GetPixel outside the clip
constexpr int kTabStopChars = 8;
constexpr char kAverageWidthSample[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kAverageWidthSampleLength = sizeof kAverageWidthSample - 1;

int64_t Clamp(int64_t v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }

struct Span {
  int64_t left = 0;
  int64_t right = -1;  // inclusive; empty when right < left
  bool Empty() const { return right < left; }
};

Span Intersect(Span a, Span b) { return {std::max(a.left, b.left), std::min(a.right, b.right)}; }

// One channel of straight-alpha "source over": c = (s*a + d*(255-a)) / 255, rounded.
uint32_t BlendChannel(uint32_t s, uint32_t d, uint32_t a) {
  return (s * a + d * (kChannelMax - a) + kChannelMax / 2) / kChannelMax;
}

uint32_t BlendOver(uint32_t src, uint32_t dst) {
  const uint32_t a = PixelA(src);
  if (a == kOpaqueAlpha) return src;
  if (a == 0) return dst;
  const uint32_t outA = a + (PixelA(dst) * (kChannelMax - a) + kChannelMax / 2) / kChannelMax;
  return MakePixel(static_cast<uint8_t>(BlendChannel(PixelR(src), PixelR(dst), a)),
                   static_cast<uint8_t>(BlendChannel(PixelG(src), PixelG(dst), a)),
                   static_cast<uint8_t>(BlendChannel(PixelB(src), PixelB(dst), a)),
                   static_cast<uint8_t>(outA));
}

constexpr uint32_t kRgbMask = 0x00FFFFFF;

int PenWidth(const TPen& pen) { return std::max(1, pen.width); }

// Ellipse inscribed in the box (l, t, r, b). Each row takes its width from the row
// edge nearest the centre, so the outline touches all four sides of the box and is
// symmetric; a pixel is inside when its centre lies within that width.
Span EllipseRow(int64_t l, int64_t t, int64_t r, int64_t b, int64_t y) {
  if (y < t || y >= b || r <= l) return {};
  const double cx = (static_cast<double>(l) + static_cast<double>(r)) / 2;
  const double cy = (static_cast<double>(t) + static_cast<double>(b)) / 2;
  const double rx = static_cast<double>(r - l) / 2;
  const double ry = static_cast<double>(b - t) / 2;
  const double top = static_cast<double>(y);
  double nearest = cy;
  if (top + 1 <= cy)
    nearest = top + 1;
  else if (top >= cy)
    nearest = top;
  const double d = (nearest - cy) / ry;
  const double hw = rx * std::sqrt(std::max(0.0, 1 - d * d));
  Span s{static_cast<int64_t>(std::ceil(cx - hw - 0.5)),
         static_cast<int64_t>(std::floor(cx + hw - 0.5))};
  if (s.Empty())
    s = {static_cast<int64_t>(std::floor(cx - 0.5)), static_cast<int64_t>(std::ceil(cx - 0.5))};
  return s;
}

}  // namespace

// A rectangle, ellipse or rounded rectangle (corners quarter ellipses of
// cornerW x cornerH) over the box [l, r) x [t, b).
struct TCanvas::RowShape {
  enum class Kind { Rect, Ellipse, RoundRect };
  Kind kind = Kind::Rect;
  int64_t l = 0, t = 0, r = 0, b = 0;
  int64_t cornerW = 0, cornerH = 0;

  Span Row(int64_t y) const {
    if (y < t || y >= b || r <= l) return {};
    switch (kind) {
      case Kind::Rect:
        return {l, r - 1};
      case Kind::Ellipse:
        return EllipseRow(l, t, r, b, y);
      case Kind::RoundRect:
        return RoundRow(y);
    }
    return {};
  }

  Span RoundRow(int64_t y) const {
    const double row = static_cast<double>(y) + 0.5;
    const double half = static_cast<double>(cornerH) / 2;
    if (row < static_cast<double>(t) + half)
      return {EllipseRow(l, t, l + cornerW, t + cornerH, y).left,
              EllipseRow(r - cornerW, t, r, t + cornerH, y).right};
    if (row > static_cast<double>(b) - half)
      return {EllipseRow(l, b - cornerH, l + cornerW, b, y).left,
              EllipseRow(r - cornerW, b - cornerH, r, b, y).right};
    return {l, r - 1};
  }

  // The same shape shrunk by `by` pixels on every side (the inside of a wide pen).
  RowShape Inset(int64_t by) const {
    RowShape s = *this;
    s.l += by;
    s.t += by;
    s.r -= by;
    s.b -= by;
    s.cornerW = std::max<int64_t>(0, cornerW - 2 * by);
    s.cornerH = std::max<int64_t>(0, cornerH - 2 * by);
    return s;
  }
};

TCanvas::TCanvas(Bitmap32& target, FontEngine* fonts)
    : target_(&target), fonts_(fonts), clip_(kEverywhere) {}

FontEngine& TCanvas::Fonts() const {
  return fonts_ != nullptr ? *fonts_ : throw std::logic_error("Text on a canvas without fonts");
}

TCanvas::StateSaver::StateSaver(TCanvas& canvas)
    : canvas_(canvas),
      origin_(canvas.origin_),
      clip_(canvas.clip_),
      brush_(canvas.Brush),
      pen_(canvas.Pen),
      font_(canvas.Font) {}

TCanvas::StateSaver::StateSaver(TCanvas& canvas, const Rect& clipTo) : StateSaver(canvas) {
  canvas.clip_ = canvas.clip_.Intersect(canvas.ToTarget(clipTo));
}

TCanvas::StateSaver::~StateSaver() {
  canvas_.origin_ = origin_;
  canvas_.clip_ = clip_;
  canvas_.Brush = brush_;
  canvas_.Pen = pen_;
  canvas_.Font = font_;
}

Rect TCanvas::EffectiveClip() const { return clip_.Intersect(target_->Bounds()); }

Rect TCanvas::ToTarget(const Rect& r) const {
  return {static_cast<int>(Clamp(int64_t{r.left} + origin_.x)),
          static_cast<int>(Clamp(int64_t{r.top} + origin_.y)),
          static_cast<int>(Clamp(int64_t{r.right} + origin_.x)),
          static_cast<int>(Clamp(int64_t{r.bottom} + origin_.y))};
}

// ---- spans and pens --------------------------------------------------------

void TCanvas::SolidSpan(int64_t ty, int64_t tx0, int64_t tx1, uint32_t pixel) {
  const Rect clip = EffectiveClip();
  if (ty < clip.top || ty >= clip.bottom) return;
  const int64_t x0 = std::max<int64_t>(tx0, clip.left);
  const int64_t x1 = std::min<int64_t>(tx1, clip.right);
  if (x0 >= x1) return;
  uint32_t* row = target_->Row(static_cast<int>(ty));
  std::fill(row + x0, row + x1, pixel);
}

void TCanvas::BrushSpan(int64_t ty, int64_t tx0, int64_t tx1) {
  if (Brush.style == TBrushStyle::Clear) return;
  if (Brush.style == TBrushStyle::Solid) {
    SolidSpan(ty, tx0, tx1, ColorToPixel(Brush.color));
    return;
  }
  const Rect clip = EffectiveClip();
  if (ty < clip.top || ty >= clip.bottom) return;
  const int64_t x0 = std::max<int64_t>(tx0, clip.left);
  const int64_t x1 = std::min<int64_t>(tx1, clip.right);
  // The pattern is anchored to the target's pixel grid, so neighbouring fills join.
  const uint8_t bits = Brush.pattern[static_cast<size_t>(ty & kPatternMask)];
  const uint32_t fore = ColorToPixel(Brush.color);
  const uint32_t back = ColorToPixel(Brush.patternBackground);
  uint32_t* row = target_->Row(static_cast<int>(ty));
  for (int64_t x = x0; x < x1; ++x) {
    const bool set = ((bits >> (kPatternTopBit - (x & kPatternMask))) & 1) != 0;
    if (set)
      row[x] = fore;
    else if (!Brush.patternMask)
      row[x] = back;
  }
}

void TCanvas::FillSpan(int y, int x0, int x1) {
  BrushSpan(int64_t{y} + origin_.y, Clamp(int64_t{x0} + origin_.x), Clamp(int64_t{x1} + origin_.x));
}

void TCanvas::PenDot(int64_t tx, int64_t ty) {
  if (Pen.clear) return;
  const int w = PenWidth(Pen);
  const int64_t x0 = tx - (w - 1) / 2;
  const int64_t y0 = ty - (w - 1) / 2;
  for (int64_t y = y0; y < y0 + w; ++y) SolidSpan(y, x0, x0 + w, ColorToPixel(Pen.color));
}

void TCanvas::PlotPen(int x, int y) {
  PenDot(Clamp(int64_t{x} + origin_.x), Clamp(int64_t{y} + origin_.y));
}

// Bresenham's line without its end point. Each pixel is computed from its step
// number, so only the steps inside the clip are visited.
void TCanvas::PenLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  if (Pen.clear) return;
  const int64_t adx = std::abs(x1 - x0), ady = std::abs(y1 - y0);
  const int64_t sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  const bool xMajor = adx >= ady;
  const int64_t n = xMajor ? adx : ady;
  const int64_t minor = xMajor ? ady : adx;
  if (n == 0) return;
  const Rect clip = EffectiveClip();
  const int64_t reach = PenWidth(Pen);
  const int64_t lo = xMajor ? clip.left - reach : clip.top - reach;
  const int64_t hi = xMajor ? clip.right + reach : clip.bottom + reach;
  const int64_t start = xMajor ? x0 : y0;
  const int64_t dir = xMajor ? sx : sy;
  // Steps i with lo <= start + dir*i < hi, within [0, n).
  int64_t first = dir > 0 ? lo - start : start - hi + 1;
  int64_t last = dir > 0 ? hi - 1 - start : start - lo;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, n - 1);
  for (int64_t i = first; i <= last; ++i) {
    const int64_t major = start + dir * i;
    const int64_t offset = (2 * i * minor + n) / (2 * n);
    if (xMajor)
      PenDot(major, y0 + sy * offset);
    else
      PenDot(x0 + sx * offset, major);
  }
}

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
  PenLine(Clamp(int64_t{penPos_.x} + origin_.x), Clamp(int64_t{penPos_.y} + origin_.y),
          Clamp(int64_t{x} + origin_.x), Clamp(int64_t{y} + origin_.y));
  penPos_ = {x, y};
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  const int64_t tx = int64_t{x} + origin_.x, ty = int64_t{y} + origin_.y;
  SolidSpan(ty, tx, tx + 1, ColorToPixel(color));
}

TColor TCanvas::GetPixel(int x, int y) const {
  const int64_t tx = int64_t{x} + origin_.x, ty = int64_t{y} + origin_.y;
  const Rect clip = EffectiveClip();
  if (tx < clip.left || tx >= clip.right || ty < clip.top || ty >= clip.bottom)
    return kInvalidColor;
  return PixelToColor(target_->Pixel(static_cast<int>(tx), static_cast<int>(ty)));
}

void TCanvas::BlendPixel(int tx, int ty, uint32_t pixel) {
  if (!EffectiveClip().Contains({tx, ty})) return;
  uint32_t& dst = target_->Row(ty)[tx];
  dst = BlendOver(pixel, dst);
}

// ---- shapes ----------------------------------------------------------------

void TCanvas::PaintShape(const RowShape& outer, const RowShape& inner) {
  const Rect clip = EffectiveClip();
  const int64_t top = std::max<int64_t>(outer.t, clip.top);
  const int64_t bottom = std::min<int64_t>(outer.b, clip.bottom);
  const uint32_t penPixel = ColorToPixel(Pen.color);
  for (int64_t y = top; y < bottom; ++y) {
    const Span s = outer.Row(y);
    if (s.Empty()) continue;
    if (Pen.clear) {
      BrushSpan(y, s.left, s.right + 1);
      continue;
    }
    // Interior pixels have all four neighbours inside `inner`.
    const Span mid = inner.Row(y);
    Span in =
        Intersect(Intersect(inner.Row(y - 1), inner.Row(y + 1)), {mid.left + 1, mid.right - 1});
    if (in.Empty()) {
      SolidSpan(y, s.left, s.right + 1, penPixel);
      continue;
    }
    SolidSpan(y, s.left, in.left, penPixel);
    BrushSpan(y, in.left, in.right + 1);
    SolidSpan(y, in.right + 1, s.right + 1, penPixel);
  }
}

void TCanvas::FillRect(const Rect& r) {
  const Rect t = ToTarget(r);
  const Rect clip = EffectiveClip();
  for (int64_t y = std::max(t.top, clip.top); y < std::min(t.bottom, clip.bottom); ++y)
    BrushSpan(y, t.left, t.right);
}

void TCanvas::FrameRect(const Rect& r) {
  const Rect t = ToTarget(r);
  if (t.IsEmpty()) return;
  const Rect clip = EffectiveClip();
  for (int64_t y = std::max(t.top, clip.top); y < std::min(t.bottom, clip.bottom); ++y) {
    if (y == t.top || y == t.bottom - 1) {
      BrushSpan(y, t.left, t.right);
    } else {
      BrushSpan(y, t.left, int64_t{t.left} + 1);
      BrushSpan(y, int64_t{t.right} - 1, t.right);
    }
  }
}

void TCanvas::Rectangle(const Rect& r) {
  const Rect t = ToTarget(r);
  RowShape shape{RowShape::Kind::Rect, t.left, t.top, t.right, t.bottom, 0, 0};
  PaintShape(shape, shape.Inset(PenWidth(Pen) - 1));
}

void TCanvas::RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight) {
  const Rect t = ToTarget(r);
  const int64_t cw = std::min<int64_t>(std::abs(int64_t{ellipseWidth}), int64_t{t.right} - t.left);
  const int64_t ch = std::min<int64_t>(std::abs(int64_t{ellipseHeight}), int64_t{t.bottom} - t.top);
  const RowShape::Kind kind = cw > 0 && ch > 0 ? RowShape::Kind::RoundRect : RowShape::Kind::Rect;
  RowShape shape{kind, t.left, t.top, t.right, t.bottom, cw, ch};
  PaintShape(shape, shape.Inset(PenWidth(Pen) - 1));
}

void TCanvas::Ellipse(const Rect& r) {
  const Rect t = ToTarget(r);
  RowShape shape{RowShape::Kind::Ellipse, t.left, t.top, t.right, t.bottom, 0, 0};
  PaintShape(shape, shape.Inset(PenWidth(Pen) - 1));
}

// Even-odd scanline fill sampled at integer points (left and top edges inside,
// right and bottom outside), then the outline with the pen.
void TCanvas::Polygon(std::span<const Point> points) {
  if (points.empty()) return;
  std::vector<std::pair<int64_t, int64_t>> p;
  p.reserve(points.size());
  for (const Point& q : points)
    p.emplace_back(Clamp(int64_t{q.x} + origin_.x), Clamp(int64_t{q.y} + origin_.y));
  int64_t minY = p[0].second, maxY = p[0].second;
  for (const auto& q : p) {
    minY = std::min(minY, q.second);
    maxY = std::max(maxY, q.second);
  }
  const Rect clip = EffectiveClip();
  std::vector<double> crossings;
  if (Brush.style != TBrushStyle::Clear) {
    for (int64_t y = std::max<int64_t>(minY, clip.top); y < std::min<int64_t>(maxY, clip.bottom);
         ++y) {
      crossings.clear();
      for (size_t i = 0; i < p.size(); ++i) {
        const auto& a = p[i];
        const auto& b = p[(i + 1) % p.size()];
        if ((a.second <= y && y < b.second) || (b.second <= y && y < a.second)) {
          const double f =
              static_cast<double>(y - a.second) / static_cast<double>(b.second - a.second);
          crossings.push_back(static_cast<double>(a.first) +
                              f * static_cast<double>(b.first - a.first));
        }
      }
      std::sort(crossings.begin(), crossings.end());
      for (size_t i = 0; i + 1 < crossings.size(); i += 2)
        BrushSpan(y, static_cast<int64_t>(std::ceil(crossings[i])),
                  static_cast<int64_t>(std::ceil(crossings[i + 1])));
    }
  }
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& a = p[i];
    const auto& b = p[(i + 1) % p.size()];
    PenLine(a.first, a.second, b.first, b.second);
  }
  if (p.size() == 1) PenDot(p[0].first, p[0].second);
}

// ---- pictures --------------------------------------------------------------

namespace {

// Target rectangle of a picture drawn at drawing position (x, y), without overflow.
Rect PictureBox(Point origin, int x, int y, const Bitmap32& source) {
  const int64_t left = Clamp(int64_t{x} + origin.x), top = Clamp(int64_t{y} + origin.y);
  return {static_cast<int>(left), static_cast<int>(top),
          static_cast<int>(Clamp(left + source.Width())),
          static_cast<int>(Clamp(top + source.Height()))};
}

}  // namespace

void TCanvas::Draw(int x, int y, const Bitmap32& source) {
  const Rect dest = PictureBox(origin_, x, y, source);
  const Rect vis = dest.Intersect(EffectiveClip());
  for (int ty = vis.top; ty < vis.bottom; ++ty) {
    const uint32_t* src = source.Row(ty - dest.top) + (vis.left - dest.left);
    uint32_t* dst = target_->Row(ty) + vis.left;
    for (int i = 0, n = vis.Width(); i < n; ++i) dst[i] = BlendOver(src[i], dst[i]);
  }
}

void TCanvas::DrawTransparent(int x, int y, const Bitmap32& source, uint32_t transparentPixel) {
  const Rect dest = PictureBox(origin_, x, y, source);
  const Rect vis = dest.Intersect(EffectiveClip());
  const uint32_t key = transparentPixel & kRgbMask;
  for (int ty = vis.top; ty < vis.bottom; ++ty) {
    const uint32_t* src = source.Row(ty - dest.top) + (vis.left - dest.left);
    uint32_t* dst = target_->Row(ty) + vis.left;
    for (int i = 0, n = vis.Width(); i < n; ++i)
      if ((src[i] & kRgbMask) != key) dst[i] = BlendOver(src[i], dst[i]);
  }
}

namespace {

// Source index of each destination index for a nearest-neighbour stretch of
// `srcLen` pixels over `dstLen`, sampled at pixel centres.
int64_t StretchIndex(int64_t i, int64_t srcLen, int64_t dstLen) {
  return ((2 * i + 1) * srcLen) / (2 * dstLen);
}

// Maps every visible pixel of the target rectangle `d` to `sourceRect` of `source`
// (nearest neighbour) and combines the two with `op`; source pixels outside the
// source bitmap leave the target alone.
template <class Op>
void StretchPixels(Bitmap32& target, const Rect& clip, const Rect& d, const Bitmap32& source,
                   const Rect& sourceRect, Op op) {
  if (d.IsEmpty() || sourceRect.IsEmpty()) return;
  const Rect vis = d.Intersect(clip);
  if (vis.IsEmpty()) return;
  const int64_t dw = int64_t{d.right} - d.left, dh = int64_t{d.bottom} - d.top;
  const int64_t sw = int64_t{sourceRect.right} - sourceRect.left;
  const int64_t sh = int64_t{sourceRect.bottom} - sourceRect.top;
  std::vector<int64_t> columns(static_cast<size_t>(vis.Width()));
  for (int x = vis.left; x < vis.right; ++x)
    columns[static_cast<size_t>(x - vis.left)] =
        sourceRect.left + StretchIndex(x - int64_t{d.left}, sw, dw);
  for (int ty = vis.top; ty < vis.bottom; ++ty) {
    const int64_t sy = sourceRect.top + StretchIndex(ty - int64_t{d.top}, sh, dh);
    if (sy < 0 || sy >= source.Height()) continue;
    const uint32_t* src = source.Row(static_cast<int>(sy));
    uint32_t* dst = target.Row(ty);
    for (int x = vis.left; x < vis.right; ++x) {
      const int64_t sx = columns[static_cast<size_t>(x - vis.left)];
      if (sx >= 0 && sx < source.Width()) dst[x] = op(src[sx], dst[x]);
    }
  }
}

}  // namespace

void TCanvas::StretchDraw(const Rect& dest, const Bitmap32& source) {
  StretchPixels(*target_, EffectiveClip(), ToTarget(dest), source, source.Bounds(), BlendOver);
}

void TCanvas::CopyRect(const Rect& dest, const Bitmap32& source, const Rect& sourceRect) {
  StretchPixels(*target_, EffectiveClip(), ToTarget(dest), source, sourceRect,
                [](uint32_t src, uint32_t) { return src; });
}

// ---- text ------------------------------------------------------------------

namespace {

int64_t SaturatingInt(int64_t v) {
  return std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

// Width of a run in which, when tabWidth > 0, each tab moves to the next multiple
// of tabWidth from the start of the run.
int MeasureRun(FontEngine& engine, const TFont& font, int tabWidth, std::string_view s) {
  if (tabWidth <= 0) return engine.LineWidth(font, s);
  int64_t pos = 0;
  size_t start = 0;
  for (;;) {
    const size_t tab = s.find('\t', start);
    pos +=
        engine.LineWidth(font, s.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) break;
    pos = (pos / tabWidth + 1) * tabWidth;
    start = tab + 1;
  }
  return static_cast<int>(std::min<int64_t>(pos, kCoordLimit));
}

int TabWidth(FontEngine& engine, const TFont& font) {
  const int sample = engine.LineWidth(font, kAverageWidthSample);
  const int average = (sample + kAverageWidthSampleLength / 2) / kAverageWidthSampleLength;
  return std::max(1, average * kTabStopChars);
}

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

// Text split into the lines DrawText shows. Prefix characters are already taken
// out of `text`; `underlined` marks the characters they stood before.
struct TCanvas::TextLayout {
  struct Line {
    size_t begin = 0;
    size_t end = 0;
    int width = 0;
  };
  std::string text;
  std::vector<bool> underlined;
  std::vector<Line> lines;
  int tabWidth = 0;
  int maxWidth = 0;
  TextMetrics metrics;

  TextLayout(FontEngine& engine, const TFont& font, std::string_view source, unsigned flags,
             int64_t limit)
      : engine_(engine), font_(font) {
    StripPrefixes(source, (flags & DT_NOPREFIX) != 0, (flags & DT_SINGLELINE) != 0);
    metrics = engine.Metrics(font);
    if ((flags & DT_EXPANDTABS) && text.find('\t') != std::string::npos)
      tabWidth = TabWidth(engine, font);
    if (flags & DT_SINGLELINE) {
      AddLine(0, text.size());
      return;
    }
    size_t start = 0;
    for (;;) {
      size_t end = start;
      while (end < text.size() && !IsBreak(text[end])) ++end;
      if (flags & DT_WORDBREAK)
        Wrap(start, end, limit);
      else
        AddLine(start, end);
      if (end == text.size()) break;
      // "\r\n" counts as one break.
      start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
  }

  int Measure(size_t begin, size_t end) const {
    return MeasureRun(engine_, font_, tabWidth, std::string_view(text).substr(begin, end - begin));
  }

 private:
  FontEngine& engine_;
  const TFont& font_;

  void StripPrefixes(std::string_view source, bool noPrefix, bool singleLine) {
    for (size_t i = 0; i < source.size(); ++i) {
      char c = source[i];
      bool mark = false;
      if (!noPrefix && c == '&') {
        if (i + 1 == source.size()) break;  // a lone trailing '&' shows nothing
        c = source[++i];
        mark = c != '&';
      }
      if (singleLine && IsBreak(c)) c = ' ';
      text.push_back(c);
      underlined.push_back(mark);
    }
  }

  void AddLine(size_t begin, size_t end) {
    const int width = Measure(begin, end);
    lines.push_back({begin, end, width});
    maxWidth = std::max(maxWidth, width);
  }

  // Greedy breaking at spaces: a line takes words while it fits in `limit`; the
  // spaces at a break vanish; a word wider than the limit gets a line of its own
  // and is not cut.
  void Wrap(size_t begin, size_t end, int64_t limit) {
    size_t pos = begin;
    do {
      size_t lineEnd = pos;
      size_t i = pos;
      for (;;) {
        size_t j = i;
        while (j < end && text[j] == ' ') ++j;
        if (j == end) break;
        while (j < end && text[j] != ' ') ++j;
        if (lineEnd != pos && Measure(pos, j) > limit) break;
        lineEnd = j;
        i = j;
      }
      AddLine(pos, lineEnd);
      pos = lineEnd;
      while (pos < end && text[pos] == ' ') ++pos;
    } while (pos < end);
  }
};

Point TCanvas::TextExtent(std::string_view text) {
  FontEngine& engine = Fonts();
  return {engine.LineWidth(Font, text), engine.Metrics(Font).lineHeight};
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  const Point size = TextExtent(text);
  const Rect box = ToTarget(Rect{x, y, static_cast<int>(SaturatingInt(int64_t{x} + size.x)),
                                 static_cast<int>(SaturatingInt(int64_t{y} + size.y))});
  for (int64_t ty = box.top; ty < box.bottom; ++ty) BrushSpan(ty, box.left, box.right);
  Fonts().DrawLine(*target_, EffectiveClip(), box.left, box.top, Font, text);
}

int TCanvas::DrawText(std::string_view text, Rect& r, unsigned flags) {
  const int64_t limit = std::clamp<int64_t>(int64_t{r.right} - r.left, 0, kCoordLimit);
  const TextLayout layout(Fonts(), Font, text, flags, limit);
  const int lineHeight = layout.metrics.lineHeight;
  const int64_t total = static_cast<int64_t>(layout.lines.size()) * lineHeight;
  if (flags & DT_CALCRECT) {
    r.right = static_cast<int>(SaturatingInt(int64_t{r.left} + layout.maxWidth));
    r.bottom = static_cast<int>(SaturatingInt(int64_t{r.top} + total));
    return static_cast<int>(std::min<int64_t>(total, kCoordLimit));
  }
  int64_t top = r.top;
  const bool single = (flags & DT_SINGLELINE) != 0;
  if (single && (flags & DT_VCENTER))
    top = r.top + (int64_t{r.bottom} - r.top - lineHeight) / 2;
  else if (single && (flags & DT_BOTTOM))
    top = int64_t{r.bottom} - lineHeight;
  const StateSaver clipped(*this, (flags & DT_NOCLIP) ? kEverywhere : r);
  PaintText(layout, {r.left, static_cast<int>(Clamp(top)), r.right, r.bottom}, flags);
  if (single && (flags & (DT_VCENTER | DT_BOTTOM)))
    return static_cast<int>(Clamp(top + lineHeight - r.top));
  return static_cast<int>(std::min<int64_t>(total, kCoordLimit));
}

// Paints the laid-out lines from box.top down, aligned in [box.left, box.right).
void TCanvas::PaintText(const TextLayout& layout, const Rect& box, unsigned flags) {
  const Rect clip = EffectiveClip();
  const int lineHeight = layout.metrics.lineHeight;
  const uint32_t textPixel = ColorToPixel(Font.color);
  for (size_t n = 0; n < layout.lines.size(); ++n) {
    const TextLayout::Line& line = layout.lines[n];
    int64_t x = box.left;
    if (flags & DT_CENTER)
      x = box.left + (int64_t{box.right} - box.left - line.width) / 2;
    else if (flags & DT_RIGHT)
      x = int64_t{box.right} - line.width;
    const int64_t tx = Clamp(x + origin_.x);
    const int64_t ty = Clamp(box.top + static_cast<int64_t>(n) * lineHeight + origin_.y);
    if (ty >= clip.bottom) break;
    for (int64_t y = ty; y < ty + lineHeight; ++y) BrushSpan(y, tx, tx + line.width);
    const std::string_view text =
        std::string_view(layout.text).substr(line.begin, line.end - line.begin);
    size_t start = 0;
    for (;;) {
      const size_t tab = layout.tabWidth > 0 ? text.find('\t', start) : std::string_view::npos;
      const std::string_view chunk =
          text.substr(start, tab == std::string_view::npos ? tab : tab - start);
      const int offset = MeasureRun(*fonts_, Font, layout.tabWidth, text.substr(0, start));
      fonts_->DrawLine(*target_, clip, static_cast<int>(Clamp(tx + offset)), static_cast<int>(ty),
                       Font, chunk);
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    for (size_t i = line.begin; i < line.end; ++i) {
      if (!layout.underlined[i] || Font.underline) continue;
      const int64_t left = tx + layout.Measure(line.begin, i);
      const int64_t right = tx + layout.Measure(line.begin, i + 1);
      SolidSpan(ty + layout.metrics.ascent + 1, left, right, textPixel);
    }
  }
}

void DrawCaption(TCanvas& canvas, Rect r, std::string_view text, int height, TColor color) {
  TCanvas::StateSaver saved(canvas);
  canvas.Font.name = "Arial";
  canvas.Font.height = height;
  canvas.Font.bold = true;
  canvas.Font.color = color;
  canvas.Brush.style = TBrushStyle::Clear;
  canvas.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace tazu
