#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "framework/Image.h"
#include "framework/ImageCodecs.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;
using test::ProbeControl;
using Log = std::vector<std::string>;

class FormTest : public FrameworkTest {
 protected:
  void SetUp() override {
    form = ShownForm();
    // a: 10..60 x 10..60, b on top: 40..90 x 40..90, overlapping at 40..60.
    a = form->Create<ProbeControl>(form, "a", &log, clRed);
    a->SetBounds(10, 10, 50, 50);
    b = form->Create<ProbeControl>(form, "b", &log, clBlue);
    b->SetBounds(40, 40, 50, 50);
  }
  void Pump() { app->ProcessMessages(); }

  TForm* form = nullptr;
  ProbeControl* a = nullptr;
  ProbeControl* b = nullptr;
  Log log;
};

TEST_F(FormTest, LaterControlIsDrawnOverAndGetsThePointerFirst) {
  Pump();
  const Bitmap32& shown = fake->Window(form->Handle()).image;
  EXPECT_EQ(shown.Pixel(20, 20), ColorToPixel(clRed));
  EXPECT_EQ(shown.Pixel(50, 50), ColorToPixel(clBlue));  // the overlap shows b
  EXPECT_EQ(shown.Pixel(150, 20), ColorToPixel(form->Color()));
  EXPECT_EQ(form->ControlAtPos({50, 50}), b);
  EXPECT_EQ(form->ControlAtPos({20, 20}), a);
  EXPECT_EQ(form->ControlAtPos({150, 20}), nullptr);

  a->BringToFront();
  Pump();
  EXPECT_EQ(form->ControlAtPos({50, 50}), a);
  EXPECT_EQ(fake->Window(form->Handle()).image.Pixel(50, 50), ColorToPixel(clRed));
}

// Paints all it can reach: it widens the clip, moves the origin back to the form's and
// fills far beyond its own rectangle.
class Overreaching : public TControl {
 public:
  using TControl::TControl;
  void Paint(TCanvas& canvas) override {
    const TCanvas::StateSaver wider(canvas, {-1000, -1000, 1000, 1000});
    canvas.SetOrigin({0, 0});
    canvas.Brush.color = clLime;
    canvas.FillRect({-1000, -1000, 1000, 1000});
  }
};

TEST_F(FormTest, NoControlPaintsOutsideItsRectangle) {
  auto* wild = form->Create<Overreaching>(form);
  wild->SetBounds(120, 20, 30, 30);
  Pump();
  const Bitmap32& shown = fake->Window(form->Handle()).image;
  for (int y = 0; y < shown.Height(); ++y)
    for (int x = 0; x < shown.Width(); ++x)
      ASSERT_EQ(shown.Pixel(x, y) == ColorToPixel(clLime), wild->BoundsRect().Contains({x, y}))
          << x << "," << y;
}

TEST_F(FormTest, HiddenAndDisabledControlsTakeNoPointer) {
  b->Hide();
  EXPECT_EQ(form->ControlAtPos({50, 50}), a);
  b->Show();
  b->SetEnabled(false);
  EXPECT_EQ(form->ControlAtPos({50, 50}), a);
  fake->Click(form->Handle(), 80, 80);  // only b is there, and it is disabled
  Pump();
  EXPECT_EQ(log, Log{});
}

TEST_F(FormTest, EnterAndLeaveFollowThePointerAcrossControls) {
  fake->MoveMouse(form->Handle(), 20, 20);
  fake->MoveMouse(form->Handle(), 25, 20);
  fake->MoveMouse(form->Handle(), 50, 50);
  fake->MoveMouse(form->Handle(), 150, 50);
  Pump();
  EXPECT_EQ(log, (Log{"a enter", "a move 10,10", "a move 15,10", "a leave", "b enter",
                      "b move 10,10", "b leave"}));
  log.clear();
  fake->MoveMouse(form->Handle(), 20, 20);
  Event leave;
  leave.kind = EventKind::MouseLeave;
  leave.window = form->Handle();
  fake->PushEvent(leave);
  Pump();
  EXPECT_EQ(log, (Log{"a enter", "a move 10,10", "a leave"}));
}

TEST_F(FormTest, ClickNeedsPressAndReleaseOnTheSameControl) {
  fake->Click(form->Handle(), 20, 20);
  Pump();
  EXPECT_EQ(log, (Log{"a enter", "a move 10,10", "a down 10,10", "a click", "a up"}));
  log.clear();
  // Pressed on a, released outside: the capture keeps the release on a, but no click.
  fake->PressMouse(form->Handle(), 20, 20);
  fake->ReleaseMouse(form->Handle(), 150, 90);
  Pump();
  EXPECT_EQ(log, (Log{"a down 10,10", "a up"}));
}

TEST_F(FormTest, ControlDeletedInsideItsClickHandlerIsNotTouchedAgain) {
  a->OnClick = [&](TObject*) { TComponent::Free(a); };
  fake->Click(form->Handle(), 20, 20);
  Pump();
  EXPECT_EQ(form->Controls().size(), 1u);
  EXPECT_EQ(log.back(), "a click");
}

TEST_F(FormTest, FormHandlersGetWhatNoControlTakes) {
  std::vector<Point> moves;
  int clicks = 0;
  form->OnMouseMove = [&](TObject*, unsigned, int x, int y) { moves.push_back({x, y}); };
  form->OnClick = [&](TObject*) { ++clicks; };
  fake->Click(form->Handle(), 150, 20);
  Pump();
  EXPECT_EQ(moves, (std::vector<Point>{{150, 20}}));
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormTest, KeysGoToTheFocusedControlAndControlKeysTypeCharacters) {
  a->focusable = true;
  a->SetFocus();
  ASSERT_TRUE(a->Focused());
  fake->TypeText(form->Handle(), "x\xc3\xa9");  // x and e-acute in UTF-8
  fake->PressKey(form->Handle(), VK_BACK);
  fake->PressKey(form->Handle(), VK_RETURN);
  Pump();
  EXPECT_EQ(log, (Log{"a key x", "a key \xe9", "a key \b", "a key \r"}));

  std::string preview;
  form->KeyPreview = true;
  form->OnKeyPress = [&](TObject*, char& key) {
    preview += key;
    if (key == 'q') key = 0;  // swallowed before the control sees it
  };
  log.clear();
  fake->TypeText(form->Handle(), "qz");
  Pump();
  EXPECT_EQ(preview, "qz");
  EXPECT_EQ(log, (Log{"a key z"}));
}

TEST_F(FormTest, CursorFollowsTheHoveredControl) {
  constexpr int kHand = 31;
  app->SetCursor(kHand, app->GetPlatform().CreateColorCursor(Bitmap32(4, 4), {0, 0}));
  a->Cursor = kHand;
  fake->MoveMouse(form->Handle(), 20, 20);
  Pump();
  EXPECT_EQ(fake->currentCursor, app->CursorFor(kHand));
  fake->MoveMouse(form->Handle(), 150, 20);
  Pump();
  EXPECT_EQ(fake->currentCursor, app->CursorFor(crDefault));
}

TEST_F(FormTest, OnlyTheChangedRectangleIsPaintedAgain) {
  Pump();
  const int before = fake->Window(form->Handle()).presentCount;
  a->Invalidate();
  b->Invalidate();
  Pump();
  EXPECT_EQ(fake->Window(form->Handle()).presentCount, before + 1);  // one union
  Pump();
  EXPECT_EQ(fake->Window(form->Handle()).presentCount, before + 1);  // nothing pending

  a->Repaint();  // at once, without the loop
  EXPECT_EQ(fake->Window(form->Handle()).presentCount, before + 2);
}

TEST_F(FormTest, ImageShowsItsPictureWithAutoSizeAndAlpha) {
  Bitmap32 picture(30, 20, MakePixel(0, 200, 0));
  picture.SetPixel(0, 0, MakePixel(255, 255, 255, 0));  // fully transparent corner
  auto* image = form->Create<TImage>(form);
  image->SetBounds(100, 10, 5, 5);
  image->SetAutoSize(true);
  const std::vector<uint8_t> png = EncodePng(picture);
  image->Picture().LoadFromMemory(png);
  EXPECT_EQ(image->Width(), 30);
  EXPECT_EQ(image->Height(), 20);
  Pump();
  const Bitmap32& shown = fake->Window(form->Handle()).image;
  EXPECT_EQ(shown.Pixel(110, 15), MakePixel(0, 200, 0));
  EXPECT_EQ(shown.Pixel(100, 10), ColorToPixel(form->Color()));  // the form shows through
}

TEST_F(FormTest, DamagedPictureRaisesAndLeavesTheImageAsItWas) {
  auto* image = form->Create<TImage>(form);
  const std::vector<uint8_t> good = EncodeJpeg(Bitmap32(8, 8, MakePixel(10, 20, 30)));
  image->Picture().LoadFromMemory(good);
  std::vector<uint8_t> damaged(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  EXPECT_THROW(image->Picture().LoadFromMemory(damaged), EInvalidGraphic);
  std::vector<uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0x00, 0x01, 0x02, 0x03};
  EXPECT_THROW(image->Picture().LoadFromMemory(garbage), EInvalidGraphic);
  EXPECT_EQ(image->Picture().Width(), 8);
}

}  // namespace
}  // namespace tazu
