// A full-screen form on the fake platform over a backdrop whose every pixel tells its
// screen position, and a helper that shows a hint for a spot under the pointer.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "controls/ShapeHint.h"
#include "controls/ShapeHintWindow.h"
#include "framework/Fonts.h"
#include "framework/HintWindow.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu::test {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr uint8_t kBackdropBlue = 60;
constexpr TColor kScreenFill = RGBColor(255, 255, 204);

// The backdrop's colour at a screen point (the form lies at 0, 0).
inline uint32_t BackdropPixel(int x, int y) {
  return MakePixel(static_cast<uint8_t>(x), static_cast<uint8_t>(y), kBackdropBlue);
}

inline bool SameColor(uint32_t a, uint32_t b) { return PixelToColor(a) == PixelToColor(b); }

// Paints the position pattern, or one flat colour once `flat` is set.
class Backdrop : public TControl {
 public:
  Backdrop(TComponent* owner, TForm* parent) : TControl(owner, parent) {}
  void Paint(TCanvas& canvas) override {
    Bitmap32 picture(Width(), Height(), ColorToPixel(flatColor));
    if (!flat) {
      for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) picture.Row(y)[x] = BackdropPixel(Left() + x, Top() + y);
    }
    canvas.Draw(0, 0, picture);
  }
  bool Opaque() const override { return true; }
  bool flat = false;
  TColor flatColor = clLime;
};

// An invisible control that carries a hint.
class HintSpot : public TControl {
 public:
  HintSpot(TComponent* owner, TForm* parent) : TControl(owner, parent) {}
};

class ShapeHintTest : public FrameworkTest {
 protected:
  static constexpr int kMaxLoopPasses = 8;
  static constexpr int kSpotHalf = 2;

  void SetUp() override {
    form = ShownForm(kScreenWidth, kScreenHeight);
    backdrop = form->Create<Backdrop>(form);
    backdrop->SetBounds(0, 0, kScreenWidth, kScreenHeight);
    shape = form->Create<TShapeHint>();
    SetScreenHintLook(*shape);
    shape->Loaded();
  }

  // Points at a new spot at screen point `at` carrying `text` and runs the loop until
  // the hint shows; returns the hint window.
  THintWindow& ShowHintAt(Point at, const std::string& text) {
    app->CancelHint();
    auto* spot = form->Create<HintSpot>(form);
    spot->SetBounds(at.x - kSpotHalf, at.y - kSpotHalf, 2 * kSpotHalf + 1, 2 * kSpotHalf + 1);
    spot->Hint = text;
    spot->ShowHint = true;
    fake->MoveMouse(form->Handle(), at.x, at.y);
    for (int i = 0; i < kMaxLoopPasses && !HintShowing(); ++i) app->HandleMessage();
    EXPECT_TRUE(HintShowing()) << text;
    return *app->HintWindow();
  }

  bool HintShowing() const { return app->HintWindow() != nullptr && app->HintWindow()->Showing(); }
  TShapeHintWindow* Balloon() const { return dynamic_cast<TShapeHintWindow*>(app->HintWindow()); }
  const Bitmap32& HintImage() const { return fake->Window(app->HintWindow()->Handle()).image; }
  // True where the hint window shows what the backdrop has at that screen point.
  bool ShowsBackdrop(int x, int y) const {
    const Rect b = app->HintWindow()->BoundsRect();
    return SameColor(HintImage().Pixel(x, y), BackdropPixel(b.left + x, b.top + y));
  }
  int LineHeight() const { return app->Fonts().Metrics(shape->Font()).lineHeight; }

  TForm* form = nullptr;
  Backdrop* backdrop = nullptr;
  TShapeHint* shape = nullptr;
};

}  // namespace tazu::test
