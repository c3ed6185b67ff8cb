#include "controls/ShapeHintWindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "framework/Application.h"
#include "framework/Canvas.h"

namespace tazu {
namespace {

// ---- sizes ----

// Added to the measured text on the right and at the bottom.
constexpr int kTextMargin = 6;
// The nose styles: text narrower than this still gets a body wide enough for the nose.
constexpr int kNoseMinTextWidth = 46;
constexpr int kNoseExtraWidth = 23;
constexpr int kNoseExtraHeight = 18;
// The nose-ellipse style leaves this much room for its nose beside the ellipse.
constexpr int kNoseRoom = 15;
constexpr int kRoundRectExtraWidth = 8;
constexpr int kRoundRectExtraHeight = 4;
constexpr int kRectTextOffset = 3;
constexpr int kRoundRectTextOffset = 5;
constexpr int kEllipseTextDivisor = 5;

// ---- the nose styles' shapes ----

// The body keeps this band free along the edges next to the nose.
constexpr int kNoseBand = 15;
constexpr int kNoseBaseWidth = 30;
// The nose's base starts this far from the body's edge (left-hand positions measure
// it from the body's right edge to the base's far end).
constexpr int kNoseBaseInset = 10;
// The base lies one pixel inside the body, on its outline's inner side.
constexpr int kNoseBaseDepth = 1;
constexpr int kCornerEllipse = 16;
constexpr int kNoseTextNear = 4;
constexpr int kNoseTextFar = kNoseTextNear + kNoseBand;
// hsNoseEllipse: the nose's base points on the ellipse, either side of the diagonal.
constexpr double kEllipseNoseHalfAngle = 25.0 * std::numbers::pi / 180.0;
// ... drawn just inside the outline so that the base line stays inside the body.
constexpr double kEllipseNoseInset = 1.5;

// hssTracing: the shadow colour on pixels whose column and row differ in oddness.
constexpr uint8_t kTracingEvenRow = 0x55;
constexpr uint8_t kTracingOddRow = 0xAA;

// Font3D: how far the highlight and shadow copies of the text lie off.
constexpr int kRaisedOffset = 1;
constexpr int kShadowedOffset = 2;

constexpr unsigned kMeasureFlags = DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX;
constexpr unsigned kDrawFlags = DT_WORDBREAK | DT_NOPREFIX;

constexpr int kPositionCount = 4;

bool IsNoseStyle(THintStyle style) {
  return style == THintStyle::hsNoseRect || style == THintStyle::hsNoseRoundRect ||
         style == THintStyle::hsNoseEllipse;
}

// The window's size for text rectangle `text` (W x H) and shadow depth d.
Point WindowSize(THintStyle style, const Rect& text, int d) {
  const int W = text.Width(), H = text.Height();
  switch (style) {
    case THintStyle::hsRect:
      return {W + d, H + d};
    case THintStyle::hsRoundRect:
      return {W + d + kRoundRectExtraWidth, H + d + kRoundRectExtraHeight};
    case THintStyle::hsEllipse:
      return {W + W / 3 + d, H + H / 3 + d};
    case THintStyle::hsNoseRect:
    case THintStyle::hsNoseRoundRect:
      return {std::max(W, kNoseMinTextWidth) + d + kNoseExtraWidth, H + d + kNoseExtraHeight};
    case THintStyle::hsNoseEllipse:
      return {W + W / 2 + d + kNoseRoom, H + H / 2 + d + kNoseRoom};
  }
  return {W, H};
}

// ---- placement ----

constexpr int kAboveGap = 1;       // between the pointer and a window above or to the left
constexpr int kBelowGap = 1;       // between the pointer and a window below
constexpr int kBelowLeftGap = 3;   // between the pointer and a window below-left
constexpr int kBelowRightGap = 6;  // beside the pointer's arrow

Point TopLeftFor(THintPosition position, Point p, Point size) {
  switch (position) {
    case THintPosition::hpAboveLeft:
      return {p.x - size.x - kAboveGap, p.y - size.y - kAboveGap};
    case THintPosition::hpAboveRight:
      return {p.x + kAboveGap, p.y - size.y - kAboveGap};
    case THintPosition::hpBelowLeft:
      return {p.x - size.x - kBelowLeftGap, p.y + kBelowGap};
    case THintPosition::hpBelowRight:
      return {p.x + kBelowRightGap, p.y + kBelowGap};
  }
  return p;
}

// Both corners on the screen, its right and bottom edges excluded.
bool Fits(const Rect& r, const Rect& screen) {
  return r.left >= screen.left && r.top >= screen.top && r.right < screen.right &&
         r.bottom < screen.bottom && !r.IsEmpty();
}

struct Placement {
  Rect bounds;
  THintPosition position;
};

// `wanted` first, then the following positions, wrapping round, four tries in all.
Placement Place(THintPosition wanted, Point anchor, Point size, const Rect& screen) {
  for (int i = 0; i < kPositionCount; ++i) {
    const auto position =
        static_cast<THintPosition>((static_cast<int>(wanted) + i) % kPositionCount);
    const Point at = TopLeftFor(position, anchor, size);
    const Rect bounds = Rect::FromSize(at.x, at.y, size.x, size.y);
    if (Fits(bounds, screen)) return {bounds, position};
  }
  // Nothing fits: the wanted place, moved onto the screen.
  Point at = TopLeftFor(wanted, anchor, size);
  at.x = std::max(std::min(at.x, screen.right - 1 - size.x), screen.left);
  at.y = std::max(std::min(at.y, screen.bottom - 1 - size.y), screen.top);
  return {Rect::FromSize(at.x, at.y, size.x, size.y), wanted};
}

// ---- shapes ----

// A nose-style shape: the body, and the nose from base point B to tip T and back to
// B + (kNoseBaseWidth, 0).
struct NoseOutline {
  Rect body;
  bool hasNose = true;
  Point base;
  Point tip;
};

NoseOutline BalloonOutline(THintPosition position, int w, int h, int d) {
  const int right = w - d, bottom = h - d;
  const int baseFromRight = kNoseBaseInset + kNoseBaseWidth + kNoseBand;
  const int baseFromLeft = kNoseBand + kNoseBaseInset;
  const int band = kNoseBand + kNoseBaseDepth;
  switch (position) {
    case THintPosition::hpAboveLeft:
      return {{0, 0, right - kNoseBand, bottom - kNoseBand},
              true,
              {right - baseFromRight, bottom - band},
              {right, bottom}};
    case THintPosition::hpAboveRight:
      return {{kNoseBand, 0, right, bottom - kNoseBand},
              true,
              {baseFromLeft, bottom - band},
              {0, bottom}};
    case THintPosition::hpBelowLeft:
      return {
          {0, kNoseBand, right - kNoseBand, bottom}, true, {right - baseFromRight, band}, {w, 0}};
    case THintPosition::hpBelowRight:
      return {{kNoseBand, kNoseBand, right, bottom}, true, {baseFromLeft, band}, {0, 0}};
  }
  return {};
}

NoseOutline ShadowOutline(THintPosition position, int w, int h, int d) {
  const int baseFromRight = kNoseBaseInset + kNoseBaseWidth + kNoseBand;
  const int baseFromLeft = kNoseBand + kNoseBaseInset;
  const int band = kNoseBand + kNoseBaseDepth;
  switch (position) {
    case THintPosition::hpAboveLeft:
      return {{d, d, w - kNoseBand, h - kNoseBand}, true, {w - baseFromRight, h - band}, {w, h}};
    case THintPosition::hpAboveRight:
      return {{d + kNoseBand, d, w, h - kNoseBand}, true, {d + baseFromLeft, h - band}, {0, h}};
    case THintPosition::hpBelowLeft:
      return {{d, d + kNoseBand, w - kNoseBand, h}, true, {w - baseFromRight, d + band}, {w, d}};
    case THintPosition::hpBelowRight:
      // The nose's shadow would lie under the balloon's own nose.
      return {{d + kNoseBand, d + kNoseBand, w, h}, false, {}, {}};
  }
  return {};
}

void DrawBody(TCanvas& canvas, THintStyle style, const Rect& r) {
  switch (style) {
    case THintStyle::hsRect:
    case THintStyle::hsNoseRect:
      canvas.Rectangle(r);
      break;
    case THintStyle::hsRoundRect:
    case THintStyle::hsNoseRoundRect:
      canvas.RoundRect(r, kCornerEllipse, kCornerEllipse);
      break;
    case THintStyle::hsEllipse:
    case THintStyle::hsNoseEllipse:
      canvas.Ellipse(r);
      break;
  }
}

// The two base points of an ellipse's nose, on the ellipse either side of the diagonal
// from its centre toward the tip's side.
std::array<Point, 2> EllipseNoseBase(const Rect& body, Point tip) {
  const double cx = (body.left + body.right) / 2.0, cy = (body.top + body.bottom) / 2.0;
  const double rx = std::max(0.0, body.Width() / 2.0 - kEllipseNoseInset);
  const double ry = std::max(0.0, body.Height() / 2.0 - kEllipseNoseInset);
  const double diagonal = std::atan2(tip.y < cy ? -1.0 : 1.0, tip.x < cx ? -1.0 : 1.0);
  std::array<Point, 2> base;
  for (int i = 0; i < 2; ++i) {
    const double angle = diagonal + (i == 0 ? -kEllipseNoseHalfAngle : kEllipseNoseHalfAngle);
    base[static_cast<size_t>(i)] = {static_cast<int>(std::lround(cx + rx * std::cos(angle))),
                                    static_cast<int>(std::lround(cy + ry * std::sin(angle)))};
  }
  return base;
}

// Body and nose in the canvas's pen and brush; `joinColor`, when given, then draws
// over the nose's base so that the nose opens into the body.
void DrawNoseShape(TCanvas& canvas, THintStyle style, const NoseOutline& shape,
                   const TColor* joinColor) {
  DrawBody(canvas, style, shape.body);
  if (!shape.hasNose) return;
  Point from = shape.base;
  Point to = {shape.base.x + kNoseBaseWidth, shape.base.y};
  if (style == THintStyle::hsNoseEllipse) {
    const auto base = EllipseNoseBase(shape.body, shape.tip);
    from = base[0];
    to = base[1];
  }
  const std::array<Point, 3> nose{from, shape.tip, to};
  canvas.Polygon(nose);
  if (joinColor == nullptr) return;
  canvas.Pen.color = *joinColor;
  canvas.MoveTo(from.x, from.y);
  canvas.LineTo(to.x, to.y);
}

void SetShadowBrush(TCanvas& canvas, const TShadow& shadow) {
  canvas.Pen.clear = true;
  canvas.Brush.color = shadow.Color();
  if (shadow.Style() == TShadowStyle::hssTracing) {
    canvas.Brush.style = TBrushStyle::Pattern;
    for (size_t row = 0; row < canvas.Brush.pattern.size(); ++row)
      canvas.Brush.pattern[row] = row % 2 == 0 ? kTracingEvenRow : kTracingOddRow;
    canvas.Brush.patternBackground = clWhite;
    canvas.Brush.patternMask = true;
  } else {
    canvas.Brush.style = TBrushStyle::Solid;
  }
}

void SetBalloonBrush(TCanvas& canvas, const TCustomShapeHint& shape) {
  canvas.Pen = TPen{.color = shape.BorderColor()};
  canvas.Brush = TBrush{.color = shape.Color()};
}

// Where the text rectangle goes in the window.
Point TextOffset(const TCustomShapeHint& shape, THintPosition position, const Rect& text,
                 Point size) {
  const int d = shape.Shadow().Depth();
  switch (shape.Style()) {
    case THintStyle::hsRect:
      return {kRectTextOffset, kRectTextOffset};
    case THintStyle::hsRoundRect:
      return {kRoundRectTextOffset, kRoundRectTextOffset};
    case THintStyle::hsEllipse:
      return {(text.Width() - d) / kEllipseTextDivisor + kRectTextOffset,
              (text.Height() - d) / kEllipseTextDivisor + kRectTextOffset};
    case THintStyle::hsNoseEllipse: {
      const Rect body = BalloonOutline(position, size.x, size.y, d).body;
      return {body.left + (body.Width() - text.Width()) / 2,
              body.top + (body.Height() - text.Height()) / 2};
    }
    case THintStyle::hsNoseRect:
    case THintStyle::hsNoseRoundRect:
      break;
  }
  const bool left =
      position == THintPosition::hpAboveLeft || position == THintPosition::hpBelowLeft;
  const bool above =
      position == THintPosition::hpAboveLeft || position == THintPosition::hpAboveRight;
  return {left ? kNoseTextNear : kNoseTextFar, above ? kNoseTextNear : kNoseTextFar};
}

}  // namespace

TShapeHintWindow::TShapeHintWindow(TApplication& app) : THintWindow(app) {}

TShapeHint* TShapeHintWindow::ShapeHint() { return TShapeHint::Active(App()); }

void TShapeHintWindow::ActivateHint(const Rect& rect, const std::string& hint) {
  const bool anchoredByRect = rect.right == -1 && rect.bottom == -1;
  TShapeHint* shape = ShapeHint();
  if (shape == nullptr) {
    if (!anchoredByRect) THintWindow::ActivateHint(rect, hint);
    return;
  }
  Platform& platform = App().GetPlatform();
  const Point anchor = anchoredByRect ? Point{rect.left, rect.top} : platform.CursorPos();
  SetCaption(hint);
  const Rect text = MeasureText(*shape, hint);
  const Point size = WindowSize(shape->Style(), text, shape->Shadow().Depth());
  const Placement place = Place(shape->Position(), anchor, size, platform.ScreenRect());
  SetBoundsRect(place.bounds);
  // What lies behind the window now shows wherever the balloon does not.
  Buffer() = App().CaptureScreen(place.bounds);
  ShowWindow();
  Present();
  shownPosition_ = place.position;
  DrawBalloon(*shape, place.position);
  const Point offset = TextOffset(*shape, place.position, text, size);
  textRect_ = text.Offset(offset.x, offset.y);
  DrawCaption(*shape, hint);
  Present();
}

void TShapeHintWindow::Paint(TCanvas& canvas) {
  if (ShapeHint() == nullptr) THintWindow::Paint(canvas);
}

Rect TShapeHintWindow::MeasureText(const TShapeHint& shape, const std::string& hint) {
  Rect r{0, 0, shape.TextWidthLimit(App().GetPlatform().ScreenRect().Width()), 0};
  TCanvas& canvas = Canvas();
  TCanvas::StateSaver saved(canvas);
  canvas.Font = shape.Font();
  canvas.DrawText(hint.empty() ? std::string(" ") : hint, r, kMeasureFlags);
  r.right += kTextMargin;
  r.bottom += kTextMargin;
  return r;
}

void TShapeHintWindow::DrawBalloon(const TShapeHint& shape, THintPosition position) {
  TCanvas& canvas = Canvas();
  TCanvas::StateSaver saved(canvas);
  const int w = Buffer().Width(), h = Buffer().Height();
  const int d = shape.Shadow().Depth();
  const THintStyle style = shape.Style();
  const bool shadow = shape.Shadow().Style() != TShadowStyle::hssNone;
  if (!IsNoseStyle(style)) {
    if (shadow) {
      SetShadowBrush(canvas, shape.Shadow());
      DrawBody(canvas, style, {d, d, w, h});
    }
    SetBalloonBrush(canvas, shape);
    DrawBody(canvas, style, {0, 0, w - d, h - d});
    return;
  }
  if (shadow) {
    SetShadowBrush(canvas, shape.Shadow());
    DrawNoseShape(canvas, style, ShadowOutline(position, w, h, d), nullptr);
  }
  SetBalloonBrush(canvas, shape);
  const TColor fill = shape.Color();
  DrawNoseShape(canvas, style, BalloonOutline(position, w, h, d), &fill);
}

void TShapeHintWindow::DrawCaption(const TShapeHint& shape, const std::string& hint) {
  TCanvas& canvas = Canvas();
  TCanvas::StateSaver saved(canvas);
  canvas.Brush.style = TBrushStyle::Clear;
  auto draw = [&](int dx, int dy, TColor color) {
    canvas.Font = shape.Font();
    canvas.Font.color = color;
    Rect r = textRect_.Offset(dx, dy);
    canvas.DrawText(hint, r, kDrawFlags);
  };
  const T3DCaption& look = shape.Font3D();
  switch (look.Style()) {
    case T3DStyle::tdNone:
      break;
    case T3DStyle::tdRaised:
      draw(-kRaisedOffset, -kRaisedOffset, look.HighlightColor());
      draw(kRaisedOffset, kRaisedOffset, look.ShadowColor());
      break;
    case T3DStyle::tdSunken:
      draw(-kRaisedOffset, -kRaisedOffset, look.ShadowColor());
      draw(kRaisedOffset, kRaisedOffset, look.HighlightColor());
      break;
    case T3DStyle::tdShadowed:
      draw(kShadowedOffset, kShadowedOffset, look.ShadowColor());
      break;
  }
  draw(0, 0, shape.Font().color);
}

}  // namespace tazu
