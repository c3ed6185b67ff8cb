// The balloon hint window that TShapeHint installs: a borderless pop-up that draws the
// hint once, when it is shown, as a speech balloon over a copy of what the screen
// showed at its place, placed next to the pointer and kept on the screen. While no
// shape hint is active it behaves as the framework's plain hint window.
//
// When none of the four placements fits on the screen, the window goes to the place of
// the shape hint's own Position, moved just far enough to lie on the screen (its top-
// left corner wins when it is larger than the screen), and the balloon is drawn for
// that Position.
//
// hsNoseEllipse is an ellipse over the body rectangle of the nose styles, with a nose
// whose base lies on the ellipse 25 degrees either side of the diagonal toward the
// nose's corner; the text is centred in the ellipse.
#pragma once

#include <string>

#include "controls/ShapeHint.h"
#include "framework/HintWindow.h"

namespace tazu {

class TShapeHintWindow : public THintWindow {
 public:
  explicit TShapeHintWindow(TApplication& app);

  // A rectangle with right and bottom -1 anchors the balloon at its left, top;
  // otherwise the pointer is the anchor and the rectangle serves only the plain path.
  void ActivateHint(const Rect& rect, const std::string& hint) override;
  // Plain painting while no shape hint is active; the balloon is drawn only when shown.
  void Paint(TCanvas& canvas) override;

  // The shape hint whose settings the balloon uses now (the active one), or null.
  TShapeHint* ShapeHint();
  // Of the last balloon shown: where it was drawn for, and its text rectangle
  // (window coordinates).
  THintPosition ShownPosition() const { return shownPosition_; }
  Rect TextRect() const { return textRect_; }

 private:
  Rect MeasureText(const TShapeHint& shape, const std::string& hint);
  void DrawBalloon(const TShapeHint& shape, THintPosition position);
  void DrawCaption(const TShapeHint& shape, const std::string& hint);

  THintPosition shownPosition_ = THintPosition::hpAboveRight;
  Rect textRect_;
};

}  // namespace tazu
