#include "framework/Edit.h"

#include <algorithm>

#include "base/Text.h"
#include "platform/Platform.h"

namespace tazu {
namespace {
constexpr int kTextMargin = 3;
constexpr char kBackspace = '\b';
}  // namespace

TEdit::TEdit(TComponent* owner, TForm* parent) : TControl(owner, parent) {
  SetBounds(0, 0, 121, 21);
  Font.name = "Arial";
  Font.height = 13;
  Cursor = crIBeam;
}

void TEdit::SetText(const std::string& text) {
  std::string next = text;
  if (CharCase == TEditCharCase::ecUpperCase) next = AnsiUpperCase(next);
  if (CharCase == TEditCharCase::ecLowerCase) next = AnsiLowerCase(next);
  if (MaxLength != 0 && next.size() > MaxLength) next.resize(MaxLength);
  caret_ = static_cast<int>(next.size());
  if (next == text_) {
    Invalidate();
    return;
  }
  text_ = std::move(next);
  Changed();
}

void TEdit::Changed() {
  Invalidate();
  if (OnChange) OnChange(this);
}

void TEdit::Insert(char c) {
  if (CharCase == TEditCharCase::ecUpperCase) c = AnsiUpperChar(c);
  if (CharCase == TEditCharCase::ecLowerCase) c = AnsiLowerChar(c);
  if (MaxLength != 0 && text_.size() >= MaxLength) return;
  text_.insert(text_.begin() + caret_, c);
  ++caret_;
  Changed();
}

void TEdit::KeyPress(char& key) {
  TControl::KeyPress(key);  // the handler sees the key before the field does
  if (key == kBackspace) {
    if (caret_ > 0) {
      text_.erase(static_cast<size_t>(--caret_), 1);
      Changed();
    }
  } else if (static_cast<unsigned char>(key) >= ' ') {
    Insert(key);
  }
}

void TEdit::KeyDown(int& key, unsigned shift) {
  TControl::KeyDown(key, shift);
  const int length = static_cast<int>(text_.size());
  switch (key) {
    case VK_LEFT:
      caret_ = std::max(0, caret_ - 1);
      break;
    case VK_RIGHT:
      caret_ = std::min(length, caret_ + 1);
      break;
    case VK_HOME:
      caret_ = 0;
      break;
    case VK_END:
      caret_ = length;
      break;
    case VK_DELETE:
      if (caret_ < length) {
        text_.erase(static_cast<size_t>(caret_), 1);
        Changed();
      }
      return;
    default:
      return;
  }
  Invalidate();
}

void TEdit::FocusChanged(bool) { Invalidate(); }

void TEdit::Paint(TCanvas& canvas) {
  const Rect r = ClientRect();
  canvas.Brush.style = TBrushStyle::Solid;
  canvas.Brush.color = Color;
  canvas.FillRect(r);
  if (BorderStyle) {
    canvas.Brush.color = clBtnShadow;
    canvas.FrameRect(r);
  }
  canvas.Font = Font;
  canvas.Brush.style = TBrushStyle::Clear;
  const int textHeight = canvas.TextHeight("Wg");
  const int top = (Height() - textHeight) / 2;
  canvas.TextOut(kTextMargin, top, text_);
  if (Focused()) {
    const int x = kTextMargin + canvas.TextWidth(std::string_view(text_).substr(0, caret_));
    canvas.Pen.color = Font.color;
    canvas.Pen.width = 2;
    canvas.MoveTo(x, top);
    canvas.LineTo(x, top + textHeight);
  }
}

}  // namespace tazu
