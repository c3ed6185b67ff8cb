// The geometry of the scaled presentation, shared by the backends. Forms keep painting
// into back buffers of their own (logical) size; where the display cannot be switched
// to that size, each window shows its buffer enlarged by one factor, centred, with
// black bars where the aspects differ. Factors are kept as fractions whose denominator
// divides the logical width and height, so that a rectangle aligned to whole "cells"
// of the fraction lands on whole pixels: a changed rectangle can then be scaled on its
// own and fit seamlessly into what was shown before.
#pragma once

#include "platform/Pixels.h"

namespace tazu {

// num / den, both above 0.
struct ScaleFactor {
  int num = 1;
  int den = 1;
  double Value() const { return static_cast<double>(num) / den; }
  bool Whole() const { return num % den == 0; }
  friend bool operator==(const ScaleFactor&, const ScaleFactor&) = default;
};

// Small denominators keep the aligned cells small (a morph step's rectangle grows by
// at most a cell on each side).
inline constexpr int kMaxScaleDenominator = 25;

// The largest factor num/den (den at most kMaxScaleDenominator and dividing both
// logical sides) with which `logical` fits into `available`; ties go to the smaller
// denominator. {0, 1} when not even the smallest fraction fits.
ScaleFactor FitFactor(Point logical, Point available);

// How one window's buffer of `logical` size lies on its `surface` pixels: per axis a
// fraction and an offset. A picture window has one factor for both axes, centred; a
// small window (a hint, a message box) has its buffer stretched over its whole surface.
class ScaledView {
 public:
  // Unscaled: one buffer pixel per window pixel.
  ScaledView() = default;
  static ScaledView Fit(Point logical, Point surface);
  static ScaledView Stretch(Point logical, Point surface);
  // Unscaled, centred on a surface the system made larger than asked (a window a kiosk
  // compositor maximised); identity where the surface has the buffer's size.
  static ScaledView Centred(Point logical, Point surface);

  Point Logical() const { return logical_; }
  Point Surface() const { return surface_; }
  ScaleFactor FactorX() const { return x_; }
  ScaleFactor FactorY() const { return y_; }
  bool Identity() const;
  // Whole factors copy pixels; other factors need a smooth filter.
  bool Smooth() const { return !x_.Whole() || !y_.Whole(); }
  // Where the whole buffer lies on the surface; the rest of the surface is bars.
  Rect Target() const;

  // The buffer pixel under window pixel `p` (outside the buffer over the bars).
  Point ToLogical(Point p) const;
  // The surface pixels of a buffer rectangle (exact for aligned rectangles).
  Rect ToSurface(const Rect& r) const;
  // `r` grown to whole cells of the factors and clipped to the buffer.
  Rect Aligned(const Rect& r) const;
  // An aligned rectangle grown by a cell on each side (within the buffer): the pixels a
  // smooth filter reads to draw the inside of `aligned` exactly as a whole-buffer pass.
  Rect WithFilterMargin(const Rect& aligned) const;

 private:
  ScaledView(Point logical, Point surface, ScaleFactor x, ScaleFactor y, Point offset)
      : logical_(logical), surface_(surface), x_(x), y_(y), offset_(offset) {}

  Point logical_;
  Point surface_;
  ScaleFactor x_;
  ScaleFactor y_;
  Point offset_;
};

// Where the scaled picture of the whole logical screen lies on a physical output, and
// where each window goes: a window that covers the whole logical screen covers the
// whole output (its own view centres the picture and draws the bars); every other
// window is placed over the part of the picture it covers.
class ScaledScreen {
 public:
  ScaledScreen(Point logical, const Rect& output);

  Point Logical() const { return logical_; }
  const Rect& Output() const { return output_; }
  ScaleFactor Factor() const { return factor_; }
  // The picture on the output, in screen coordinates.
  Rect Picture() const { return picture_; }
  bool CoversPicture(const Rect& logicalBounds) const;
  // The physical (screen) rectangle of a window with these logical bounds.
  Rect Place(const Rect& logicalBounds) const;
  // How such a window shows its buffer on a surface of `surface` pixels: a small window
  // that the system sized otherwise than placed keeps the picture's aspect too.
  ScaledView ViewFor(const Rect& logicalBounds, Point surface) const;
  // A screen position in logical screen coordinates.
  Point ToLogical(Point screen) const;
  // A logical length in output pixels (cursor sizes, hot spots).
  int Scale(int length) const;

 private:
  Point logical_;
  Rect output_;
  ScaleFactor factor_;
  Rect picture_;
};

}  // namespace tazu
