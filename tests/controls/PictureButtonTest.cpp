// The picture button: which of its four pictures is on show for every mouse event and
// state, its setters, hooks and automatic size.
#include "controls/PictureButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;

constexpr uint32_t kRest = MakePixel(10, 20, 30);
constexpr uint32_t kHover = MakePixel(250, 200, 100);
constexpr uint32_t kDown = MakePixel(200, 0, 0);
constexpr uint32_t kOff = MakePixel(90, 90, 90);
constexpr uint32_t kFormColor = ColorToPixel(clBtnFace);

TPicture Solid(int w, int h, uint32_t pixel) {
  TPicture picture;
  picture.SetBitmap(Bitmap32(w, h, pixel));
  return picture;
}

class PictureButtonTest : public FrameworkTest {
 protected:
  void SetUp() override {
    form = ShownForm(300, 200);
    button = form->Create<TPictureButton>(form);
    button->SetBounds(10, 10, 40, 40);
    button->PicFrom().SetBitmap(Bitmap32(40, 40, kRest));
    button->PicTo().SetBitmap(Bitmap32(40, 40, kHover));
    button->PicDown().SetBitmap(Bitmap32(40, 40, kDown));
    button->PicDisabled().SetBitmap(Bitmap32(40, 40, kOff));
    // Filled in place as a layout does: the state value puts the rest picture on show.
    button->SetEnableBut(true);
    app->ProcessMessages();
  }

  // The colour of the picture on show (0 for none) and what the window shows there.
  uint32_t Shown() const {
    const TPicture& p = button->Picture();
    return p.Empty() ? 0 : p.Bitmap().Pixel(0, 0);
  }
  uint32_t OnScreen() {
    app->ProcessMessages();
    return fake->Window(form->Handle()).image.Pixel(30, 30);
  }
  void Enter() {
    fake->MoveMouse(form->Handle(), 30, 30);
    app->ProcessMessages();
  }
  void Leave() {
    fake->MoveMouse(form->Handle(), 200, 150);
    app->ProcessMessages();
  }
  void Press(MouseButton b = MouseButton::Left) {
    fake->PressMouse(form->Handle(), 30, 30, b);
    app->ProcessMessages();
  }
  void Release(int x = 30, int y = 30, MouseButton b = MouseButton::Left) {
    fake->ReleaseMouse(form->Handle(), x, y, b);
    app->ProcessMessages();
  }

  TForm* form = nullptr;
  TPictureButton* button = nullptr;
};

TEST_F(PictureButtonTest, ANewButtonIsOnVisibleUnsizedWithFourEmptyPictures) {
  auto* fresh = form->Create<TPictureButton>(form);
  EXPECT_TRUE(fresh->Visible());
  EXPECT_TRUE(fresh->Enabled());
  EXPECT_TRUE(fresh->EnableBut());
  EXPECT_TRUE(fresh->EnableButMove());
  EXPECT_FALSE(fresh->AutoSize());
  EXPECT_FALSE(fresh->Stretch());
  EXPECT_TRUE(fresh->Picture().Empty());
  for (const TPicture* p :
       {&fresh->PicFrom(), &fresh->PicTo(), &fresh->PicDisabled(), &fresh->PicDown()}) {
    EXPECT_TRUE(p->Empty());
  }
  EXPECT_TRUE(fresh->OnMouseDown);
  EXPECT_TRUE(fresh->OnMouseUp);
}

TEST_F(PictureButtonTest, EachMouseEventShowsItsPictureOnScreen) {
  EXPECT_EQ(Shown(), kRest);
  EXPECT_EQ(OnScreen(), kRest);
  int clicks = 0;
  button->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++clicks;
  };
  Enter();
  EXPECT_EQ(OnScreen(), kHover);
  Press();
  EXPECT_EQ(OnScreen(), kDown);
  Release();
  EXPECT_EQ(OnScreen(), kHover);
  EXPECT_EQ(clicks, 1);
  Leave();
  EXPECT_EQ(OnScreen(), kRest);
}

TEST_F(PictureButtonTest, AnyButtonPressesAndLeavingWhileHeldReturnsToRest) {
  Enter();
  Press(MouseButton::Right);
  EXPECT_EQ(Shown(), kDown);
  Release(30, 30, MouseButton::Right);
  EXPECT_EQ(Shown(), kHover);
  Press();
  Leave();  // still held: leave moves pressed to rest
  EXPECT_EQ(Shown(), kRest);
  // The release handler does not look where the pointer is.
  Release(200, 150);
  EXPECT_EQ(Shown(), kHover);
}

TEST_F(PictureButtonTest, SwitchedOffShowsPicDisabledAndTakesNoMouse) {
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  button->SetEnableBut(false);
  EXPECT_FALSE(button->Enabled());
  EXPECT_EQ(OnScreen(), kOff);
  Enter();
  Press();
  Release();
  Leave();
  EXPECT_EQ(Shown(), kOff);
  EXPECT_EQ(clicks, 0);
  button->SetEnableBut(true);
  EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(OnScreen(), kRest);
}

TEST_F(PictureButtonTest, SwitchingOffWhileHoveredStaysOffWhenThePointerLeaves) {
  Enter();
  button->SetEnableBut(false);
  EXPECT_EQ(Shown(), kOff);
  Leave();
  EXPECT_EQ(Shown(), kOff);
}

TEST_F(PictureButtonTest, WithoutPicDisabledTheSwitchedOffButtonIsEmpty) {
  auto* plain = form->Create<TPictureButton>(form);
  plain->SetBounds(100, 10, 40, 40);
  plain->PicFrom().SetBitmap(Bitmap32(40, 40, kRest));
  plain->SetEnableBut(true);
  EXPECT_FALSE(plain->Picture().Empty());
  plain->SetEnableBut(false);
  EXPECT_TRUE(plain->Picture().Empty());
  app->ProcessMessages();
  EXPECT_EQ(fake->Window(form->Handle()).image.Pixel(120, 30), kFormColor);
}

TEST_F(PictureButtonTest, WithoutPicToTheButtonGoesBlankWhileHovered) {
  button->PicTo().Clear();
  Enter();
  EXPECT_TRUE(button->Picture().Empty());
  EXPECT_EQ(OnScreen(), kFormColor);
  Leave();
  EXPECT_EQ(OnScreen(), kRest);
}

TEST_F(PictureButtonTest, WithoutEnableButMovePressAndReleaseChangeNothing) {
  button->SetEnableButMove(false);
  EXPECT_FALSE(button->EnableButMove());
  Enter();
  EXPECT_EQ(Shown(), kHover);
  Press();
  EXPECT_EQ(Shown(), kHover);
  Leave();
  EXPECT_EQ(Shown(), kRest);
  Release();  // away from the button, still captured
  EXPECT_EQ(Shown(), kRest);
}

TEST_F(PictureButtonTest, BindingOnMouseDownOrOnMouseUpReplacesThePressOrReleasePicture) {
  std::vector<std::string> log;
  button->OnMouseDown = [&](TObject*, MouseButton, unsigned, int x, int y) {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  Enter();
  Press();
  EXPECT_EQ(Shown(), kHover);
  EXPECT_EQ(log, std::vector<std::string>{"down 20,20"});
  Release();
  EXPECT_EQ(Shown(), kHover);

  button->OnMouseDown = [this](TObject* s, MouseButton b, unsigned sh, int x, int y) {
    button->ButMouseDown(s, b, sh, x, y);
  };
  button->OnMouseUp = [&](TObject*, MouseButton, unsigned, int, int) { log.push_back("up"); };
  Press();
  EXPECT_EQ(Shown(), kDown);
  Release();
  EXPECT_EQ(Shown(), kDown);
  EXPECT_EQ(log.back(), "up");
}

TEST_F(PictureButtonTest, PicToSetWhileHoveredShowsOnlyFromTheNextReleaseOrEnter) {
  constexpr uint32_t kNewHover = MakePixel(0, 255, 0);
  Enter();
  const TPicture next = Solid(40, 40, kNewHover);
  button->SetPicTo(&next);
  EXPECT_EQ(Shown(), kHover);
  Press();
  Release();
  EXPECT_EQ(Shown(), kNewHover);
  Leave();
  button->SetPicTo(nullptr);  // nothing given: PicTo keeps its graphic
  Enter();
  EXPECT_EQ(Shown(), kNewHover);
}

TEST_F(PictureButtonTest, SettersCopyTheGraphicAndOnlyPicFromShowsIt) {
  TPicture source = Solid(40, 40, MakePixel(1, 2, 3));
  button->SetPicDown(&source);
  button->SetPicDisabled(&source);
  EXPECT_EQ(Shown(), kRest);
  button->SetPicFrom(&source);
  EXPECT_EQ(Shown(), MakePixel(1, 2, 3));
  // Copies, not shared: changing the source later changes none of them.
  source.SetBitmap(Bitmap32(40, 40, MakePixel(9, 9, 9)));
  EXPECT_EQ(button->PicFrom().Bitmap().Pixel(0, 0), MakePixel(1, 2, 3));
  EXPECT_EQ(button->PicDown().Bitmap().Pixel(0, 0), MakePixel(1, 2, 3));
  EXPECT_EQ(button->PicDisabled().Bitmap().Pixel(0, 0), MakePixel(1, 2, 3));
  EXPECT_EQ(Shown(), MakePixel(1, 2, 3));
  // Without a picture the setter only shows PicFrom again.
  Enter();
  button->SetPicFrom(nullptr);
  EXPECT_EQ(Shown(), MakePixel(1, 2, 3));
}

TEST_F(PictureButtonTest, HooksRunAfterTheEnterAndLeaveEventsAndBeforeTheSwap) {
  std::vector<std::string> log;
  button->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
  button->OnMouseLeave = [&](TObject*) { log.push_back("leave"); };
  button->OnButEnter = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    log.push_back(Shown() == kRest ? "butenter before swap" : "butenter after swap");
  };
  button->OnButLeave = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    log.push_back(Shown() == kHover ? "butleave before swap" : "butleave after swap");
  };
  Enter();
  Leave();
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "butenter before swap", "leave",
                                           "butleave before swap"}));
  // A button switched off under the pointer still gets its leave and hook, but
  // keeps showing PicDisabled.
  log.clear();
  Enter();
  button->SetEnableBut(false);
  button->OnButLeave = [&](TObject*) { log.push_back(Shown() == kOff ? "butleave off" : "?"); };
  Leave();
  EXPECT_EQ(log.back(), "butleave off");
  EXPECT_EQ(Shown(), kOff);
}

TEST_F(PictureButtonTest, AutoSizeTakesTheSizeOfEachPictureShown) {
  button->SetAutoSize(true);
  button->PicTo().SetBitmap(Bitmap32(60, 30, kHover));
  button->PicDown().SetBitmap(Bitmap32(20, 25, kDown));
  Enter();
  EXPECT_EQ(button->BoundsRect(), Rect::FromSize(10, 10, 60, 30));
  Press();
  EXPECT_EQ(button->BoundsRect(), Rect::FromSize(10, 10, 20, 25));
  Release(15, 15);
  EXPECT_EQ(button->BoundsRect(), Rect::FromSize(10, 10, 60, 30));
}

}  // namespace
}  // namespace tazu
