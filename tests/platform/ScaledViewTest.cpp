// The geometry of the scaled presentation: factors, placement of windows, pointer
// positions mapped back, and the aligned rectangles a part of the picture is drawn from.
#include "platform/ScaledView.h"

#include <gtest/gtest.h>

namespace tazu {
namespace {

constexpr Point kPicture{800, 600};

TEST(ScaledViewTest, FactorIsTheLargestFractionThatFitsWithAlignedCells) {
  struct Case {
    Point output;
    ScaleFactor factor;
  };
  const Case cases[] = {
      {{1024, 768}, {32, 25}},  // 1.28
      {{1366, 768}, {32, 25}},  // the height decides
      {{1280, 720}, {6, 5}},
      {{1920, 1080}, {9, 5}},
      {{1440, 900}, {3, 2}},
      {{1600, 1200}, {2, 1}},
      {{800, 600}, {1, 1}},
      {{1680, 1050}, {7, 4}},
      // 4/3 would need cells of 3 pixels, which 800 and 600 are not made of.
      {{1280, 800}, {33, 25}},
      {{640, 480}, {4, 5}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitFactor(kPicture, c.output), c.factor) << c.output.x << "x" << c.output.y;
  }
  EXPECT_EQ(FitFactor(kPicture, {0, 768}).num, 0);
  EXPECT_EQ(FitFactor(kPicture, {20, 20}).num, 0);  // not even 1/25 fits
}

TEST(ScaledViewTest, ThePictureIsCentredOnTheOutputAndWindowsArePlacedOverIt) {
  const ScaledScreen screen(kPicture, Rect::FromSize(0, 0, 1280, 720));
  EXPECT_EQ(screen.Factor(), (ScaleFactor{6, 5}));
  EXPECT_EQ(screen.Picture(), Rect::FromSize(160, 0, 960, 720));
  // A window covering the picture covers the whole output, bars included.
  EXPECT_EQ(screen.Place({0, 0, 800, 600}), Rect::FromSize(0, 0, 1280, 720));
  EXPECT_TRUE(screen.CoversPicture({-10, 0, 810, 600}));
  // Any other window lies over its part of the picture.
  EXPECT_EQ(screen.Place(Rect::FromSize(300, 250, 200, 101)), (Rect{520, 300, 760, 422}));
  EXPECT_EQ(screen.ToLogical({160, 0}), (Point{0, 0}));
  EXPECT_EQ(screen.ToLogical({1119, 719}), (Point{799, 599}));
  EXPECT_EQ(screen.ToLogical({159, 0}), (Point{-1, 0}));  // over the bar
  EXPECT_EQ(screen.Scale(32), 38);
  EXPECT_EQ(screen.Scale(5), 6);

  const ScaledScreen second(kPicture, Rect::FromSize(1920, 0, 1024, 768));
  EXPECT_EQ(second.Picture(), Rect::FromSize(1920, 0, 1024, 768));
  EXPECT_EQ(second.ToLogical({1920 + 1023, 767}), (Point{799, 599}));
}

TEST(ScaledViewTest, AWindowViewMapsItsPixelsBackToTheBuffer) {
  // The window a kiosk compositor gave: the picture fitted and centred inside it.
  const ScaledView fit = ScaledView::Fit(kPicture, {1280, 720});
  EXPECT_TRUE(fit.Smooth());
  EXPECT_EQ(fit.Target(), Rect::FromSize(160, 0, 960, 720));
  EXPECT_EQ(fit.ToLogical({160, 0}), (Point{0, 0}));
  EXPECT_EQ(fit.ToLogical({165, 5}), (Point{4, 4}));
  EXPECT_EQ(fit.ToLogical({166, 6}), (Point{5, 5}));
  EXPECT_EQ(fit.ToLogical({100, 700}), (Point{-50, 583}));

  const ScaledView twice = ScaledView::Fit(kPicture, {1600, 1200});
  EXPECT_FALSE(twice.Smooth());  // whole factors copy pixels
  EXPECT_EQ(twice.ToLogical({1599, 1199}), (Point{799, 599}));

  // A message box or a hint: its buffer stretched over the window it got.
  const ScaledView box = ScaledView::Stretch({200, 100}, {256, 128});
  EXPECT_EQ(box.FactorX(), (ScaleFactor{32, 25}));
  EXPECT_EQ(box.Target(), Rect::FromSize(0, 0, 256, 128));
  EXPECT_EQ(box.ToLogical({255, 127}), (Point{199, 99}));

  // A box the system sized otherwise than placed (a compositor maximising it) keeps its
  // aspect, centred.
  const ScaledScreen screen(kPicture, Rect::FromSize(0, 0, 1280, 720));
  EXPECT_EQ(screen.ViewFor(Rect::FromSize(300, 250, 200, 100), {240, 120}).FactorY(),
            (ScaleFactor{6, 5}));
  const ScaledView maximised = screen.ViewFor(Rect::FromSize(300, 250, 200, 100), {1280, 720});
  EXPECT_EQ(maximised.FactorX(), maximised.FactorY());
  EXPECT_EQ(maximised.Target(), Rect::FromSize(0, 40, 1280, 640));

  // Unscaled, in a window larger than asked: centred, one pixel for one.
  const ScaledView centred = ScaledView::Centred(kPicture, {1280, 720});
  EXPECT_FALSE(centred.Identity());
  EXPECT_FALSE(centred.Smooth());
  EXPECT_EQ(centred.Target(), Rect::FromSize(240, 60, 800, 600));
  EXPECT_EQ(centred.ToLogical({240, 60}), (Point{0, 0}));
  EXPECT_TRUE(ScaledView::Centred(kPicture, kPicture).Identity());

  EXPECT_TRUE(ScaledView().Identity());
  EXPECT_EQ(ScaledView().ToLogical({17, 3}), (Point{17, 3}));
  EXPECT_TRUE(ScaledView::Fit(kPicture, kPicture).Identity());
}

TEST(ScaledViewTest, APartIsDrawnFromWholeCellsAndAMarginForTheFilter) {
  const ScaledView view = ScaledView::Fit(kPicture, {1024, 768});
  // The morph button of the menu's corner: 44x44 at 737,544.
  const Rect part = Rect::FromSize(737, 544, 44, 44);
  const Rect aligned = view.Aligned(part);
  EXPECT_EQ(aligned, (Rect{725, 525, 800, 600}));
  EXPECT_EQ(view.ToSurface(aligned), (Rect{928, 672, 1024, 768}));
  EXPECT_EQ(view.WithFilterMargin(aligned), (Rect{700, 500, 800, 600}));
  EXPECT_EQ(view.Aligned({0, 0, 1, 1}), (Rect{0, 0, 25, 25}));
  EXPECT_EQ(view.Aligned({-5, -5, 900, 700}), (Rect{0, 0, 800, 600}));

  // Every aligned edge lands on a whole pixel, so parts tile without seams.
  const ScaledView wide = ScaledView::Fit(kPicture, {1920, 1080});
  const Rect cell = wide.Aligned({401, 301, 402, 302});
  EXPECT_EQ(cell, (Rect{400, 300, 405, 305}));
  EXPECT_EQ(wide.ToSurface(cell), (Rect{240 + 720, 540, 240 + 729, 549}));
  // Whole factors need no margin: each buffer pixel is a block of its own.
  const ScaledView twice = ScaledView::Fit(kPicture, {1600, 1200});
  EXPECT_EQ(twice.WithFilterMargin(twice.Aligned(part)), part);
}

}  // namespace
}  // namespace tazu
