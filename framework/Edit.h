// A single-line text field: caret, typing, Backspace and Delete, arrows, Home and End,
// optional forced upper case and a length limit. Text is ANSI (Windows-1252) bytes.
#pragma once

#include <string>

#include "framework/Control.h"
#include "framework/Graphics.h"

namespace tazu {

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TEdit : public TControl {
 public:
  TEdit(TComponent* owner, TForm* parent);

  const std::string& Text() const { return text_; }
  // Puts the caret at the end.
  void SetText(const std::string& text);
  int SelStart() const { return caret_; }

  TEditCharCase CharCase = TEditCharCase::ecNormal;
  // Characters at most; 0 for no limit.
  size_t MaxLength = 0;
  TFont Font;
  TColor Color = clWindow;
  bool BorderStyle = true;  // a one-pixel frame

  TNotifyEvent OnChange;

  void Paint(TCanvas& canvas) override;
  bool Opaque() const override { return true; }
  bool CanFocus() const override { return true; }
  void KeyDown(int& key, unsigned shift) override;
  // OnKeyPress runs first and may change or swallow (0) the character.
  void KeyPress(char& key) override;
  void FocusChanged(bool focused) override;

 private:
  void Insert(char c);
  void Changed();

  std::string text_;
  int caret_ = 0;
};

}  // namespace tazu
