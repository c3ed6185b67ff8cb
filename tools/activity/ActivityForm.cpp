#include "tools/activity/ActivityForm.h"

#include <algorithm>

#include "framework/Button.h"
#include "framework/Dialogs.h"
#include "framework/Timer.h"

namespace tazu::activity {

namespace {

constexpr const char* kTitle = "Pelkor Tazu activity";
constexpr int kWidth = 520;
constexpr int kTitleHeight = 26;
constexpr int kMargin = 12;
constexpr int kLineHeight = 18;
constexpr int kTextHeight = 14;  // font em height
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 28;
constexpr int kMsPerSecond = 1000;
constexpr uint32_t kSoonestMs = 1;  // a timer interval of 0 would never tick

}  // namespace

TActivityForm::TActivityForm(TComponent* owner, std::string program,
                             std::vector<std::string> arguments, std::optional<int> seconds)
    : TForm(owner), program_(std::move(program)), arguments_(std::move(arguments)) {
  SetCaption(kTitle);
  SetColor(clBtnFace);
  Position = TPosition::poScreenCenter;
  const int lines = static_cast<int>(Lines().size());
  const int height =
      kTitleHeight + kMargin + lines * kLineHeight + kMargin + kButtonHeight + kMargin;
  SetBounds(0, 0, kWidth, height);

  finish_ = Create<TButton>(this);
  finish_->Caption = "Finish";
  finish_->SetBounds(kWidth - kMargin - kButtonWidth, height - kMargin - kButtonHeight,
                     kButtonWidth, kButtonHeight);
  finish_->OnClick = [this](TObject*) { Close(); };
  SetActiveControl(finish_);

  if (seconds) {
    endTimer_ = Create<TTimer>();
    endTimer_->SetInterval(
        std::max<uint32_t>(kSoonestMs, static_cast<uint32_t>(*seconds) * kMsPerSecond));
    endTimer_->SetOnTimer([this](TObject*) {
      endTimer_->SetEnabled(false);
      Close();
    });
  }
}

std::vector<std::string> TActivityForm::Lines() const {
  std::vector<std::string> lines;
  lines.push_back("Program: " + program_);
  lines.push_back("Arguments: " + std::to_string(arguments_.size()));
  for (size_t i = 0; i < arguments_.size(); ++i) {
    lines.push_back("  " + std::to_string(i + 1) + ": " + arguments_[i]);
  }
  return lines;
}

void TActivityForm::PaintBackground(TCanvas& canvas, const Rect& r) {
  TForm::PaintBackground(canvas, r);
  const Rect all = ClientRect();
  PaintDialogFrame(canvas, all, kTitleHeight, kMargin,
                   {.height = kTextHeight, .bold = true, .color = clWhite}, kTitle);
  canvas.Font = {.height = kTextHeight};
  int y = kTitleHeight + kMargin;
  for (const std::string& line : Lines()) {
    Rect box{kMargin, y, all.right - kMargin, y + kLineHeight};
    canvas.DrawText(line, box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    y += kLineHeight;
  }
}

}  // namespace tazu::activity
