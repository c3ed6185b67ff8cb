#include "framework/HintWindow.h"

#include "framework/Application.h"

namespace tazu {
namespace {
constexpr int kPlainHintFontHeight = 11;  // the classic 8-point hint font at 96 pixels per inch
constexpr int kTextInset = 2;
}  // namespace

THintWindow::THintWindow(TApplication& app) : app_(app), canvas_(buffer_, &app.Fonts()) {
  Font.name = "Arial";
  Font.height = kPlainHintFontHeight;
  Font.color = clInfoText;
}

THintWindow::~THintWindow() {
  if (handle_ != 0) app_.GetPlatform().DestroyWindow(handle_);
}

void THintWindow::EnsureWindow() {
  if (handle_ == 0) handle_ = app_.GetPlatform().CreateWindow({"", bounds_, true});
}

Rect THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
  Rect r{0, 0, maxWidth, 0};
  canvas_.Font = Font;
  canvas_.DrawText(hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(const Rect& rect, const std::string& hint) {
  caption_ = hint;
  SetBoundsRect(rect);
  Paint(canvas_);
  ShowWindow();
  Present();
}

void THintWindow::ReleaseHandle() {
  if (!showing_) return;
  showing_ = false;
  app_.GetPlatform().SetWindowState(handle_, WindowState::Hidden);
}

void THintWindow::Paint(TCanvas& canvas) {
  const Rect r = buffer_.Bounds();
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = Color;
  canvas.FillRect(r);
  canvas.Pen.color = clBtnHighlight;
  canvas.MoveTo(0, r.bottom - 1);
  canvas.LineTo(0, 0);
  canvas.LineTo(r.right - 1, 0);
  canvas.Pen.color = clBtnShadow;
  canvas.LineTo(r.right - 1, r.bottom - 1);
  canvas.LineTo(-1, r.bottom - 1);
  Rect text{r.left + kTextInset, r.top + kTextInset, r.right - kTextInset, r.bottom - kTextInset};
  canvas.Font = Font;
  canvas.Brush.style = TBrushStyle::Clear;
  canvas.DrawText(caption_, text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::SetBoundsRect(const Rect& screenRect) {
  bounds_ = screenRect;
  if (buffer_.Width() != screenRect.Width() || buffer_.Height() != screenRect.Height()) {
    buffer_.Resize(screenRect.Width(), screenRect.Height(), ColorToPixel(Color));
  }
  canvas_.SetOrigin({0, 0});
  EnsureWindow();
  app_.GetPlatform().SetWindowBounds(handle_, bounds_);
}

void THintWindow::ShowWindow() {
  EnsureWindow();
  showing_ = true;
  app_.GetPlatform().SetWindowState(handle_, WindowState::Normal);
}

void THintWindow::Present() {
  if (handle_ != 0) app_.GetPlatform().Present(handle_, buffer_, buffer_.Bounds());
}

}  // namespace tazu
