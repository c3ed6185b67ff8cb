// A top-level borderless window that paints its controls into its own back buffer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Component.h"
#include "framework/Control.h"
#include "framework/Graphics.h"
#include "platform/Platform.h"

namespace tazu {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

enum class TWindowState { wsNormal, wsMinimized };
enum class TPosition { poDesigned, poScreenCenter };

class TForm : public TComponent {
 public:
  // `owner` is the application or another component; the form's window is created at
  // once, hidden.
  explicit TForm(TComponent* owner);
  ~TForm() override;

  WindowHandle Handle() const { return handle_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // ---- geometry (screen coordinates); the client area is the whole window ----
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  Rect BoundsRect() const { return bounds_; }
  Rect ClientRect() const { return {0, 0, Width(), Height()}; }
  void SetBounds(int left, int top, int width, int height);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TPosition Position = TPosition::poDesigned;
  bool ShowHint = true;
  int Cursor = crDefault;
  // Key events reach the form's handlers before the focused control's.
  bool KeyPreview = false;
  // Kept for the layouts; painting is always into the back buffer.
  bool DoubleBuffered = true;

  // ---- showing ----
  bool Visible() const { return visible_; }
  void Show();
  void Hide();
  // Shows the form and runs the loop until it closes or the application ends (then at
  // once); returns the modal result.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  // Asks to close: OnCloseQuery, OnClose, then hide/free/minimise; the main form's
  // closing ends the application. A modal form sets mrCancel, and ShowModal asks those.
  void Close();
  // Frees the form once the loop is back at the top of its current pass.
  void Release();
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState state);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Active() const;
  void BringToFront();

  // ---- events ----
  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // ---- controls ----
  const std::vector<TControl*>& Controls() const { return controls_; }
  // The topmost visible, enabled control at `p` (form coordinates), or null.
  TControl* ControlAtPos(Point p) const;
  TControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TControl* control);
  TControl* HoveredControl() const { return hovered_; }

  // ---- painting ----
  const Bitmap32& BackBuffer() const { return buffer_; }
  void Invalidate() { InvalidateRect(ClientRect()); }
  void InvalidateRect(const Rect& r);
  // Paints what is pending and shows it.
  void Update();
  // Paints and shows `r` at once, for step-by-step effects; a hidden form only marks it.
  void RepaintRect(const Rect& r);
  // Paints `r` into the back buffer, each visible control clipped to its own rectangle.
  void PaintArea(const Rect& r);

  // ---- called by the application ----
  void HandleEvent(const Event& event);
  void DoCreate();
  void DoActivate();
  void DoDeactivate();
  void BeforeDestruction() override;

  // ---- called by controls ----
  void AddControl(TControl* control);
  void RemoveControl(TControl* control);
  void MoveControl(TControl* control, bool toFront);
  void ControlHidden(TControl* control);

 protected:
  // Fills `r` under the controls in the form's colour; dialogs add their frame and text.
  virtual void PaintBackground(TCanvas& canvas, const Rect& r);

 private:
  bool CloseQuery();
  void CloseModal();
  void DoClose(TCloseAction& action);
  void MouseMoveTo(Point pos, unsigned shift);
  void MouseDownAt(Point pos, MouseButton button, unsigned shift);
  void MouseUpAt(Point pos, MouseButton button, unsigned shift);
  void MouseWheelAt(Point pos, int delta, unsigned shift);
  void SetHovered(TControl* control);
  void UpdateCursor();
  void KeyDown(int key, unsigned shift);
  void KeyPress(char key);
  void Present(const Rect& r);

  WindowHandle handle_ = 0;
  std::string caption_;
  Rect bounds_;
  TColor color_ = clBtnFace;
  Bitmap32 buffer_;
  TCanvas canvas_;
  Rect dirty_;
  bool visible_ = false;
  bool enabled_ = true;
  bool modal_ = false;
  bool created_ = false;
  int modalResult_ = mrNone;
  TWindowState windowState_ = TWindowState::wsNormal;
  std::vector<TControl*> controls_;
  TControl* activeControl_ = nullptr;
  TControl* hovered_ = nullptr;
  TControl* capture_ = nullptr;
  MouseButton captureButton_ = MouseButton::Left;
};

}  // namespace tazu
