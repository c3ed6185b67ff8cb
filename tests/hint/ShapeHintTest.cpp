// The balloon as the screens show it: size, placement near the edges, pixels, word
// wrap, the captured background, and which shape hint the window draws for.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "tests/hint/ShapeHintFixture.h"

namespace tazu {
namespace {

using test::BackdropPixel;
using test::HintSpot;
using test::kScreenFill;
using test::SameColor;
using test::ShapeHintTest;

constexpr int kNoseMinWindowWidth = 69;  // 46 + 23
constexpr int kNoseExtraWidth = 23;
constexpr int kNoseExtraHeight = 18;
constexpr int kTextMargin = 6;
constexpr int kNoseBand = 15;
constexpr int kTipReach = 7;  // the nose tip lies within this many pixels of the pointer

// The window corner the nose points from, per position.
Point TipCorner(THintPosition position, int w, int h) {
  switch (position) {
    case THintPosition::hpAboveLeft:
      return {w - 1, h - 1};
    case THintPosition::hpAboveRight:
      return {0, h - 1};
    case THintPosition::hpBelowLeft:
      return {w - 1, 0};
    case THintPosition::hpBelowRight:
      return {0, 0};
  }
  return {};
}

// The balloon body (window coordinates) of the nose styles with shadow depth 0.
Rect Body(THintPosition position, int w, int h) {
  switch (position) {
    case THintPosition::hpAboveLeft:
      return {0, 0, w - kNoseBand, h - kNoseBand};
    case THintPosition::hpAboveRight:
      return {kNoseBand, 0, w, h - kNoseBand};
    case THintPosition::hpBelowLeft:
      return {0, kNoseBand, w - kNoseBand, h};
    case THintPosition::hpBelowRight:
      return {kNoseBand, kNoseBand, w, h};
  }
  return {};
}

bool IsAbove(THintPosition p) {
  return p == THintPosition::hpAboveLeft || p == THintPosition::hpAboveRight;
}

// ---- size ----

TEST_F(ShapeHintTest, OneWordHintsGetAtLeastTheNoseWidthAndOneLine) {
  for (const std::string word : {"OK", "Verslag", "Report"}) {
    const THintWindow& window = ShowHintAt({400, 300}, word);
    ASSERT_NE(Balloon(), nullptr);
    const Rect text = Balloon()->TextRect();
    const Rect b = window.BoundsRect();
    EXPECT_GE(b.Width(), kNoseMinWindowWidth) << word;
    EXPECT_EQ(b.Width(), std::max(text.Width(), 46) + kNoseExtraWidth) << word;
    EXPECT_EQ(text.Height(), LineHeight() + kTextMargin) << word;
    EXPECT_EQ(b.Height(), text.Height() + kNoseExtraHeight) << word;
    EXPECT_EQ(window.Caption(), word);
  }
  // A short word: exactly the nose's minimum.
  EXPECT_EQ(ShowHintAt({300, 300}, "OK").BoundsRect().Width(), kNoseMinWindowWidth);
}

TEST_F(ShapeHintTest, LongHintWrapsAtTheWidthMaxWidthGivesForTheScreen) {
  const std::string text = "Verander naam of taal en begin dan weer van voor af met die program";
  auto lines = [&](const Rect& r) { return (r.Height() - kTextMargin) / LineHeight(); };

  ShowHintAt({400, 300}, text);
  ASSERT_NE(Balloon(), nullptr);
  const Rect narrow = Balloon()->TextRect();
  EXPECT_LE(narrow.Width() - kTextMargin, 200);  // 800 / 4
  EXPECT_GT(narrow.Width() - kTextMargin, 150);
  EXPECT_EQ((narrow.Height() - kTextMargin) % LineHeight(), 0);
  EXPECT_GE(lines(narrow), 3);
  EXPECT_EQ(app->HintWindow()->BoundsRect().Width(), narrow.Width() + kNoseExtraWidth);
  // Every line band holds letters.
  const Bitmap32& image = HintImage();
  for (int line = 0; line < lines(narrow); ++line) {
    int ink = 0;
    for (int y = narrow.top + line * LineHeight(); y < narrow.top + (line + 1) * LineHeight(); ++y)
      for (int x = narrow.left; x < narrow.right; ++x)
        if (PixelR(image.Pixel(x, y)) < 100 && PixelB(image.Pixel(x, y)) < 100) ++ink;
    EXPECT_GT(ink, 20) << "line " << line;
  }

  fake->screen = {0, 0, 1600, 600};  // the limit follows the screen: 400
  ShowHintAt({300, 300}, text);
  const Rect wide = Balloon()->TextRect();
  EXPECT_GT(wide.Width() - kTextMargin, 200);
  EXPECT_LE(wide.Width() - kTextMargin, 400);
  EXPECT_LT(lines(wide), lines(narrow));

  shape->SetMaxWidth(120);
  ShowHintAt({500, 300}, text);
  EXPECT_LE(Balloon()->TextRect().Width() - kTextMargin, 120);

  shape->SetMaxWidth(0);  // counts as 1: one word a line
  ShowHintAt({200, 300}, "een twee drie");
  EXPECT_EQ(lines(Balloon()->TextRect()), 3);
}

TEST_F(ShapeHintTest, EmptyHintIsMeasuredAsASpace) {
  // A control without a hint shows none, so the window is asked directly.
  TShapeHintWindow window(*app);
  window.ActivateHint({400, 300, -1, -1}, "");
  EXPECT_TRUE(window.Showing());
  EXPECT_EQ(window.TextRect().Height(), LineHeight() + kTextMargin);
  EXPECT_EQ(window.BoundsRect().Width(), kNoseMinWindowWidth);
}

// ---- placement and drawing per position ----

struct PlacementCase {
  const char* name;
  THintPosition wanted;
  Point pointer;
  THintPosition shown;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class ShapeHintPlacement : public ShapeHintTest,
                           public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(ShapeHintPlacement, WindowGoesWhereTheTableSaysAndTheBalloonIsDrawnForIt) {
  const PlacementCase& c = GetParam();
  shape->SetPosition(c.wanted);
  const THintWindow& window = ShowHintAt(c.pointer, "Verslag");
  ASSERT_NE(Balloon(), nullptr);
  EXPECT_EQ(Balloon()->ShownPosition(), c.shown);
  const Rect b = window.BoundsRect();
  const int w = b.Width(), h = b.Height();
  const Point p = c.pointer;
  switch (c.shown) {
    case THintPosition::hpAboveLeft:
      EXPECT_EQ(b.left, p.x - w - 1);
      EXPECT_EQ(b.top, p.y - h - 1);
      break;
    case THintPosition::hpAboveRight:
      EXPECT_EQ(b.left, p.x + 1);
      EXPECT_EQ(b.top, p.y - h - 1);
      break;
    case THintPosition::hpBelowLeft:
      EXPECT_EQ(b.left, p.x - w - 3);
      EXPECT_EQ(b.top, p.y + 1);
      break;
    case THintPosition::hpBelowRight:
      EXPECT_EQ(b.left, p.x + 6);
      EXPECT_EQ(b.top, p.y + 1);
      break;
  }
  EXPECT_GE(b.left, 0);
  EXPECT_GE(b.top, 0);
  EXPECT_LT(b.right, test::kScreenWidth);
  EXPECT_LT(b.bottom, test::kScreenHeight);

  const Bitmap32& image = HintImage();
  ASSERT_EQ(image.Width(), w);
  ASSERT_EQ(image.Height(), h);
  const Rect body = Body(c.shown, w, h);
  const int mid = (body.left + body.right) / 2;
  // Fill inside the body; the outline on the side away from the nose.
  EXPECT_TRUE(SameColor(image.Pixel(mid, body.top + 2), ColorToPixel(kScreenFill)));
  const int edge = IsAbove(c.shown) ? body.top : body.bottom - 1;
  EXPECT_TRUE(SameColor(image.Pixel(mid, edge), ColorToPixel(clBlack)));
  // The text rectangle sits in the body.
  const Rect text = Balloon()->TextRect();
  EXPECT_EQ(text.left, body.left + 4);
  EXPECT_EQ(text.top, body.top + 4);
  // The three corners away from the nose show the screen that was there.
  const Point tip = TipCorner(c.shown, w, h);
  for (Point corner : {Point{0, 0}, Point{w - 1, 0}, Point{0, h - 1}, Point{w - 1, h - 1}}) {
    if (corner == tip) continue;
    EXPECT_TRUE(ShowsBackdrop(corner.x, corner.y)) << corner.x << "," << corner.y;
  }
  // The balloon pixel nearest to the pointer is the nose, right next to it.
  int nearest = INT_MAX;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (ShowsBackdrop(x, y)) continue;
      const int dx = b.left + x - p.x, dy = b.top + y - p.y;
      nearest = std::min(nearest, dx * dx + dy * dy);
    }
  }
  EXPECT_LE(nearest, kTipReach * kTipReach);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ShapeHintPlacement,
    ::testing::Values(
        PlacementCase{"MiddleAboveRight",
                      THintPosition::hpAboveRight,
                      {400, 300},
                      THintPosition::hpAboveRight},
        PlacementCase{
            "MiddleAboveLeft", THintPosition::hpAboveLeft, {400, 300}, THintPosition::hpAboveLeft},
        PlacementCase{
            "MiddleBelowLeft", THintPosition::hpBelowLeft, {400, 300}, THintPosition::hpBelowLeft},
        PlacementCase{"MiddleBelowRight",
                      THintPosition::hpBelowRight,
                      {400, 300},
                      THintPosition::hpBelowRight},
        PlacementCase{
            "TopEdgeGoesBelow", THintPosition::hpAboveRight, {400, 10}, THintPosition::hpBelowLeft},
        PlacementCase{"TopRightCornerGoesBelowLeft",
                      THintPosition::hpAboveRight,
                      {790, 10},
                      THintPosition::hpBelowLeft},
        PlacementCase{"TopLeftCornerGoesBelowRight",
                      THintPosition::hpAboveRight,
                      {10, 10},
                      THintPosition::hpBelowRight},
        PlacementCase{"BottomRightCornerWrapsToAboveLeft",
                      THintPosition::hpAboveRight,
                      {790, 590},
                      THintPosition::hpAboveLeft},
        PlacementCase{"BottomLeftCornerStaysAboveRight",
                      THintPosition::hpAboveRight,
                      {10, 590},
                      THintPosition::hpAboveRight},
        PlacementCase{"BelowRightAtTheBottomLeftWrapsRound",
                      THintPosition::hpBelowRight,
                      {10, 590},
                      THintPosition::hpAboveRight},
        PlacementCase{"RightEdgeGoesLeft",
                      THintPosition::hpAboveRight,
                      {795, 300},
                      THintPosition::hpBelowLeft}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShapeHintTest, TheScreensRightAndBottomEdgesAreOutside) {
  const int w = ShowHintAt({400, 300}, "Verslag").BoundsRect().Width();
  // Above-right would end exactly at the screen's right edge: that does not fit.
  ShowHintAt({test::kScreenWidth - 1 - w, 300}, "Verslag");
  EXPECT_EQ(Balloon()->ShownPosition(), THintPosition::hpBelowLeft);
  // One pixel further left it fits.
  ShowHintAt({test::kScreenWidth - 2 - w, 300}, "Verslag");
  EXPECT_EQ(Balloon()->ShownPosition(), THintPosition::hpAboveRight);
  EXPECT_EQ(app->HintWindow()->BoundsRect().right, test::kScreenWidth - 1);
}

TEST_F(ShapeHintTest, WhenNothingFitsTheWindowIsMovedOntoTheScreenForTheWantedPosition) {
  fake->screen = {0, 0, 120, 40};  // lower than any balloon
  shape->SetPosition(THintPosition::hpBelowLeft);
  const Rect b = ShowHintAt({100, 20}, "OK").BoundsRect();
  EXPECT_EQ(Balloon()->ShownPosition(), THintPosition::hpBelowLeft);
  EXPECT_EQ(b.left, 100 - b.Width() - 3);  // that far left is on the screen
  EXPECT_EQ(b.top, 0);                     // taller than the screen: the top wins
}

// ---- the captured background ----

TEST_F(ShapeHintTest, CornersKeepTheScreenCapturedWhenTheHintAppeared) {
  ShowHintAt({400, 300}, "Report");
  const Rect b = app->HintWindow()->BoundsRect();
  ASSERT_TRUE(ShowsBackdrop(0, 0));
  backdrop->flat = true;
  backdrop->Invalidate();
  app->ProcessMessages();
  form->Update();
  ASSERT_TRUE(SameColor(form->BackBuffer().Pixel(b.left, b.top), ColorToPixel(clLime)));
  ASSERT_TRUE(HintShowing());
  EXPECT_TRUE(ShowsBackdrop(0, 0));
  EXPECT_TRUE(ShowsBackdrop(b.Width() - 1, 0));
}

// ---- which shape hint draws ----

TEST_F(ShapeHintTest, TheLastEnabledIsActiveAndTheEarlierOneTakesOverWhenItGoes) {
  EXPECT_EQ(TShapeHint::Active(*app), shape);
  const TColor introFill = RGBColor(200, 230, 255);
  TForm* intro = app->CreateForm<TForm>();
  auto* introHint = intro->Create<TShapeHint>();
  SetScreenHintLook(*introHint);
  introHint->SetColor(introFill);
  introHint->Loaded();
  EXPECT_EQ(TShapeHint::Active(*app), introHint);

  // The fill colour near the top of the balloon's body.
  auto fill = [&] {
    const Rect b = app->HintWindow()->BoundsRect();
    const Rect body = Body(THintPosition::hpAboveRight, b.Width(), b.Height());
    return PixelToColor(HintImage().Pixel((body.left + body.right) / 2, body.top + 2));
  };

  ShowHintAt({400, 300}, "Lefthanded mouse");
  ASSERT_NE(Balloon(), nullptr);
  EXPECT_EQ(fill(), introFill);

  TComponent::Free(intro);
  EXPECT_EQ(TShapeHint::Active(*app), shape);
  ShowHintAt({400, 300}, "Report");
  ASSERT_NE(Balloon(), nullptr);
  EXPECT_EQ(fill(), kScreenFill);

  // Disabled: the plain window with the framework's look.
  shape->SetEnabled(false);
  EXPECT_EQ(TShapeHint::Active(*app), nullptr);
  ShowHintAt({400, 300}, "Report");
  EXPECT_EQ(Balloon(), nullptr);
  EXPECT_TRUE(SameColor(HintImage().Pixel(HintImage().Width() / 2, 1), ColorToPixel(clInfoBk)));
}

TEST_F(ShapeHintTest, RegistryFollowsEnablingDisablingAndDestruction) {
  TOwned<TShapeHint> second(form->Create<TShapeHint>());
  TOwned<TShapeHint> third(form->Create<TShapeHint>());
  second->Loaded();
  third->Loaded();
  EXPECT_EQ(TShapeHint::Active(*app), third.get());
  // Enabling again moves an earlier one to the top.
  second->SetEnabled(true);
  EXPECT_EQ(TShapeHint::Active(*app), second.get());
  // A disabled earlier one is skipped when the active one goes.
  third->SetEnabled(false);
  EXPECT_EQ(TShapeHint::Active(*app), second.get());
  second.reset();
  EXPECT_EQ(TShapeHint::Active(*app), shape);
  // An earlier one destroyed while not active leaves no trace.
  third->SetEnabled(true);
  TComponent::Free(shape);
  shape = nullptr;
  EXPECT_EQ(TShapeHint::Active(*app), third.get());
  third.reset();
  EXPECT_EQ(TShapeHint::Active(*app), nullptr);
}

TEST_F(ShapeHintTest, DisablingTheActiveOneClearsTheActiveShapeHint) {
  TOwned<TShapeHint> second(form->Create<TShapeHint>());
  second->Loaded();
  second->SetEnabled(false);
  EXPECT_EQ(TShapeHint::Active(*app), nullptr);
  second.reset();
  EXPECT_EQ(TShapeHint::Active(*app), nullptr);
  shape->SetEnabled(true);
  EXPECT_EQ(TShapeHint::Active(*app), shape);
}

TEST_F(ShapeHintTest, WithoutAnActiveShapeHintTheBalloonWindowTakesThePlainPath) {
  shape->SetEnabled(false);
  app->SetHintWindowClass([](TApplication& a) { return std::make_unique<TShapeHintWindow>(a); });
  const THintWindow& window = ShowHintAt({300, 200}, "Exit");
  ASSERT_NE(Balloon(), nullptr);
  const Rect b = window.BoundsRect();
  EXPECT_EQ(b.left, 300);  // the framework's place, below the pointer
  EXPECT_GT(b.top, 200);
  EXPECT_TRUE(SameColor(HintImage().Pixel(b.Width() / 2, 1), ColorToPixel(clInfoBk)));

  // Anchored by the rectangle: nothing at all without a shape hint.
  TShapeHintWindow direct(*app);
  direct.ActivateHint({100, 100, -1, -1}, "Exit");
  EXPECT_FALSE(direct.Showing());
}

TEST_F(ShapeHintTest, RectangleWithRightAndBottomMinusOneAnchorsTheBalloon) {
  fake->cursorPos = {10, 10};
  TShapeHintWindow window(*app);
  window.ActivateHint({400, 300, -1, -1}, "Verslag");
  ASSERT_TRUE(window.Showing());
  const Rect b = window.BoundsRect();
  EXPECT_EQ(b.left, 401);
  EXPECT_EQ(b.bottom, 299);
  // Any other rectangle: the pointer is the anchor.
  window.ActivateHint({400, 300, 500, 320}, "Verslag");
  EXPECT_EQ(window.BoundsRect().left, 16);  // top-left corner: below-right of the pointer
  EXPECT_EQ(window.BoundsRect().top, 11);
}

}  // namespace
}  // namespace tazu
