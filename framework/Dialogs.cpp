#include "framework/Dialogs.h"

#include <algorithm>
#include <array>
#include <vector>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/Form.h"

namespace tazu {
namespace {

constexpr int kTitleHeight = 22;
constexpr int kTitleIndent = 8;
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kMinWidth = 200;
constexpr TColor kTitleColor = RGBColor(0, 84, 153);

struct ButtonChoice {
  const char* caption;
  int result;
};

std::vector<ButtonChoice> ButtonsFor(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::YesNo:
      return {{"Yes", mrYes}, {"No", mrNo}};
    case MessageBoxButtons::OkCancel:
      return {{"OK", mrOk}, {"Cancel", mrCancel}};
    case MessageBoxButtons::YesNoCancel:
      return {{"Yes", mrYes}, {"No", mrNo}, {"Cancel", mrCancel}};
    default:
      return {{"OK", mrOk}};
  }
}

class TMessageForm : public TForm {
 public:
  TMessageForm(TComponent* owner, const MessageBoxRequest& request)
      : TForm(owner), request_(request) {
    SetCaption(request.caption);
    SetColor(clBtnFace);
    Position = TPosition::poScreenCenter;
    KeyPreview = true;
    Layout();
    OnKeyDown = [this](TObject*, int& key, unsigned) { DialogKey(key); };
  }

 protected:
  void PaintBackground(TCanvas& canvas, const Rect& r) override {
    TForm::PaintBackground(canvas, r);
    PaintDialogFrame(canvas, ClientRect(), kTitleHeight, kTitleIndent, titleFont_,
                     request_.caption);
    DrawIcon(canvas);
    canvas.Font = textFont_;
    Rect text = textRect_;
    canvas.DrawText(request_.text, text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }

 private:
  void Layout() {
    textFont_.name = "Arial";
    textFont_.height = 14;
    titleFont_ = textFont_;
    titleFont_.bold = true;
    titleFont_.color = clWhite;

    const Rect screen = Application()->GetPlatform().ScreenRect();
    const int textLeft = kMargin + (HasIcon() ? kIconSize + kMargin : 0);
    TCanvas& measure = measureCanvas_;
    measure.Font = textFont_;
    Rect text{0, 0, std::max(kMinWidth, screen.Width() / 2), 0};
    measure.DrawText(request_.text.empty() ? " " : request_.text, text,
                     DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    measure.Font = titleFont_;
    const int titleWidth = measure.TextWidth(request_.caption) + 2 * kMargin;

    const auto choices = ButtonsFor(request_.buttons);
    const int buttonsWidth =
        static_cast<int>(choices.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    const int width = std::max(
        {kMinWidth, textLeft + text.Width() + kMargin, buttonsWidth + 2 * kMargin, titleWidth});
    const int bodyHeight = std::max(text.Height(), HasIcon() ? kIconSize : 0);
    const int height = kTitleHeight + kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;
    SetBounds(0, 0, width, height);
    textRect_ = Rect::FromSize(textLeft, kTitleHeight + kMargin, text.Width(), text.Height());

    int x = (width - buttonsWidth) / 2;
    const int y = height - kMargin - kButtonHeight;
    for (const ButtonChoice& choice : choices) {
      auto* button = Create<TButton>(this);
      button->Caption = choice.caption;
      button->ModalResult = choice.result;
      button->SetBounds(x, y, kButtonWidth, kButtonHeight);
      x += kButtonWidth + kButtonGap;
      buttons_.push_back(button);
    }
    SetActiveControl(buttons_.front());
  }

  bool HasIcon() const { return request_.kind != MessageBoxKind::Plain; }

  void DialogKey(int& key) {
    if (key == VK_RETURN) {
      if (auto* focused = dynamic_cast<TButton*>(ActiveControl())) focused->Click();
      key = 0;
    } else if (key == VK_ESCAPE) {
      SetModalResult(buttons_.back()->ModalResult);
      key = 0;
    } else if (key == VK_TAB || key == VK_LEFT || key == VK_RIGHT) {
      auto it = std::find(buttons_.begin(), buttons_.end(), ActiveControl());
      const size_t i = it == buttons_.end() ? 0 : static_cast<size_t>(it - buttons_.begin());
      const size_t n = buttons_.size();
      SetActiveControl(buttons_[key == VK_LEFT ? (i + n - 1) % n : (i + 1) % n]);
      key = 0;
    }
  }

  void DrawIcon(TCanvas& canvas) {
    if (!HasIcon()) return;
    const Rect box = Rect::FromSize(kMargin, kTitleHeight + kMargin, kIconSize, kIconSize);
    const char* mark = "i";
    canvas.Pen.color = clBlack;
    canvas.Brush.style = TBrushStyle::Solid;
    switch (request_.kind) {
      case MessageBoxKind::Warning: {
        canvas.Brush.color = RGBColor(255, 200, 0);
        const std::array<Point, 3> triangle{Point{box.left + kIconSize / 2, box.top},
                                            Point{box.right - 1, box.bottom - 1},
                                            Point{box.left, box.bottom - 1}};
        canvas.Polygon(triangle);
        mark = "!";
        break;
      }
      case MessageBoxKind::Error:
        canvas.Brush.color = RGBColor(210, 30, 30);
        canvas.Ellipse(box);
        mark = "X";
        break;
      case MessageBoxKind::Question:
        canvas.Brush.color = RGBColor(30, 90, 200);
        canvas.Ellipse(box);
        mark = "?";
        break;
      default:
        canvas.Brush.color = RGBColor(30, 90, 200);
        canvas.Ellipse(box);
        break;
    }
    TFont markFont = titleFont_;
    markFont.height = 20;
    markFont.color = request_.kind == MessageBoxKind::Warning ? clBlack : clWhite;
    canvas.Font = markFont;
    canvas.Brush.style = TBrushStyle::Clear;
    Rect inner = box.Offset(0, request_.kind == MessageBoxKind::Warning ? 4 : 0);
    canvas.DrawText(mark, inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

  MessageBoxRequest request_;
  TFont textFont_;
  TFont titleFont_;
  Rect textRect_;
  std::vector<TButton*> buttons_;
  Bitmap32 measureBuffer_{1, 1};
  TCanvas measureCanvas_{measureBuffer_, &Application()->Fonts()};
};

MessageBoxKind KindOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning:
      return MessageBoxKind::Warning;
    case TMsgDlgType::mtError:
      return MessageBoxKind::Error;
    case TMsgDlgType::mtInformation:
      return MessageBoxKind::Information;
    case TMsgDlgType::mtConfirmation:
      return MessageBoxKind::Question;
    default:
      return MessageBoxKind::Plain;
  }
}

const char* CaptionOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning:
      return "Warning";
    case TMsgDlgType::mtError:
      return "Error";
    case TMsgDlgType::mtInformation:
      return "Information";
    case TMsgDlgType::mtConfirmation:
      return "Confirm";
    default:
      return nullptr;
  }
}

MessageBoxButtons ButtonsOf(unsigned buttons) {
  const bool yes = buttons & mbYes, no = buttons & mbNo, cancel = buttons & mbCancel;
  if (yes && no) return cancel ? MessageBoxButtons::YesNoCancel : MessageBoxButtons::YesNo;
  if (cancel) return MessageBoxButtons::OkCancel;
  return MessageBoxButtons::Ok;
}

}  // namespace

int MessageDlg(TApplication& app, const std::string& message, TMsgDlgType type, unsigned buttons) {
  MessageBoxRequest request;
  const char* caption = CaptionOf(type);
  request.caption = caption != nullptr ? caption : app.Title;
  request.text = message;
  request.kind = KindOf(type);
  request.buttons = ButtonsOf(buttons);
  return app.MessageBox(request);
}

void ShowMessage(TApplication& app, const std::string& message) {
  MessageBoxRequest request;
  request.caption = app.Title;
  request.text = message;
  app.MessageBox(request);
}

int ShowMessageForm(TApplication& app, const MessageBoxRequest& request) {
  TOwned<TMessageForm> form(app.Create<TMessageForm>(request));
  return form->ShowModal();
}

void PaintDialogFrame(TCanvas& canvas, const Rect& client, int titleHeight, int titleIndent,
                      const TFont& titleFont, std::string_view title) {
  canvas.Brush.color = kTitleColor;
  canvas.FillRect({0, 0, client.right, titleHeight});
  canvas.Brush.color = clBtnShadow;
  canvas.FrameRect(client);
  canvas.Font = titleFont;
  canvas.Brush.style = TBrushStyle::Clear;
  Rect text{titleIndent, 0, client.right - titleIndent, titleHeight};
  canvas.DrawText(title, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace tazu
