#include "framework/Form.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "framework/Application.h"

namespace tazu {
namespace {

constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 240;

unsigned ButtonFlag(MouseButton button) {
  switch (button) {
    case MouseButton::Right:
      return ssRight;
    case MouseButton::Middle:
      return ssMiddle;
    default:
      return ssLeft;
  }
}

bool Contains(const std::vector<TControl*>& list, const TControl* control) {
  return std::find(list.begin(), list.end(), control) != list.end();
}

}  // namespace

TForm::TForm(TComponent* owner)
    : TComponent(owner),
      bounds_(Rect::FromSize(0, 0, kDefaultWidth, kDefaultHeight)),
      buffer_(kDefaultWidth, kDefaultHeight, ColorToPixel(clBtnFace)),
      canvas_(buffer_, Application() != nullptr ? &Application()->Fonts() : nullptr) {
  if (Application() == nullptr) throw Exception("A form needs the application as its owner");
  handle_ = Application()->GetPlatform().CreateWindow({caption_, bounds_, false});
  Application()->FormCreated(this);
}

TForm::~TForm() {
  DestroyComponents();
  TApplication* app = Application();
  app->FormDestroyed(this);
  app->GetPlatform().DestroyWindow(handle_);
}

void TForm::BeforeDestruction() {
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (const std::exception& e) {
      Application()->HandleException(e);
    }
  }
}

void TForm::DoCreate() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void TForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  Application()->GetPlatform().SetWindowTitle(handle_, caption_);
}

void TForm::SetBounds(int left, int top, int width, int height) {
  const Rect next = Rect::FromSize(left, top, std::max(1, width), std::max(1, height));
  if (next == bounds_) return;
  const bool resized = next.Width() != bounds_.Width() || next.Height() != bounds_.Height();
  bounds_ = next;
  if (resized) {
    buffer_.Resize(bounds_.Width(), bounds_.Height(), ColorToPixel(color_));
    dirty_ = {};
    Invalidate();
  }
  Application()->GetPlatform().SetWindowBounds(handle_, bounds_);
}

void TForm::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

// ---- showing ----

void TForm::Show() {
  TApplication& app = *Application();
  if (Position == TPosition::poScreenCenter) {
    const Rect screen = app.GetPlatform().ScreenRect();
    SetBounds((screen.Width() - Width()) / 2, (screen.Height() - Height()) / 2, Width(), Height());
  }
  if (!visible_) {
    if (OnShow) OnShow(this);
    visible_ = true;
    Invalidate();
    PaintArea(ClientRect());
    dirty_ = {};
    app.GetPlatform().SetWindowState(handle_, windowState_ == TWindowState::wsMinimized
                                                  ? WindowState::Minimized
                                                  : WindowState::Normal);
    Present(ClientRect());
    app.FormShown(this);
  }
  BringToFront();
}

void TForm::Hide() {
  if (!visible_) return;
  visible_ = false;
  hovered_ = nullptr;
  capture_ = nullptr;
  Application()->GetPlatform().SetWindowState(handle_, WindowState::Hidden);
  Application()->FormHidden(this);
  if (OnHide) OnHide(this);
}

void TForm::BringToFront() {
  if (!visible_) return;
  Application()->GetPlatform().RaiseWindow(handle_);
  if (enabled_) Application()->ActivateForm(this);
}

bool TForm::Active() const { return Application()->ActiveForm() == this; }

void TForm::SetWindowState(TWindowState state) {
  if (state == windowState_) return;
  windowState_ = state;
  if (!visible_) return;
  const bool normal = state == TWindowState::wsNormal;
  Application()->GetPlatform().SetWindowState(
      handle_, normal ? WindowState::Normal : WindowState::Minimized);
  if (normal) {
    Update();
    Present(ClientRect());
  }
}

int TForm::ShowModal() {
  TApplication& app = *Application();
  if (visible_ || modal_) throw Exception("Cannot make a visible window modal");
  if (app.Terminated()) return mrCancel;

  std::vector<TForm*> disabled;
  for (TForm* form : app.ZOrder()) {
    if (form != this && form->Enabled()) {
      form->SetEnabled(false);
      disabled.push_back(form);
    }
  }
  TForm* previous = app.ActiveForm();
  if (previous != nullptr && previous != this && previous->Visible()) {
    app.GetPlatform().SetWindowOwner(handle_, previous->handle_);
  }
  auto restore = [&] {
    for (TForm* form : disabled) form->SetEnabled(true);
    modal_ = false;
    Hide();
    // Nothing is activated again once the application is ending.
    if (!app.Terminated() && previous != nullptr && previous != this && previous->Visible()) {
      previous->BringToFront();
    }
  };

  modal_ = true;
  modalResult_ = mrNone;
  try {
    Show();
    for (;;) {
      if (app.Terminated()) {
        modalResult_ = mrCancel;
        break;
      }
      app.HandleMessage();
      if (app.Terminated()) {
        modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ != mrNone) {
        CloseModal();
        if (modalResult_ != mrNone) break;
      }
    }
  } catch (...) {
    restore();
    throw;
  }
  const int result = modalResult_;
  restore();
  return result;
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::CloseModal() {
  TCloseAction action = TCloseAction::caNone;
  if (CloseQuery()) {
    action = TCloseAction::caHide;
    DoClose(action);
  }
  if (action == TCloseAction::caNone) modalResult_ = mrNone;
  if (action == TCloseAction::caFree) Release();
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TApplication& app = *Application();
  const bool isMain = app.MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone) return;
  if (isMain) {
    app.Terminate();
    return;
  }
  switch (action) {
    case TCloseAction::caHide:
      Hide();
      break;
    case TCloseAction::caMinimize:
      SetWindowState(TWindowState::wsMinimized);
      break;
    case TCloseAction::caFree:
      Release();
      break;
    case TCloseAction::caNone:
      break;
  }
}

void TForm::Release() { Application()->ReleaseForm(this); }

void TForm::DoActivate() {
  if (OnActivate) OnActivate(this);
}

void TForm::DoDeactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

// ---- controls ----

void TForm::AddControl(TControl* control) {
  controls_.push_back(control);
  control->Invalidate();
}

void TForm::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (hovered_ == control) hovered_ = nullptr;
  if (capture_ == control) capture_ = nullptr;
  if (activeControl_ == control) activeControl_ = nullptr;
  Application()->ControlRemoved(control);
}

void TForm::ControlHidden(TControl* control) {
  // The pointer may still rest on a hidden control; the next movement sends its leave.
  if (capture_ == control) capture_ = nullptr;
  if (activeControl_ == control) SetActiveControl(nullptr);
  if (hovered_ == control) Application()->HintMouseMove(nullptr);
}

void TForm::MoveControl(TControl* control, bool toFront) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (toFront) {
    controls_.push_back(control);
  } else {
    controls_.insert(controls_.begin(), control);
  }
  control->Invalidate();
}

TControl* TForm::ControlAtPos(Point p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->Visible() && c->Enabled() && c->BoundsRect().Contains(p)) return c;
  }
  return nullptr;
}

void TForm::SetActiveControl(TControl* control) {
  if (control == activeControl_) return;
  if (control != nullptr && !control->CanFocus()) return;
  TControl* old = activeControl_;
  activeControl_ = control;
  if (old != nullptr) old->FocusChanged(false);
  if (activeControl_ != nullptr) activeControl_->FocusChanged(true);
}

// ---- painting ----

void TForm::InvalidateRect(const Rect& r) { dirty_ = dirty_.Union(r.Intersect(ClientRect())); }

void TForm::PaintBackground(TCanvas& canvas, const Rect& r) {
  canvas.Brush.color = color_;
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.FillRect(r);
}

void TForm::PaintArea(const Rect& area) {
  const Rect r = area.Intersect(ClientRect());
  if (r.IsEmpty()) return;
  TCanvas::StateSaver saved(canvas_, r);

  // Nothing below an opaque control that covers the whole area can show.
  size_t first = 0;
  bool covered = false;
  for (size_t i = controls_.size(); i-- > 0 && !covered;) {
    const TControl* c = controls_[i];
    if (c->Visible() && c->Opaque() && c->BoundsRect().Intersect(r) == r) {
      first = i;
      covered = true;
    }
  }
  if (!covered) PaintBackground(canvas_, r);
  for (size_t i = first; i < controls_.size(); ++i) {
    TControl* c = controls_[i];
    if (!c->Visible() || c->BoundsRect().Intersect(r).IsEmpty()) continue;
    TCanvas::StateSaver perControl(canvas_, c->BoundsRect());
    canvas_.SetOrigin({c->Left(), c->Top()});
    c->Paint(canvas_);
  }
}

void TForm::Present(const Rect& r) {
  if (!visible_ || windowState_ != TWindowState::wsNormal || r.IsEmpty()) return;
  Application()->GetPlatform().Present(handle_, buffer_, r);
}

void TForm::Update() {
  if (dirty_.IsEmpty() || !visible_) return;
  const Rect r = dirty_;
  dirty_ = {};
  PaintArea(r);
  Present(r);
}

void TForm::RepaintRect(const Rect& r) {
  if (!visible_) {
    InvalidateRect(r);
    return;
  }
  PaintArea(r);
  Present(r.Intersect(ClientRect()));
}

// ---- events ----

void TForm::HandleEvent(const Event& event) {
  switch (event.kind) {
    case EventKind::MouseMove:
      if (enabled_) MouseMoveTo(event.pos, event.shift);
      break;
    case EventKind::MouseDown:
      if (enabled_) MouseDownAt(event.pos, event.button, event.shift);
      break;
    case EventKind::MouseUp:
      if (enabled_) MouseUpAt(event.pos, event.button, event.shift);
      break;
    case EventKind::MouseWheel:
      if (enabled_) MouseWheelAt(event.pos, event.wheelDelta, event.shift);
      break;
    case EventKind::MouseLeave:
      SetHovered(nullptr);
      Application()->HintMouseMove(nullptr);
      break;
    case EventKind::KeyDown:
      if (enabled_) KeyDown(event.key, event.shift);
      break;
    case EventKind::Text:
      if (enabled_) {
        for (char c : Utf8ToAnsi(event.text)) KeyPress(c);
      }
      break;
    case EventKind::CloseRequest:
      if (enabled_) Close();
      break;
    case EventKind::Expose:
      Update();
      Present(ClientRect());
      break;
    case EventKind::Activated:
      if (enabled_ && visible_) Application()->ActivateForm(this);
      break;
    default:
      break;
  }
}

void TForm::SetHovered(TControl* control) {
  if (control == hovered_) return;
  TControl* old = hovered_;
  hovered_ = control;
  if (old != nullptr) old->MouseLeave();
  if (hovered_ == control && control != nullptr) control->MouseEnter();
}

void TForm::UpdateCursor() {
  const int number =
      hovered_ != nullptr && hovered_->Cursor != crDefault ? hovered_->Cursor : Cursor;
  TApplication& app = *Application();
  app.GetPlatform().SetCursor(app.CursorFor(number));
}

void TForm::MouseMoveTo(Point pos, unsigned shift) {
  SetHovered(ControlAtPos(pos));
  if (TControl* target = capture_ != nullptr ? capture_ : hovered_) {
    target->MouseMove(shift, pos.x - target->Left(), pos.y - target->Top());
  } else if (OnMouseMove) {
    OnMouseMove(this, shift, pos.x, pos.y);
  }
  UpdateCursor();
  Application()->HintMouseMove(hovered_);
}

void TForm::MouseDownAt(Point pos, MouseButton button, unsigned shift) {
  Application()->CancelHint();
  shift |= ButtonFlag(button);
  TControl* target = ControlAtPos(pos);
  SetHovered(target);
  if (target == nullptr || target != hovered_) {
    capture_ = nullptr;
    if (OnMouseDown) OnMouseDown(this, button, shift, pos.x, pos.y);
    return;
  }
  capture_ = target;
  captureButton_ = button;
  if (target->CanFocus()) SetActiveControl(target);
  if (Contains(controls_, target)) {
    target->MouseDown(button, shift, pos.x - target->Left(), pos.y - target->Top());
  }
}

void TForm::MouseUpAt(Point pos, MouseButton button, unsigned shift) {
  const bool captured = capture_ != nullptr && button == captureButton_;
  TControl* target = captured ? capture_ : ControlAtPos(pos);
  if (captured) capture_ = nullptr;
  if (target == nullptr) {
    if (button == MouseButton::Left && OnClick) OnClick(this);
    if (OnMouseUp) OnMouseUp(this, button, shift, pos.x, pos.y);
    return;
  }
  const Point local{pos.x - target->Left(), pos.y - target->Top()};
  // A click is a press and release of the left button on the same control.
  if (captured && button == MouseButton::Left && target->ClientRect().Contains(local)) {
    target->Click();
  }
  if (Contains(controls_, target)) target->MouseUp(button, shift, local.x, local.y);
}

void TForm::MouseWheelAt(Point pos, int delta, unsigned shift) {
  TControl* target = hovered_ != nullptr ? hovered_ : activeControl_;
  if (target != nullptr) target->MouseWheel(shift, delta, pos);
}

void TForm::KeyDown(int key, unsigned shift) {
  if (KeyPreview && OnKeyDown) OnKeyDown(this, key, shift);
  if (key != 0) {
    if (activeControl_ != nullptr) {
      activeControl_->KeyDown(key, shift);
    } else if (!KeyPreview && OnKeyDown) {
      OnKeyDown(this, key, shift);
    }
  }
  // Keys that type a control character, as the keyboard's character messages do.
  switch (key) {
    case VK_RETURN:
      KeyPress('\r');
      break;
    case VK_BACK:
      KeyPress('\b');
      break;
    case VK_ESCAPE:
      KeyPress('\x1b');
      break;
    case VK_TAB:
      KeyPress('\t');
      break;
    default:
      break;
  }
}

void TForm::KeyPress(char key) {
  if (KeyPreview && OnKeyPress) OnKeyPress(this, key);
  if (key == 0) return;
  if (activeControl_ != nullptr) {
    activeControl_->KeyPress(key);
  } else if (!KeyPreview && OnKeyPress) {
    OnKeyPress(this, key);
  }
}

}  // namespace tazu
