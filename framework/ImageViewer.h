// A scrollable view of one picture at scale 1: centred where it is smaller than the
// view, with a horizontal and a vertical scroll bar where it is larger. The bars are
// drawn by the viewer itself and work with the mouse (drag the handle, press on the
// bar to page, turn the wheel); code scrolls it with ScrollBy. The view never leaves
// the picture.
#pragma once

#include <string>

#include "framework/Control.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"

namespace tazu {

// How the scroll bars look.
struct TScrollBarLook {
  TColor barColor = clBtnFace;
  TColor handleColor = clSilver;
  TColor handleBorderColor = clGray;
  TColor gripColor = clGray;
  // Three short ridges across the middle of each handle.
  bool handleGrip = false;
  bool roundedHandles = false;
  // The square where both bars meet carries a size grip (drawn only: the viewer's
  // size is the layout's).
  bool sizeGrip = true;
};

enum class TScrollBarKind { sbHorizontal, sbVertical };

class TImageViewer : public TControl {
 public:
  static constexpr int kScrollBarSize = 16;    // thickness of a bar, pixels
  static constexpr int kMinHandleLength = 20;  // a handle never gets shorter
  static constexpr int kWheelStep = 48;        // pixels per wheel notch

  TImageViewer(TComponent* owner, TForm* parent);

  // ---- the picture ----
  // Any change of the picture shows its top-left corner (or centres it).
  TPicture& Picture() { return picture_; }
  const TPicture& Picture() const { return picture_; }
  // Loads a JPEG or PNG file; raises (and keeps the picture) when it cannot.
  void LoadFromFile(const std::string& fileName) { picture_.LoadFromFile(fileName); }

  // ---- look ----
  TColor Background() const { return background_; }
  void SetBackground(TColor color);
  // Centre the picture in each direction where it is smaller than the view.
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // Pictures are shown pixel for pixel.
  double Scale() const { return 1.0; }
  const TScrollBarLook& ScrollBarLook() const { return look_; }
  void SetScrollBarLook(const TScrollBarLook& look);

  // ---- the view: the picture's pixel shown at the top-left of the view area ----
  int ViewX() const { return viewX_; }
  int ViewY() const { return viewY_; }
  int MaxViewX() const;
  int MaxViewY() const;
  // Both clamped to 0..MaxViewX / 0..MaxViewY.
  void SetViewXY(int x, int y);
  // Moves the view by dx, dy pixels (positive: towards the picture's right and bottom).
  void ScrollBy(int dx, int dy);
  TNotifyEvent OnViewChange;

  // ---- geometry (control coordinates) ----
  bool ScrollBarShown(TScrollBarKind kind) const;
  // The part of the control that shows the picture (the control less its bars).
  Rect ViewRect() const { return view_; }
  // Where the whole picture lies now (may reach outside the view).
  Rect PictureRect() const;
  Rect BarRect(TScrollBarKind kind) const;
  Rect HandleRect(TScrollBarKind kind) const;
  // Empty unless both bars show.
  Rect SizeGripRect() const;

  void Paint(TCanvas& canvas) override;
  bool Opaque() const override { return true; }
  void MouseDown(MouseButton button, unsigned shift, int x, int y) override;
  void MouseMove(unsigned shift, int x, int y) override;
  void MouseUp(MouseButton button, unsigned shift, int x, int y) override;
  // The wheel scrolls the vertical bar, or the horizontal one with Shift held or when
  // there is no vertical bar.
  bool MouseWheel(unsigned shift, int delta, Point pos) override;

 protected:
  void BoundsChanged() override { UpdateLayout(); }
  // A hidden or disabled control loses the pointer's capture, and with it any drag.
  void VisibleChanged() override { dragging_ = false; }
  void EnabledChanged() override { dragging_ = false; }

 private:
  struct Track {
    int start = 0;   // first pixel of the bar along its axis
    int length = 0;  // pixels along the axis
    int handleStart = 0;
    int handleLength = 0;
  };

  void PictureChanged();
  void UpdateLayout();
  Track TrackOf(TScrollBarKind kind) const;
  int ViewOf(TScrollBarKind kind) const;
  int MaxViewOf(TScrollBarKind kind) const;
  void SetViewOf(TScrollBarKind kind, int value);
  void PaintPicture(TCanvas& canvas);
  void PaintBar(TCanvas& canvas, TScrollBarKind kind);
  void PaintSizeGrip(TCanvas& canvas);

  TPicture picture_;
  TColor background_ = clWhite;
  bool center_ = true;
  TScrollBarLook look_;
  bool hbar_ = false;
  bool vbar_ = false;
  Rect view_;
  int viewX_ = 0;
  int viewY_ = 0;
  bool dragging_ = false;
  TScrollBarKind dragKind_ = TScrollBarKind::sbVertical;
  int dragGrab_ = 0;  // pointer offset from the handle's start while dragging
};

}  // namespace tazu
