// A plain push button, used by the framework's own dialogs and by small tools.
#pragma once

#include <string>

#include "framework/Control.h"

namespace tazu {

class TButton : public TControl {
 public:
  TButton(TComponent* owner, TForm* parent);

  std::string Caption;
  TFont Font;
  // A modal result given to the parent form when clicked (mrNone: none).
  int ModalResult = 0;

  void Paint(TCanvas& canvas) override;
  bool Opaque() const override { return true; }
  bool CanFocus() const override { return true; }
  void Click() override;
  void MouseDown(MouseButton button, unsigned shift, int x, int y) override;
  void MouseUp(MouseButton button, unsigned shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void KeyPress(char& key) override;
  void FocusChanged(bool focused) override;

 private:
  bool pressed_ = false;
  bool hot_ = false;
};

}  // namespace tazu
