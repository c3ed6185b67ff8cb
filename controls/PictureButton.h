// A button made of pictures: an image control that swaps in one of four pictures
// according to the mouse (rest, hovered, held, switched off). Every change is an
// immediate swap of the whole picture.
#pragma once

#include "framework/Image.h"
#include "framework/Picture.h"

namespace tazu {

class TPictureButton : public TImage {
 public:
  TPictureButton(TComponent* owner, TForm* parent);

  // The four pictures belong to the button and are never replaced, only filled. A
  // layout fills them in place (no setter runs); the setters below copy a graphic in.
  TPicture& PicFrom() { return picFrom_; }
  TPicture& PicTo() { return picTo_; }
  TPicture& PicDisabled() { return picDisabled_; }
  TPicture& PicDown() { return picDown_; }
  const TPicture& PicFrom() const { return picFrom_; }
  const TPicture& PicTo() const { return picTo_; }
  const TPicture& PicDisabled() const { return picDisabled_; }
  const TPicture& PicDown() const { return picDown_; }

  // Copies the graphic of `picture` (null: nothing is copied), then shows PicFrom.
  void SetPicFrom(const TPicture* picture);
  // Copy the graphic of `picture` (null: nothing is copied); the picture on show stays.
  void SetPicTo(const TPicture* picture);
  void SetPicDisabled(const TPicture* picture);
  void SetPicDown(const TPicture* picture);

  // Show PicDown and the release picture on press and release.
  bool EnableButMove() const { return enableButMove_; }
  void SetEnableButMove(bool value) { enableButMove_ = value; }
  // The button is on; off shows PicDisabled and disables the control.
  bool EnableBut() const { return enableBut_; }
  void SetEnableBut(bool value);

  // Called on enter and leave, after OnMouseEnter / OnMouseLeave and before the swap.
  TNotifyEvent OnButEnter;
  TNotifyEvent OnButLeave;

  void MouseEnter() override;
  void MouseLeave() override;

  // The handlers the constructor binds to OnMouseDown and OnMouseUp; binding other
  // handlers to those events replaces them. Neither looks at the button or the place.
  void ButMouseDown(TObject* sender, MouseButton button, unsigned shift, int x, int y);
  void ButMouseUp(TObject* sender, MouseButton button, unsigned shift, int x, int y);

 private:
  // Assigns the graphic of `picture` to the inherited Picture (empty gives empty).
  void ShowPicture(const TPicture& picture);

  TPicture picFrom_;
  TPicture picTo_;
  TPicture picDisabled_;
  TPicture picDown_;
  bool enableButMove_ = true;
  bool enableBut_ = true;
};

}  // namespace tazu
