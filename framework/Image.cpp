#include "framework/Image.h"

namespace tazu {

TImage::TImage(TComponent* owner, TForm* parent) : TControl(owner, parent) {
  SetBounds(0, 0, 105, 105);
  picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::PictureChanged() {
  if (autoSize_ && !picture_.Empty()) {
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  }
  Invalidate();
}

void TImage::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  PictureChanged();
}

void TImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
}

Rect TImage::DestRect() const {
  if (stretch_) return ClientRect();
  int x = 0, y = 0;
  if (center_) {
    x = (Width() - picture_.Width()) / 2;
    y = (Height() - picture_.Height()) / 2;
  }
  return Rect::FromSize(x, y, picture_.Width(), picture_.Height());
}

bool TImage::Opaque() const {
  if (picture_.Empty() || picture_.HasAlpha()) return false;
  if (transparent_ && picture_.Format() != ImageFormat::Jpeg) return false;
  return DestRect().Intersect(ClientRect()) == ClientRect();
}

void TImage::Paint(TCanvas& canvas) {
  if (picture_.Empty()) return;
  const Bitmap32& bitmap = picture_.Bitmap();
  const Rect dest = DestRect();
  if (stretch_ && (dest.Width() != bitmap.Width() || dest.Height() != bitmap.Height())) {
    canvas.StretchDraw(dest, bitmap);
  } else if (transparent_ && !picture_.HasAlpha() && picture_.Format() != ImageFormat::Jpeg) {
    canvas.DrawTransparent(dest.left, dest.top, bitmap, bitmap.Pixel(0, bitmap.Height() - 1));
  } else {
    canvas.Draw(dest.left, dest.top, bitmap);
  }
}

}  // namespace tazu
