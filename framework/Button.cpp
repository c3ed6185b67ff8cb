#include "framework/Button.h"

#include "framework/Form.h"

namespace tazu {

TButton::TButton(TComponent* owner, TForm* parent) : TControl(owner, parent) {
  SetBounds(0, 0, 75, 25);
  Font.name = "Arial";
  Font.height = 13;
}

void TButton::Paint(TCanvas& canvas) {
  const Rect r = ClientRect();
  canvas.Pen.color = clBlack;
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = hot_ ? RGBColor(229, 241, 251) : clBtnFace;
  canvas.Rectangle(r);
  // A raised edge, sunken while pressed.
  const TColor light = pressed_ ? clBtnShadow : clBtnHighlight;
  const TColor dark = pressed_ ? clBtnHighlight : clBtnShadow;
  canvas.Pen.color = light;
  canvas.MoveTo(1, r.bottom - 2);
  canvas.LineTo(1, 1);
  canvas.LineTo(r.right - 2, 1);
  canvas.Pen.color = dark;
  canvas.LineTo(r.right - 2, r.bottom - 2);
  canvas.LineTo(0, r.bottom - 2);
  if (Focused()) {
    canvas.Brush.color = clBlack;
    canvas.FrameRect({3, 3, r.right - 3, r.bottom - 3});
  }
  canvas.Font = Font;
  canvas.Brush.style = TBrushStyle::Clear;
  Rect text = pressed_ ? r.Offset(1, 1) : r;
  canvas.DrawText(Caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TButton::Click() {
  if (ModalResult != 0 && Parent() != nullptr) Parent()->SetModalResult(ModalResult);
  TControl::Click();
}

void TButton::MouseDown(MouseButton button, unsigned shift, int x, int y) {
  if (button == MouseButton::Left) {
    pressed_ = true;
    Repaint();
  }
  TControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(MouseButton button, unsigned shift, int x, int y) {
  if (button == MouseButton::Left && pressed_) {
    pressed_ = false;
    Invalidate();
  }
  TControl::MouseUp(button, shift, x, y);
}

void TButton::MouseEnter() {
  hot_ = true;
  Invalidate();
  TControl::MouseEnter();
}

void TButton::MouseLeave() {
  hot_ = false;
  Invalidate();
  TControl::MouseLeave();
}

void TButton::KeyPress(char& key) {
  TControl::KeyPress(key);
  if (key == ' ') Click();
}

void TButton::FocusChanged(bool) { Invalidate(); }

}  // namespace tazu
