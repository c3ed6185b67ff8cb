// The image viewer: where the picture lies, which bars show, scrolling by code and by
// the mouse (wheel, handle, bar), always clamped to the picture, and what reaches the
// screen.
#include "framework/ImageViewer.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "base/Exceptions.h"
#include "tests/base/TempDir.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;
constexpr int kBar = TImageViewer::kScrollBarSize;
constexpr auto kH = TScrollBarKind::sbHorizontal;
constexpr auto kV = TScrollBarKind::sbVertical;

// Every pixel tells where it lies in the picture: red and green the column, blue the
// row (both modulo 256), so a screen pixel says which picture pixel it shows.
Bitmap32 Coded(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.SetPixel(x, y,
                 MakePixel(static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8),
                           static_cast<uint8_t>(y)));
    }
  }
  return b;
}

class ImageViewerTest : public FrameworkTest {
 protected:
  void SetUp() override {
    form = ShownForm(400, 300);
    viewer = form->Create<TImageViewer>(form);
    viewer->SetBounds(50, 40, 200, 150);
    TScrollBarLook look;
    look.barColor = clGreen;
    look.handleColor = clYellow;
    look.handleGrip = true;
    look.roundedHandles = true;
    viewer->SetScrollBarLook(look);
    viewer->OnViewChange = [this](TObject*) { ++viewChanges; };
  }
  void Load(int w, int h) { viewer->Picture().SetBitmap(Coded(w, h)); }
  // A pixel of the window, in viewer coordinates.
  uint32_t Screen(int x, int y) {
    app->ProcessMessages();
    return fake->Window(form->Handle()).image.Pixel(viewer->Left() + x, viewer->Top() + y);
  }
  void Wheel(int notches, unsigned shift = 0) {
    Event e;
    e.kind = EventKind::MouseWheel;
    e.window = form->Handle();
    e.pos = {viewer->Left() + 20, viewer->Top() + 20};
    e.wheelDelta = notches;
    e.shift = shift;
    fake->MoveMouse(form->Handle(), e.pos.x, e.pos.y);
    fake->PushEvent(e);
    app->ProcessMessages();
  }
  // Mouse actions in viewer coordinates.
  void Press(int x, int y) {
    fake->MoveMouse(form->Handle(), viewer->Left() + x, viewer->Top() + y);
    fake->PressMouse(form->Handle(), viewer->Left() + x, viewer->Top() + y);
    app->ProcessMessages();
  }
  void MoveTo(int x, int y) {
    fake->MoveMouse(form->Handle(), viewer->Left() + x, viewer->Top() + y);
    app->ProcessMessages();
  }
  void Release(int x, int y) {
    fake->ReleaseMouse(form->Handle(), viewer->Left() + x, viewer->Top() + y);
    app->ProcessMessages();
  }

  TForm* form = nullptr;
  TImageViewer* viewer = nullptr;
  int viewChanges = 0;
};

TEST_F(ImageViewerTest, ASmallPictureIsCentredOnTheBackgroundWithoutBars) {
  Load(100, 50);
  EXPECT_FALSE(viewer->ScrollBarShown(kH));
  EXPECT_FALSE(viewer->ScrollBarShown(kV));
  EXPECT_EQ(viewer->ViewRect(), Rect::FromSize(0, 0, 200, 150));
  EXPECT_EQ(viewer->PictureRect(), Rect::FromSize(50, 50, 100, 50));
  EXPECT_EQ(Screen(50, 50), Coded(100, 50).Pixel(0, 0));
  EXPECT_EQ(Screen(149, 99), Coded(100, 50).Pixel(99, 49));
  EXPECT_EQ(Screen(49, 50), ColorToPixel(clWhite));
  EXPECT_EQ(Screen(199, 149), ColorToPixel(clWhite));
  viewer->ScrollBy(30, 30);
  EXPECT_EQ(viewer->ViewX(), 0);
  EXPECT_EQ(viewer->ViewY(), 0);
  viewer->SetCenter(false);
  EXPECT_EQ(Screen(0, 0), Coded(100, 50).Pixel(0, 0));
  EXPECT_EQ(Screen(150, 100), ColorToPixel(clWhite));
}

TEST_F(ImageViewerTest, ATallPictureGetsAVerticalBarAndStaysCentredAcross) {
  Load(100, 1000);
  EXPECT_FALSE(viewer->ScrollBarShown(kH));
  EXPECT_TRUE(viewer->ScrollBarShown(kV));
  EXPECT_EQ(viewer->ViewRect(), Rect::FromSize(0, 0, 200 - kBar, 150));
  EXPECT_EQ(viewer->BarRect(kV), Rect::FromSize(200 - kBar, 0, kBar, 150));
  EXPECT_TRUE(viewer->SizeGripRect().IsEmpty());
  EXPECT_EQ(viewer->MaxViewY(), 1000 - 150);
  EXPECT_EQ(viewer->PictureRect().left, (200 - kBar - 100) / 2);
  // The bar in its colours: green track, yellow handle at the top.
  EXPECT_EQ(Screen(200 - kBar / 2, 140), ColorToPixel(clGreen));
  const Rect handle = viewer->HandleRect(kV);
  EXPECT_EQ(handle.top, 0);
  EXPECT_EQ(Screen(handle.left + 3, handle.top + 3), ColorToPixel(clYellow));
}

TEST_F(ImageViewerTest, ScrollingByCodeIsClampedAtBothEnds) {
  Load(100, 1000);
  const int x = viewer->PictureRect().left;
  viewer->ScrollBy(0, 300);
  EXPECT_EQ(viewer->ViewY(), 300);
  EXPECT_EQ(Screen(x, 0), Coded(100, 1000).Pixel(0, 300));
  viewer->ScrollBy(0, 10000);
  EXPECT_EQ(viewer->ViewY(), 850);
  EXPECT_EQ(Screen(x + 5, 149), Coded(100, 1000).Pixel(5, 999));
  viewer->ScrollBy(0, -2500);
  EXPECT_EQ(viewer->ViewY(), 0);
  EXPECT_EQ(Screen(x, 0), Coded(100, 1000).Pixel(0, 0));
  viewer->ScrollBy(INT_MAX, INT_MAX);
  EXPECT_EQ(viewer->ViewY(), 850);
  EXPECT_EQ(viewer->ViewX(), 0);  // nothing to scroll across
  viewer->ScrollBy(INT_MIN, INT_MIN);
  EXPECT_EQ(viewer->ViewY(), 0);
  EXPECT_EQ(viewChanges, 1 + 5);  // the load and five moves
  viewer->ScrollBy(0, -1);        // already at the top: no change
  EXPECT_EQ(viewChanges, 1 + 5);
}

TEST_F(ImageViewerTest, ABigPictureGetsBothBarsAndASizeGrip) {
  Load(300, 400);
  EXPECT_TRUE(viewer->ScrollBarShown(kH));
  EXPECT_TRUE(viewer->ScrollBarShown(kV));
  EXPECT_EQ(viewer->ViewRect(), Rect::FromSize(0, 0, 200 - kBar, 150 - kBar));
  EXPECT_EQ(viewer->SizeGripRect(), Rect::FromSize(200 - kBar, 150 - kBar, kBar, kBar));
  EXPECT_EQ(viewer->MaxViewX(), 300 - (200 - kBar));
  EXPECT_EQ(viewer->MaxViewY(), 400 - (150 - kBar));
  viewer->ScrollBy(1000, 1000);
  EXPECT_EQ(Screen(200 - kBar - 1, 150 - kBar - 1), Coded(300, 400).Pixel(299, 399));
  viewer->SetViewXY(-5, 20);
  EXPECT_EQ(viewer->ViewX(), 0);
  EXPECT_EQ(viewer->ViewY(), 20);
}

TEST_F(ImageViewerTest, OneBarCanCallForTheOther) {
  // 190 wide fits 200 but not the 184 left beside the vertical bar.
  Load(190, 1000);
  EXPECT_TRUE(viewer->ScrollBarShown(kV));
  EXPECT_TRUE(viewer->ScrollBarShown(kH));
  EXPECT_EQ(viewer->MaxViewX(), 190 - (200 - kBar));
  // 190 wide and 140 high fits without any bar.
  Load(190, 140);
  EXPECT_FALSE(viewer->ScrollBarShown(kV));
  EXPECT_FALSE(viewer->ScrollBarShown(kH));
}

TEST_F(ImageViewerTest, ANewPictureOrSizeKeepsTheViewOnThePicture) {
  Load(100, 1000);
  viewer->ScrollBy(0, 700);
  Load(100, 2000);
  EXPECT_EQ(viewer->ViewY(), 0);
  viewer->ScrollBy(0, 1800);
  viewer->SetBounds(50, 40, 200, 400);
  EXPECT_EQ(viewer->ViewY(), 1600);
  viewer->Picture().Clear();
  EXPECT_FALSE(viewer->ScrollBarShown(kV));
  EXPECT_EQ(Screen(100, 100), ColorToPixel(clWhite));
}

TEST_F(ImageViewerTest, TheWheelScrollsDownAndUpAndSidewaysWithShift) {
  Load(300, 1000);
  Wheel(-1);
  EXPECT_EQ(viewer->ViewY(), TImageViewer::kWheelStep);
  Wheel(-3);
  EXPECT_EQ(viewer->ViewY(), 4 * TImageViewer::kWheelStep);
  Wheel(100);
  EXPECT_EQ(viewer->ViewY(), 0);
  Wheel(-1000000000);
  EXPECT_EQ(viewer->ViewY(), viewer->MaxViewY());
  Wheel(-2, ssShift);
  EXPECT_EQ(viewer->ViewX(), 2 * TImageViewer::kWheelStep);
  Wheel(-3, ssShift);
  EXPECT_EQ(viewer->ViewX(), viewer->MaxViewX());
  EXPECT_EQ(viewer->ViewY(), viewer->MaxViewY());
}

TEST_F(ImageViewerTest, TheWheelScrollsAcrossWhenOnlyTheHorizontalBarShows) {
  Load(1000, 100);
  Wheel(-1);
  EXPECT_EQ(viewer->ViewX(), TImageViewer::kWheelStep);
  Load(50, 50);
  Wheel(-1);  // nothing to scroll
  EXPECT_EQ(viewer->ViewX(), 0);
  EXPECT_EQ(viewer->ViewY(), 0);
}

TEST_F(ImageViewerTest, DraggingTheHandleMovesTheViewInProportionAndStopsAtTheEnds) {
  Load(100, 1000);
  const Rect handle = viewer->HandleRect(kV);
  const int travel = 150 - handle.Height();
  const int x = (handle.left + handle.right) / 2;
  const int grab = handle.top + 5;
  Press(x, grab);
  EXPECT_EQ(viewer->ViewY(), 0);
  MoveTo(x, grab + travel / 2);
  EXPECT_NEAR(viewer->ViewY(), 850 / 2, 850 / travel + 1);
  EXPECT_EQ(viewer->HandleRect(kV).top, handle.top + travel / 2);
  // The handle follows the pointer even beyond the viewer, and stops at the ends.
  MoveTo(x + 300, grab + 1000);
  EXPECT_EQ(viewer->ViewY(), 850);
  EXPECT_EQ(viewer->HandleRect(kV).bottom, 150);
  MoveTo(x, -500);
  EXPECT_EQ(viewer->ViewY(), 0);
  MoveTo(x, grab + travel);
  EXPECT_EQ(viewer->ViewY(), 850);
  Release(x, grab + travel);
  MoveTo(x, grab);  // released: moving no longer drags
  EXPECT_EQ(viewer->ViewY(), 850);
}

TEST_F(ImageViewerTest, HidingTheViewerEndsADrag) {
  Load(100, 1000);
  const Rect handle = viewer->HandleRect(kV);
  const int x = (handle.left + handle.right) / 2;
  Press(x, handle.top + 2);
  MoveTo(x, handle.top + 40);
  const int reached = viewer->ViewY();
  EXPECT_GT(reached, 0);
  viewer->Hide();
  viewer->Show();
  MoveTo(x, handle.top + 100);  // the button was never released here, but the drag is over
  EXPECT_EQ(viewer->ViewY(), reached);
}

TEST_F(ImageViewerTest, DraggingTheHorizontalHandleScrollsAcross) {
  Load(1000, 100);
  const Rect handle = viewer->HandleRect(kH);
  const int y = (handle.top + handle.bottom) / 2;
  Press(handle.left + 2, y);
  MoveTo(handle.left + 2 + 500, y);
  Release(handle.left + 2 + 500, y);
  EXPECT_EQ(viewer->ViewX(), viewer->MaxViewX());
  EXPECT_EQ(viewer->ViewY(), 0);
}

TEST_F(ImageViewerTest, PressingTheBarBesideTheHandleTurnsAPage) {
  Load(100, 1000);
  const int x = 200 - kBar / 2;
  Press(x, 140);
  Release(x, 140);
  EXPECT_EQ(viewer->ViewY(), 150);
  Press(x, 140);
  Release(x, 140);
  EXPECT_EQ(viewer->ViewY(), 300);
  Press(x, 1);
  Release(x, 1);
  EXPECT_EQ(viewer->ViewY(), 150);
  // Pressing the picture itself scrolls nothing.
  Press(20, 20);
  Release(20, 20);
  EXPECT_EQ(viewer->ViewY(), 150);
}

TEST_F(ImageViewerTest, AHandleIsNeverShorterThanItsMinimum) {
  Load(100, 100000);
  EXPECT_EQ(viewer->HandleRect(kV).Height(), TImageViewer::kMinHandleLength);
  viewer->ScrollBy(0, INT_MAX);
  EXPECT_EQ(viewer->HandleRect(kV).bottom, 150);
}

TEST_F(ImageViewerTest, AFileIsLoadedAndADamagedOneLeavesThePictureAsItWas) {
  test::TempDir dir;
  const std::vector<uint8_t> jpeg = EncodeJpeg(Bitmap32(120, 500, MakePixel(0, 0, 200)));
  const std::string good = dir.Write("page.jpg", std::string(jpeg.begin(), jpeg.end()));
  const std::string bad = dir.Write("bad.jpg", std::string(jpeg.begin(), jpeg.begin() + 40));
  viewer->LoadFromFile(good);
  EXPECT_EQ(viewer->Picture().Width(), 120);
  EXPECT_EQ(viewer->Picture().Height(), 500);
  EXPECT_TRUE(viewer->ScrollBarShown(kV));
  viewer->ScrollBy(0, 100);
  EXPECT_THROW(viewer->LoadFromFile(bad), Exception);
  EXPECT_EQ(viewer->Picture().Height(), 500);
  EXPECT_EQ(viewer->ViewY(), 100);
  EXPECT_THROW(viewer->LoadFromFile((dir.Path() / "missing.jpg").string()), Exception);
}

}  // namespace
}  // namespace tazu
