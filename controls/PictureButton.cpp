#include "controls/PictureButton.h"

namespace tazu {

TPictureButton::TPictureButton(TComponent* owner, TForm* parent) : TImage(owner, parent) {
  SetVisible(true);
  SetAutoSize(false);
  SetStretch(false);
  SetEnabled(true);
  enableBut_ = Enabled();
  enableButMove_ = true;
  OnMouseDown = [this](TObject* sender, MouseButton button, unsigned shift, int x, int y) {
    ButMouseDown(sender, button, shift, x, y);
  };
  OnMouseUp = [this](TObject* sender, MouseButton button, unsigned shift, int x, int y) {
    ButMouseUp(sender, button, shift, x, y);
  };
  ShowPicture(picFrom_);
  Show();
}

void TPictureButton::ShowPicture(const TPicture& picture) { Picture().Assign(picture); }

void TPictureButton::SetPicFrom(const TPicture* picture) {
  if (picture != nullptr) picFrom_.Assign(*picture);
  ShowPicture(picFrom_);
}

void TPictureButton::SetPicTo(const TPicture* picture) {
  if (picture != nullptr) picTo_.Assign(*picture);
}

void TPictureButton::SetPicDisabled(const TPicture* picture) {
  if (picture != nullptr) picDisabled_.Assign(*picture);
}

void TPictureButton::SetPicDown(const TPicture* picture) {
  if (picture != nullptr) picDown_.Assign(*picture);
}

void TPictureButton::SetEnableBut(bool value) {
  ShowPicture(value ? picFrom_ : picDisabled_);
  enableBut_ = value;
  SetEnabled(value);
}

void TPictureButton::MouseEnter() {
  TImage::MouseEnter();
  if (OnButEnter) OnButEnter(this);
  if (enableBut_) ShowPicture(picTo_);
}

void TPictureButton::MouseLeave() {
  TImage::MouseLeave();
  if (OnButLeave) OnButLeave(this);
  if (enableBut_) ShowPicture(picFrom_);
}

void TPictureButton::ButMouseDown(TObject*, MouseButton, unsigned, int, int) {
  if (enableButMove_ && enableBut_) ShowPicture(picDown_);
}

void TPictureButton::ButMouseUp(TObject*, MouseButton, unsigned, int, int) {
  if (enableButMove_ && enableBut_) ShowPicture(picTo_);
}

}  // namespace tazu
