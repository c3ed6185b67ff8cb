#include "framework/Control.h"

#include "framework/Form.h"

namespace tazu {

TControl::TControl(TComponent* owner, TForm* parent) : TComponent(owner), parent_(parent) {
  if (parent_ != nullptr) parent_->AddControl(this);
}

TControl::~TControl() {
  if (parent_ != nullptr) {
    if (visible_) parent_->InvalidateRect(bounds_);
    parent_->RemoveControl(this);
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  const Rect next = Rect::FromSize(left, top, std::max(0, width), std::max(0, height));
  if (next == bounds_) return;
  if (visible_ && parent_ != nullptr) parent_->InvalidateRect(bounds_);
  bounds_ = next;
  if (visible_ && parent_ != nullptr) parent_->InvalidateRect(bounds_);
  BoundsChanged();
}

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  if (parent_ != nullptr) {
    parent_->InvalidateRect(bounds_);
    if (!visible_) parent_->ControlHidden(this);
  }
  VisibleChanged();
}

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Invalidate();
  if (!enabled_ && parent_ != nullptr) parent_->ControlHidden(this);
  EnabledChanged();
}

bool TControl::Showing() const { return visible_ && parent_ != nullptr && parent_->Visible(); }

void TControl::BringToFront() {
  if (parent_ != nullptr) parent_->MoveControl(this, true);
}

void TControl::SendToBack() {
  if (parent_ != nullptr) parent_->MoveControl(this, false);
}

void TControl::Invalidate() {
  if (visible_ && parent_ != nullptr) parent_->InvalidateRect(bounds_);
}

void TControl::Repaint() {
  if (visible_ && parent_ != nullptr) parent_->RepaintRect(bounds_);
}

void TControl::Paint(TCanvas&) {}

bool TControl::Focused() const { return parent_ != nullptr && parent_->ActiveControl() == this; }

void TControl::SetFocus() {
  if (parent_ != nullptr) parent_->SetActiveControl(this);
}

void TControl::MouseDown(MouseButton button, unsigned shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(MouseButton button, unsigned shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(unsigned shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

bool TControl::MouseWheel(unsigned shift, int delta, Point pos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, delta, pos, handled);
  return handled;
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::KeyDown(int& key, unsigned shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

}  // namespace tazu
