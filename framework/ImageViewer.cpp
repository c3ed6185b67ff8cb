// TImageViewer: layout of view and bars, painting, and the mouse on the bars.
#include "framework/ImageViewer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "framework/Canvas.h"

namespace tazu {
namespace {

constexpr int kDefaultWidth = 200;
constexpr int kDefaultHeight = 150;
constexpr int kHandleInset = 2;     // gap between a handle and the edges of its bar
constexpr int kGripRidges = 3;      // ridges of a handle grip
constexpr int kGripSpacing = 3;     // pixels from one ridge to the next
constexpr int kGripHalfWidth = 4;   // half the length of a ridge
constexpr int kMinGripLength = 16;  // shorter handles carry no grip
constexpr int kSizeGripLines = 3;   // diagonal lines of the size grip
constexpr int kSizeGripStep = 4;    // pixels between them

// `value` * `num` / `den` rounded to nearest, in 64 bits; 0 when `den` is 0.
int Scaled(int value, int num, int den) {
  if (den <= 0) return 0;
  const int64_t n = int64_t{value} * num;
  return static_cast<int>((2 * n + den) / (2 * int64_t{den}));
}

int ClampToInt(int64_t v) {
  return static_cast<int>(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// a + b held within the range of int, so any distance can be asked for.
int ClampedSum(int a, int64_t b) { return ClampToInt(a + b); }

bool Vertical(TScrollBarKind kind) { return kind == TScrollBarKind::sbVertical; }

}  // namespace

TImageViewer::TImageViewer(TComponent* owner, TForm* parent) : TControl(owner, parent) {
  SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
  picture_.OnChange = [this] { PictureChanged(); };
  UpdateLayout();
}

void TImageViewer::SetBackground(TColor color) {
  if (color == background_) return;
  background_ = color;
  Invalidate();
}

void TImageViewer::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImageViewer::SetScrollBarLook(const TScrollBarLook& look) {
  look_ = look;
  Invalidate();
}

void TImageViewer::PictureChanged() {
  dragging_ = false;
  viewX_ = 0;
  viewY_ = 0;
  UpdateLayout();
  if (OnViewChange) OnViewChange(this);
}

// Each bar takes room from the other direction, so showing one may call for the other.
void TImageViewer::UpdateLayout() {
  const int w = Width();
  const int h = Height();
  const int pw = picture_.Width();
  const int ph = picture_.Height();
  bool hbar = pw > w;
  bool vbar = ph > h;
  for (int pass = 0; pass < 2; ++pass) {
    if (vbar && !hbar) hbar = pw > w - kScrollBarSize;
    if (hbar && !vbar) vbar = ph > h - kScrollBarSize;
  }
  hbar_ = hbar;
  vbar_ = vbar;
  view_ = {0, 0, std::max(0, w - (vbar_ ? kScrollBarSize : 0)),
           std::max(0, h - (hbar_ ? kScrollBarSize : 0))};
  viewX_ = std::clamp(viewX_, 0, MaxViewX());
  viewY_ = std::clamp(viewY_, 0, MaxViewY());
  Invalidate();
}

int TImageViewer::MaxViewX() const { return std::max(0, picture_.Width() - view_.Width()); }
int TImageViewer::MaxViewY() const { return std::max(0, picture_.Height() - view_.Height()); }

void TImageViewer::SetViewXY(int x, int y) {
  x = std::clamp(x, 0, MaxViewX());
  y = std::clamp(y, 0, MaxViewY());
  if (x == viewX_ && y == viewY_) return;
  viewX_ = x;
  viewY_ = y;
  Invalidate();
  if (OnViewChange) OnViewChange(this);
}

void TImageViewer::ScrollBy(int dx, int dy) {
  SetViewXY(ClampedSum(viewX_, dx), ClampedSum(viewY_, dy));
}

bool TImageViewer::ScrollBarShown(TScrollBarKind kind) const {
  return Vertical(kind) ? vbar_ : hbar_;
}

Rect TImageViewer::PictureRect() const {
  const int pw = picture_.Width();
  const int ph = picture_.Height();
  const int x = center_ && pw < view_.Width() ? (view_.Width() - pw) / 2 : -viewX_;
  const int y = center_ && ph < view_.Height() ? (view_.Height() - ph) / 2 : -viewY_;
  return Rect::FromSize(view_.left + x, view_.top + y, pw, ph);
}

Rect TImageViewer::BarRect(TScrollBarKind kind) const {
  if (!ScrollBarShown(kind)) return {};
  if (Vertical(kind)) return {view_.right, 0, Width(), view_.bottom};
  return {0, view_.bottom, view_.right, Height()};
}

Rect TImageViewer::SizeGripRect() const {
  if (!hbar_ || !vbar_) return {};
  return {view_.right, view_.bottom, Width(), Height()};
}

int TImageViewer::ViewOf(TScrollBarKind kind) const { return Vertical(kind) ? viewY_ : viewX_; }

int TImageViewer::MaxViewOf(TScrollBarKind kind) const {
  return Vertical(kind) ? MaxViewY() : MaxViewX();
}

void TImageViewer::SetViewOf(TScrollBarKind kind, int value) {
  if (Vertical(kind)) {
    SetViewXY(viewX_, value);
  } else {
    SetViewXY(value, viewY_);
  }
}

// The handle is as long, against its bar, as the view against the picture.
TImageViewer::Track TImageViewer::TrackOf(TScrollBarKind kind) const {
  Track t;
  const Rect bar = BarRect(kind);
  if (bar.IsEmpty()) return t;
  const bool vertical = Vertical(kind);
  t.start = vertical ? bar.top : bar.left;
  t.length = vertical ? bar.Height() : bar.Width();
  const int viewLength = vertical ? view_.Height() : view_.Width();
  const int pictureLength = vertical ? picture_.Height() : picture_.Width();
  t.handleLength =
      std::min(t.length, std::max(kMinHandleLength, Scaled(t.length, viewLength, pictureLength)));
  t.handleStart =
      t.start + Scaled(t.length - t.handleLength, ViewOf(kind), std::max(1, MaxViewOf(kind)));
  return t;
}

Rect TImageViewer::HandleRect(TScrollBarKind kind) const {
  const Track t = TrackOf(kind);
  if (t.length == 0) return {};
  const Rect bar = BarRect(kind);
  if (Vertical(kind)) {
    return {bar.left + kHandleInset, t.handleStart, bar.right - kHandleInset,
            t.handleStart + t.handleLength};
  }
  return {t.handleStart, bar.top + kHandleInset, t.handleStart + t.handleLength,
          bar.bottom - kHandleInset};
}

// ---- painting ----

void TImageViewer::Paint(TCanvas& canvas) {
  PaintPicture(canvas);
  PaintBar(canvas, TScrollBarKind::sbHorizontal);
  PaintBar(canvas, TScrollBarKind::sbVertical);
  PaintSizeGrip(canvas);
}

void TImageViewer::PaintPicture(TCanvas& canvas) {
  if (view_.IsEmpty()) return;
  TCanvas::StateSaver saved(canvas, view_);
  const Rect pic = PictureRect().Intersect(view_);
  canvas.Brush.color = background_;
  canvas.Brush.style = TBrushStyle::Solid;
  if (pic.IsEmpty() || picture_.HasAlpha()) {
    canvas.FillRect(view_);
  } else {
    // Only the bands around an opaque picture need the background.
    const std::array<Rect, 4> bands{{{view_.left, view_.top, view_.right, pic.top},
                                     {view_.left, pic.bottom, view_.right, view_.bottom},
                                     {view_.left, pic.top, pic.left, pic.bottom},
                                     {pic.right, pic.top, view_.right, pic.bottom}}};
    for (const Rect& band : bands) {
      if (!band.IsEmpty()) canvas.FillRect(band);
    }
  }
  if (!picture_.Empty()) {
    const Rect where = PictureRect();
    canvas.Draw(where.left, where.top, picture_.Bitmap());
  }
}

void TImageViewer::PaintBar(TCanvas& canvas, TScrollBarKind kind) {
  const Rect bar = BarRect(kind);
  if (bar.IsEmpty()) return;
  TCanvas::StateSaver saved(canvas);
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = look_.barColor;
  canvas.FillRect(bar);

  const Rect handle = HandleRect(kind);
  if (handle.IsEmpty()) return;
  canvas.Brush.color = look_.handleColor;
  canvas.Pen.color = look_.handleBorderColor;
  canvas.Pen.width = 1;
  canvas.Pen.clear = false;
  const bool vertical = Vertical(kind);
  if (look_.roundedHandles) {
    // Ends rounded across the whole thickness of the handle.
    const int thickness = vertical ? handle.Width() : handle.Height();
    canvas.RoundRect(handle, thickness, thickness);
  } else {
    canvas.Rectangle(handle);
  }

  const int length = vertical ? handle.Height() : handle.Width();
  if (!look_.handleGrip || length < kMinGripLength) return;
  canvas.Pen.color = look_.gripColor;
  const int cx = (handle.left + handle.right) / 2;
  const int cy = (handle.top + handle.bottom) / 2;
  for (int i = 0; i < kGripRidges; ++i) {
    const int offset = (i - kGripRidges / 2) * kGripSpacing;
    if (vertical) {
      canvas.MoveTo(cx - kGripHalfWidth, cy + offset);
      canvas.LineTo(cx + kGripHalfWidth + 1, cy + offset);
    } else {
      canvas.MoveTo(cx + offset, cy - kGripHalfWidth);
      canvas.LineTo(cx + offset, cy + kGripHalfWidth + 1);
    }
  }
}

void TImageViewer::PaintSizeGrip(TCanvas& canvas) {
  const Rect corner = SizeGripRect();
  if (corner.IsEmpty()) return;
  TCanvas::StateSaver saved(canvas);
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = look_.barColor;
  canvas.FillRect(corner);
  if (!look_.sizeGrip) return;
  canvas.Pen.color = look_.gripColor;
  canvas.Pen.width = 1;
  for (int i = 1; i <= kSizeGripLines; ++i) {
    const int d = i * kSizeGripStep;
    canvas.MoveTo(corner.right - d, corner.bottom - 1);
    canvas.LineTo(corner.right, corner.bottom - 1 - d);
  }
}

// ---- the mouse ----

void TImageViewer::MouseDown(MouseButton button, unsigned shift, int x, int y) {
  TControl::MouseDown(button, shift, x, y);
  if (button != MouseButton::Left) return;
  for (TScrollBarKind kind : {TScrollBarKind::sbHorizontal, TScrollBarKind::sbVertical}) {
    if (!BarRect(kind).Contains({x, y})) continue;
    const bool vertical = Vertical(kind);
    const int along = vertical ? y : x;
    const Track t = TrackOf(kind);
    if (along >= t.handleStart && along < t.handleStart + t.handleLength) {
      dragging_ = true;
      dragKind_ = kind;
      dragGrab_ = along - t.handleStart;
    } else {
      // A press on the bar beside the handle turns one view's length of the page.
      const int page = vertical ? view_.Height() : view_.Width();
      SetViewOf(kind, ClampedSum(ViewOf(kind), along < t.handleStart ? -page : page));
    }
    return;
  }
}

void TImageViewer::MouseMove(unsigned shift, int x, int y) {
  TControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  const Track t = TrackOf(dragKind_);
  const int along = Vertical(dragKind_) ? y : x;
  const int travel = t.length - t.handleLength;
  const int handleStart = std::clamp(along - dragGrab_ - t.start, 0, std::max(0, travel));
  SetViewOf(dragKind_, Scaled(handleStart, MaxViewOf(dragKind_), travel));
}

void TImageViewer::MouseUp(MouseButton button, unsigned shift, int x, int y) {
  if (button == MouseButton::Left) dragging_ = false;
  TControl::MouseUp(button, shift, x, y);
}

bool TImageViewer::MouseWheel(unsigned shift, int delta, Point pos) {
  if (TControl::MouseWheel(shift, delta, pos)) return true;
  const bool horizontal = (shift & ssShift) != 0 || !vbar_;
  const TScrollBarKind kind =
      horizontal ? TScrollBarKind::sbHorizontal : TScrollBarKind::sbVertical;
  if (!ScrollBarShown(kind)) return false;
  // A notch away from the user shows what lies above (or to the left).
  SetViewOf(kind, ClampedSum(ViewOf(kind), -int64_t{delta} * kWheelStep));
  return true;
}

}  // namespace tazu
