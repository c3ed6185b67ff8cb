#include "platform/ScaledView.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>

namespace tazu {
namespace {

// Rounds towards minus infinity (positions left of or above a picture are negative).
int FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<int>(q);
}

int CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

ScaleFactor Reduced(int num, int den) {
  if (num <= 0 || den <= 0) return {1, 1};
  const int g = std::gcd(num, den);
  return {num / g, den / g};
}

int ScaleFloor(int v, ScaleFactor f) { return FloorDiv(int64_t{v} * f.num, f.den); }
int ScaleCeil(int v, ScaleFactor f) { return CeilDiv(int64_t{v} * f.num, f.den); }
int Unscale(int v, ScaleFactor f) { return FloorDiv(int64_t{v} * f.den, f.num); }

}  // namespace

ScaleFactor FitFactor(Point logical, Point available) {
  ScaleFactor best{0, 1};
  if (logical.x <= 0 || logical.y <= 0 || available.x <= 0 || available.y <= 0) return best;
  const int cells = std::gcd(logical.x, logical.y);
  for (int den = 1; den <= kMaxScaleDenominator; ++den) {
    if (cells % den != 0) continue;
    const int64_t byWidth = int64_t{available.x} * den / logical.x;
    const int64_t byHeight = int64_t{available.y} * den / logical.y;
    const int num = static_cast<int>(std::min(byWidth, byHeight));
    if (int64_t{num} * best.den > int64_t{best.num} * den) best = {num, den};
  }
  return best.num == 0 ? best : Reduced(best.num, best.den);
}

// ---- ScaledView ----

ScaledView ScaledView::Fit(Point logical, Point surface) {
  ScaleFactor f = FitFactor(logical, surface);
  if (f.num == 0) f = {1, 1};
  const Point picture{ScaleFloor(logical.x, f), ScaleFloor(logical.y, f)};
  return {logical, surface, f, f, {(surface.x - picture.x) / 2, (surface.y - picture.y) / 2}};
}

ScaledView ScaledView::Stretch(Point logical, Point surface) {
  return {logical, surface, Reduced(surface.x, logical.x), Reduced(surface.y, logical.y), {}};
}

ScaledView ScaledView::Centred(Point logical, Point surface) {
  const Point margin{(surface.x - logical.x) / 2, (surface.y - logical.y) / 2};
  return {logical, surface, {}, {}, {std::max(0, margin.x), std::max(0, margin.y)}};
}

bool ScaledView::Identity() const {
  return x_ == ScaleFactor{} && y_ == ScaleFactor{} && offset_ == Point{};
}

Rect ScaledView::Target() const {
  return Rect::FromSize(offset_.x, offset_.y, ScaleFloor(logical_.x, x_),
                        ScaleFloor(logical_.y, y_));
}

Point ScaledView::ToLogical(Point p) const {
  return {Unscale(p.x - offset_.x, x_), Unscale(p.y - offset_.y, y_)};
}

Rect ScaledView::ToSurface(const Rect& r) const {
  return {offset_.x + ScaleFloor(r.left, x_), offset_.y + ScaleFloor(r.top, y_),
          offset_.x + ScaleCeil(r.right, x_), offset_.y + ScaleCeil(r.bottom, y_)};
}

Rect ScaledView::Aligned(const Rect& r) const {
  const Rect grown{FloorDiv(r.left, x_.den) * x_.den, FloorDiv(r.top, y_.den) * y_.den,
                   CeilDiv(r.right, x_.den) * x_.den, CeilDiv(r.bottom, y_.den) * y_.den};
  return grown.Intersect({0, 0, logical_.x, logical_.y});
}

Rect ScaledView::WithFilterMargin(const Rect& aligned) const {
  if (!Smooth()) return aligned;
  const Rect grown{aligned.left - x_.den, aligned.top - y_.den, aligned.right + x_.den,
                   aligned.bottom + y_.den};
  return grown.Intersect({0, 0, logical_.x, logical_.y});
}

// ---- ScaledScreen ----

ScaledScreen::ScaledScreen(Point logical, const Rect& output) : logical_(logical), output_(output) {
  factor_ = FitFactor(logical, {output.Width(), output.Height()});
  if (factor_.num == 0) factor_ = {1, 1};
  const int width = ScaleFloor(logical.x, factor_);
  const int height = ScaleFloor(logical.y, factor_);
  picture_ = Rect::FromSize(output.left + (output.Width() - width) / 2,
                            output.top + (output.Height() - height) / 2, width, height);
}

bool ScaledScreen::CoversPicture(const Rect& b) const {
  return b.left <= 0 && b.top <= 0 && b.right >= logical_.x && b.bottom >= logical_.y;
}

Rect ScaledScreen::Place(const Rect& b) const {
  if (CoversPicture(b)) return output_;
  return {picture_.left + ScaleFloor(b.left, factor_), picture_.top + ScaleFloor(b.top, factor_),
          picture_.left + ScaleCeil(b.right, factor_), picture_.top + ScaleCeil(b.bottom, factor_)};
}

ScaledView ScaledScreen::ViewFor(const Rect& b, Point surface) const {
  const Point size{b.Width(), b.Height()};
  const Rect placed = Place(b);
  const bool asPlaced =
      std::abs(surface.x - placed.Width()) <= 1 && std::abs(surface.y - placed.Height()) <= 1;
  return CoversPicture(b) || !asPlaced ? ScaledView::Fit(size, surface)
                                       : ScaledView::Stretch(size, surface);
}

Point ScaledScreen::ToLogical(Point screen) const {
  return {Unscale(screen.x - picture_.left, factor_), Unscale(screen.y - picture_.top, factor_)};
}

int ScaledScreen::Scale(int length) const {
  return static_cast<int>((int64_t{length} * factor_.num + factor_.den / 2) / factor_.den);
}

}  // namespace tazu
