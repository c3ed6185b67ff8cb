// Visible controls: a rectangle on a form that paints itself and takes the pointer.
#pragma once

#include <functional>
#include <string>

#include "framework/Canvas.h"
#include "framework/Component.h"
#include "platform/Platform.h"

namespace tazu {

class TForm;

using TMouseEvent =
    std::function<void(TObject* sender, MouseButton button, unsigned shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, unsigned shift, int x, int y)>;
using TMouseWheelEvent =
    std::function<void(TObject* sender, unsigned shift, int delta, Point pos, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, int& key, unsigned shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

// Cursor numbers of the registry: 0 is the default, negatives the standard shapes,
// positives the program's own (registered with the application).
constexpr int crDefault = 0;
constexpr int crArrow = -2;
constexpr int crIBeam = -4;
constexpr int crHourGlass = -11;
constexpr int crHandPoint = -21;

class TControl : public TComponent {
 public:
  // A control belongs to the form `parent` (drawn on it, in stacking order) and is
  // owned by `owner` (usually the same form).
  TControl(TComponent* owner, TForm* parent);
  ~TControl() override;

  TForm* Parent() const { return parent_; }

  // ---- geometry (parent coordinates) ----
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  Rect BoundsRect() const { return bounds_; }
  Rect ClientRect() const { return {0, 0, Width(), Height()}; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }

  // ---- state ----
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Visible on a form that shows (hidden controls take no pointer).
  bool Showing() const;

  std::string Hint;
  bool ShowHint = false;
  int Cursor = crDefault;

  // ---- stacking ----
  void BringToFront();
  void SendToBack();

  // ---- painting ----
  // Marks the control's rectangle for painting when the loop is next idle.
  void Invalidate();
  // Paints the control's rectangle now and shows it at once.
  void Repaint();
  // Paints into `canvas` whose origin is the control's top-left.
  virtual void Paint(TCanvas& canvas);
  // True when the control covers every pixel of its rectangle (nothing shows through).
  virtual bool Opaque() const { return false; }

  // ---- focus ----
  virtual bool CanFocus() const { return false; }
  bool Focused() const;
  void SetFocus();

  // ---- events ----
  TNotifyEvent OnClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // ---- dispatch from the form (control coordinates); each calls the event if bound ----
  virtual void MouseDown(MouseButton button, unsigned shift, int x, int y);
  virtual void MouseUp(MouseButton button, unsigned shift, int x, int y);
  virtual void MouseMove(unsigned shift, int x, int y);
  virtual bool MouseWheel(unsigned shift, int delta, Point pos);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Click();
  virtual void KeyDown(int& key, unsigned shift);
  virtual void KeyPress(char& key);
  virtual void FocusChanged(bool /*focused*/) {}

 protected:
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}

 private:
  TForm* parent_;
  Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
};

}  // namespace tazu
