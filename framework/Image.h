// The picture control: shows a JPEG or PNG picture, optionally sized to it or stretched.
#pragma once

#include "framework/Control.h"
#include "framework/Picture.h"

namespace tazu {

class TImage : public TControl {
 public:
  TImage(TComponent* owner, TForm* parent);

  // Changing the picture repaints the control (and resizes it with AutoSize).
  TPicture& Picture() { return picture_; }
  const TPicture& Picture() const { return picture_; }

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // Pictures with an alpha channel are always blended. Transparent on an opaque PNG
  // leaves out the pixels of its bottom-left colour; JPEG pictures have no transparency.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);

  void Paint(TCanvas& canvas) override;
  bool Opaque() const override;

 private:
  void PictureChanged();
  Rect DestRect() const;

  TPicture picture_;
  bool autoSize_ = false;
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
};

}  // namespace tazu
