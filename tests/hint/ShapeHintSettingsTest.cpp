// The shape hint's properties: defaults, setters, the width limit, the window class
// it installs, and what each style and shadow does to the balloon.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "tests/hint/ShapeHintFixture.h"

namespace tazu {
namespace {

using test::kScreenFill;
using test::SameColor;
using test::ShapeHintTest;

TEST(ShapeHintSettings, DefaultsAndSettersAndOwnedCopies) {
  TOwned<TShapeHint> hint(new TShapeHint(nullptr));
  EXPECT_EQ(hint->BorderColor(), clBlack);
  EXPECT_EQ(hint->Color(), clInfoBk);
  EXPECT_EQ(hint->Font().name, "MS Sans Serif");
  EXPECT_EQ(hint->Font().height, 11);
  EXPECT_EQ(hint->Font().color, clInfoText);
  EXPECT_EQ(hint->Font3D().Style(), T3DStyle::tdNone);
  EXPECT_EQ(hint->MaxWidth(), -4);
  EXPECT_EQ(hint->Position(), THintPosition::hpAboveRight);
  EXPECT_EQ(hint->Shadow().Color(), clBtnShadow);
  EXPECT_EQ(hint->Shadow().Depth(), 6);
  EXPECT_EQ(hint->Shadow().Style(), TShadowStyle::hssSolid);
  EXPECT_EQ(hint->Style(), THintStyle::hsNoseRoundRect);
  EXPECT_TRUE(hint->Enabled());

  hint->SetBorderColor(clRed);
  hint->SetColor(clYellow);
  hint->SetMaxWidth(250);
  hint->SetPosition(THintPosition::hpBelowLeft);
  hint->SetStyle(THintStyle::hsEllipse);
  EXPECT_EQ(hint->BorderColor(), clRed);
  EXPECT_EQ(hint->Color(), clYellow);
  EXPECT_EQ(hint->MaxWidth(), 250);
  EXPECT_EQ(hint->Position(), THintPosition::hpBelowLeft);
  EXPECT_EQ(hint->Style(), THintStyle::hsEllipse);

  TFont font;
  font.name = "Arial";
  font.height = 20;
  hint->SetFont(font);
  font.height = 30;  // the hint keeps its own copy
  EXPECT_EQ(hint->Font().height, 20);
  TShadow shadow;
  shadow.SetColor(clBlue);
  shadow.SetStyle(TShadowStyle::hssTracing);
  hint->SetShadow(shadow);
  shadow.SetColor(clRed);
  EXPECT_EQ(hint->Shadow().Color(), clBlue);
  EXPECT_EQ(hint->Shadow().Style(), TShadowStyle::hssTracing);
  T3DCaption look;
  look.SetStyle(T3DStyle::tdSunken);
  hint->SetFont3D(look);
  look.SetStyle(T3DStyle::tdRaised);
  EXPECT_EQ(hint->Font3D().Style(), T3DStyle::tdSunken);

  hint->Shadow().SetDepth(-3);
  EXPECT_EQ(hint->Shadow().Depth(), 0);
  hint->Shadow().SetDepth(99);
  EXPECT_EQ(hint->Shadow().Depth(), 40);

  // Without an application only the flag changes.
  hint->SetEnabled(false);
  EXPECT_FALSE(hint->Enabled());
  hint->Loaded();
  EXPECT_FALSE(hint->Enabled());
}

TEST(ShapeHintSettings, ScreenLook) {
  TOwned<TShapeHint> hint(new TShapeHint(nullptr));
  SetScreenHintLook(*hint);
  EXPECT_EQ(hint->Color(), 13434879u);
  EXPECT_EQ(hint->Font().name, "Arial");
  EXPECT_TRUE(hint->Font().bold);
  EXPECT_EQ(hint->Font().height, 16);
  EXPECT_EQ(hint->Font().color, clInfoText);
  EXPECT_EQ(hint->Shadow().Color(), 12189695u);
  EXPECT_EQ(hint->Shadow().Depth(), 0);
  EXPECT_EQ(hint->Style(), THintStyle::hsNoseRoundRect);
  EXPECT_EQ(hint->MaxWidth(), -4);
}

TEST(ShapeHintSettings, TextWidthLimitFromMaxWidth) {
  TOwned<TShapeHint> hint(new TShapeHint(nullptr));
  EXPECT_EQ(hint->TextWidthLimit(800), 200);
  EXPECT_EQ(hint->TextWidthLimit(1024), 256);
  hint->SetMaxWidth(-3);
  EXPECT_EQ(hint->TextWidthLimit(800), 266);
  hint->SetMaxWidth(150);
  EXPECT_EQ(hint->TextWidthLimit(800), 150);
  hint->SetMaxWidth(0);
  EXPECT_EQ(hint->TextWidthLimit(800), 1);
  hint->SetMaxWidth(-1000);
  EXPECT_EQ(hint->TextWidthLimit(800), 1);
  hint->SetMaxWidth(INT_MIN);
  EXPECT_EQ(hint->TextWidthLimit(800), 1);
}

TEST_F(ShapeHintTest, EnabledInstallsTheWindowClassAndTurnsHintsBackOn) {
  ShowHintAt({400, 300}, "Report");
  EXPECT_NE(Balloon(), nullptr);
  shape->SetEnabled(false);
  EXPECT_EQ(app->HintWindow(), nullptr);  // recreated with the new class on the next hint
  ShowHintAt({400, 300}, "Report");
  EXPECT_EQ(Balloon(), nullptr);
  app->SetShowHint(false);
  shape->SetEnabled(true);
  EXPECT_TRUE(app->ShowHint());
  ShowHintAt({400, 300}, "Report");
  EXPECT_NE(Balloon(), nullptr);
}

// ---- styles ----

constexpr int kDepth = 6;
constexpr TColor kShadowColor = RGBColor(0, 0, 255);

class ShapeHintStyleTest : public ShapeHintTest {
 protected:
  void SetUp() override {
    ShapeHintTest::SetUp();
    shape->Shadow().SetDepth(kDepth);
    shape->Shadow().SetColor(kShadowColor);
  }
  // Shows the hint in `style` and returns the window's size.
  Point SizeFor(THintStyle style, Point at = {400, 300}) {
    shape->SetStyle(style);
    const Rect b = ShowHintAt(at, "Change name").BoundsRect();
    return {b.Width(), b.Height()};
  }
  bool IsShadow(int x, int y) const {
    return SameColor(HintImage().Pixel(x, y), ColorToPixel(kShadowColor));
  }
};

TEST_F(ShapeHintStyleTest, WindowSizeAndTextOffsetByStyle) {
  const Point rect = SizeFor(THintStyle::hsRect);
  const int W = rect.x - kDepth, H = rect.y - kDepth;  // the text rectangle
  EXPECT_EQ(Balloon()->TextRect(), Rect::FromSize(3, 3, W, H));
  EXPECT_GT(W, 46);

  EXPECT_EQ(SizeFor(THintStyle::hsRoundRect, {350, 300}), (Point{W + kDepth + 8, H + kDepth + 4}));
  EXPECT_EQ(Balloon()->TextRect(), Rect::FromSize(5, 5, W, H));
  EXPECT_EQ(SizeFor(THintStyle::hsEllipse), (Point{W + W / 3 + kDepth, H + H / 3 + kDepth}));
  EXPECT_EQ(Balloon()->TextRect(),
            Rect::FromSize((W - kDepth) / 5 + 3, (H - kDepth) / 5 + 3, W, H));
  for (THintStyle nose : {THintStyle::hsNoseRect, THintStyle::hsNoseRoundRect}) {
    EXPECT_EQ(SizeFor(nose, {350, 300}), (Point{W + kDepth + 23, H + kDepth + 18}));
    EXPECT_EQ(Balloon()->TextRect(), Rect::FromSize(19, 4, W, H));
  }
  const Point ellipse = SizeFor(THintStyle::hsNoseEllipse);
  EXPECT_EQ(ellipse, (Point{W + W / 2 + kDepth + 15, H + H / 2 + kDepth + 15}));
  // Centred in the ellipse, which keeps the nose's room free at the bottom left.
  const Rect text = Balloon()->TextRect();
  EXPECT_LE(std::abs((text.left - 15) - (ellipse.x - kDepth - text.right)), 1);
  EXPECT_LE(std::abs(text.top - (ellipse.y - kDepth - 15 - text.bottom)), 1);
  EXPECT_GT(text.left, 15);
}

TEST_F(ShapeHintStyleTest, EveryStyleFillsItsBodyAndShowsItsShadow) {
  for (THintStyle style :
       {THintStyle::hsRect, THintStyle::hsRoundRect, THintStyle::hsEllipse, THintStyle::hsNoseRect,
        THintStyle::hsNoseRoundRect, THintStyle::hsNoseEllipse}) {
    const Point size = SizeFor(style, {style == THintStyle::hsRect ? 400 : 380, 300});
    const Rect text = Balloon()->TextRect();
    const auto& image = HintImage();
    // The fill just above the text, at the middle of the text's width.
    EXPECT_TRUE(SameColor(image.Pixel((text.left + text.right) / 2, text.top - 1),
                          ColorToPixel(kScreenFill)))
        << static_cast<int>(style);
    // The shadow shows beyond the balloon's right edge, halfway down the body.
    const int bodyBottom = style >= THintStyle::hsNoseRect ? size.y - 15 : size.y;
    EXPECT_TRUE(IsShadow(size.x - 2, (bodyBottom + kDepth) / 2)) << static_cast<int>(style);
    // The top-right corner above the shadow shows the screen.
    EXPECT_TRUE(ShowsBackdrop(size.x - 1, 0)) << static_cast<int>(style);
  }
}

TEST_F(ShapeHintStyleTest, ShadowStyles) {
  shape->SetStyle(THintStyle::hsRect);
  ShowHintAt({400, 300}, "Exit");
  Point size{HintImage().Width(), HintImage().Height()};
  EXPECT_TRUE(IsShadow(size.x - 1, size.y - 1));
  EXPECT_TRUE(IsShadow(size.x - 2, size.y - 1));

  shape->Shadow().SetStyle(TShadowStyle::hssTracing);
  ShowHintAt({410, 300}, "Exit");
  // Shadow where column and row differ in oddness; the screen shows through elsewhere.
  for (int x = size.x - 4; x < size.x; ++x) {
    const int y = size.y - 1;
    if ((x + y) % 2 == 1)
      EXPECT_TRUE(IsShadow(x, y)) << x;
    else
      EXPECT_TRUE(ShowsBackdrop(x, y)) << x;
  }

  shape->Shadow().SetStyle(TShadowStyle::hssNone);
  ShowHintAt({420, 300}, "Exit");
  EXPECT_TRUE(ShowsBackdrop(size.x - 1, size.y - 1));
  EXPECT_TRUE(ShowsBackdrop(size.x - 2, size.y / 2));

  // Depth 0: the shadow lies under the balloon and is not seen at all.
  shape->Shadow().SetStyle(TShadowStyle::hssSolid);
  shape->Shadow().SetDepth(0);
  shape->SetStyle(THintStyle::hsNoseRoundRect);
  ShowHintAt({430, 300}, "Exit");
  const auto& image = HintImage();
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) ASSERT_FALSE(IsShadow(x, y)) << x << "," << y;
}

TEST_F(ShapeHintTest, Font3DStylesDrawCopiesOfTheTextInTheirColours) {
  const TColor highlight = RGBColor(255, 0, 0);
  const TColor dark = RGBColor(0, 0, 255);
  auto count = [&](TColor color) {
    int n = 0;
    const auto& image = HintImage();
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        if (SameColor(image.Pixel(x, y), ColorToPixel(color))) ++n;
    return n;
  };
  shape->Font3D().SetHighlightColor(highlight);
  shape->Font3D().SetShadowColor(dark);
  ShowHintAt({400, 300}, "Report");
  EXPECT_EQ(count(highlight), 0);
  EXPECT_EQ(count(dark), 0);
  shape->Font3D().SetStyle(T3DStyle::tdShadowed);
  ShowHintAt({410, 300}, "Report");
  EXPECT_EQ(count(highlight), 0);
  EXPECT_GT(count(dark), 3);
  for (T3DStyle style : {T3DStyle::tdRaised, T3DStyle::tdSunken}) {
    shape->Font3D().SetStyle(style);
    ShowHintAt({style == T3DStyle::tdRaised ? 420 : 430, 300}, "Report");
    EXPECT_GT(count(highlight), 3);
    EXPECT_GT(count(dark), 3);
  }
}

}  // namespace
}  // namespace tazu
