#include "controls/MorphButton.h"

#include <gtest/gtest.h>

#include <random>

#include "controls/HandCursor.h"
#include "framework/Image.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;

Bitmap32 Solid(int w, int h, uint32_t pixel) { return Bitmap32(w, h, pixel); }

// A frame holding `picture` the way the button renders it (stretched to w x h).
std::vector<uint8_t> Rendered(const Bitmap32& picture, int w, int h) {
  TMorphFrame frame;
  frame.SetSize(w, h);
  frame.StretchFrom(picture);
  return frame.bytes;
}

class MorphButtonTest : public FrameworkTest {
 protected:
  void SetUp() override {
    form = ShownForm(300, 200);
    button = form->Create<TMorphButton>(form);
    button->SetBounds(10, 10, 44, 44);
    button->MorphPic1().SetBitmap(rest);
    button->MorphPic2().SetBitmap(hover);
  }
  // The pointer enters the button and, at the tenth blend step, leaves it again;
  // returns the hooks in the order they fired and counts the steps.
  std::vector<std::string> EnterThenLeaveAtStep10(int& steps) {
    std::vector<std::string> hooks;
    button->OnMorphStarted = [&](TObject*) { hooks.push_back("enter morph"); };
    button->OnMouseLeft = [&](TObject*) { hooks.push_back("left"); };
    button->OnMorphFinished = [&](TObject*) { hooks.push_back("enter finished"); };
    button->OnMorphStep = [&](int) {
      if (++steps == 10) fake->MoveMouse(form->Handle(), 200, 150);
    };
    fake->MoveMouse(form->Handle(), 20, 20);
    app->ProcessMessages();
    button->OnMorphStarted = button->OnMouseLeft = button->OnMorphFinished = nullptr;
    button->OnMorphStep = nullptr;  // they refer to this function's locals
    return hooks;
  }

  TForm* form = nullptr;
  TMorphButton* button = nullptr;
  Bitmap32 rest = Solid(44, 44, MakePixel(10, 20, 30));
  Bitmap32 hover = Solid(44, 44, MakePixel(250, 200, 100));
};

TEST(MorphBlend, EveryImplementationMatchesTheByteFormulaOnRandomFramesWithRowPadding) {
  std::mt19937 random(7);
  auto variants = MorphBlendVariants();
  variants.emplace_back("chosen", MorphBlend);
  for (const auto& [name, blend] : variants) {
    for (int width : {1, 3, 5, 11, 43, 44, 45}) {
      TMorphFrame source, target, display;
      for (TMorphFrame* f : {&source, &target, &display}) f->SetSize(width, 7);
      for (auto& b : source.bytes) b = static_cast<uint8_t>(random());
      for (auto& b : target.bytes) b = static_cast<uint8_t>(random());
      ASSERT_EQ(source.bytes.size() % 4, 0u);
      // Weight 0 writes nothing; MorphBlend alone is asked for it.
      for (int w = blend == MorphBlend ? 0 : 1; w <= 32; ++w) {
        display.bytes.assign(display.bytes.size(), 0xAB);
        blend(display.bytes.data(), source.bytes.data(), target.bytes.data(), display.bytes.size(),
              w);
        for (size_t i = 0; i < display.bytes.size(); ++i) {
          const int expected =
              w == 0 ? 0xAB : (source.bytes[i] * (32 - w) + target.bytes[i] * w) / 32;
          ASSERT_EQ(display.bytes[i], expected)
              << name << " width " << width << " w " << w << " at " << i;
        }
      }
    }
  }
}

TEST_F(MorphButtonTest, EnterMorphWeightsAndItsLastFrameIsTheHoverPicture) {
  std::vector<int> weights;
  button->OnMorphStep = [&](int w) { weights.push_back(w); };
  const int presentsBefore = fake->Window(form->Handle()).presentCount;
  fake->MoveMouse(form->Handle(), 20, 20);
  app->ProcessMessages();
  ASSERT_EQ(weights.size(), 251u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(weights[static_cast<size_t>(i)], 0) << i;
  EXPECT_EQ(weights[8], 1);
  EXPECT_EQ(weights[250], 32);
  EXPECT_EQ(button->DisplayFrame().bytes, Rendered(hover, 44, 44));
  // Every step was shown at once, not merely marked for painting.
  EXPECT_GE(fake->Window(form->Handle()).presentCount - presentsBefore, 251);
  EXPECT_EQ(fake->Window(form->Handle()).image.Pixel(30, 30), MakePixel(250, 200, 100));
}

TEST_F(MorphButtonTest, LeaveMorphEndsOnTheRestPicture) {
  fake->MoveMouse(form->Handle(), 20, 20);
  app->ProcessMessages();
  fake->MoveMouse(form->Handle(), 200, 150);
  app->ProcessMessages();
  EXPECT_EQ(button->DisplayFrame().bytes, Rendered(rest, 44, 44));
  EXPECT_EQ(button->TargetFrame().bytes, Rendered(hover, 44, 44));
  EXPECT_EQ(button->MorphColor1(), clBlack);  // colours and pictures exchanged back
  EXPECT_EQ(button->MorphPic1().Bitmap(), rest);
  EXPECT_EQ(fake->Window(form->Handle()).image.Pixel(30, 30), MakePixel(10, 20, 30));
}

TEST_F(MorphButtonTest, LeaveArrivingInsideAnEnterMorphRunsInsideIt) {
  int steps = 0;
  EXPECT_EQ(EnterThenLeaveAtStep10(steps),
            (std::vector<std::string>{"enter morph", "left", "enter finished"}));
  EXPECT_EQ(steps, 251 + 251);
  // The enter morph finished last, from the frames the leave morph left behind.
  EXPECT_EQ(button->DisplayFrame().bytes, Rendered(hover, 44, 44));
}

TEST_F(MorphButtonTest, WithoutProcessMsgsInputWaitsForTheMorphToEnd) {
  button->SetProcessMsgs(false);
  int steps = 0;
  EXPECT_EQ(EnterThenLeaveAtStep10(steps),
            (std::vector<std::string>{"enter morph", "enter finished", "left"}));
  EXPECT_EQ(button->DisplayFrame().bytes, Rendered(rest, 44, 44));
}

TEST_F(MorphButtonTest, MorphRateIsKeptBetween1And255) {
  button->SetMorphRate(0);
  EXPECT_EQ(button->MorphRate(), 1);
  button->SetMorphRate(-5);
  EXPECT_EQ(button->MorphRate(), 1);
  button->SetMorphRate(300);
  EXPECT_EQ(button->MorphRate(), 255);
  button->SetMorphRate(1);
  std::vector<int> weights;
  button->OnMorphStep = [&](int w) { weights.push_back(w); };
  fake->MoveMouse(form->Handle(), 20, 20);
  app->ProcessMessages();
  EXPECT_EQ(weights, (std::vector<int>{0, 32}));
}

TEST_F(MorphButtonTest, WithoutARestPictureTheMorphStartsFromTheColour) {
  button->MorphPic1().Clear();
  button->SetMorphColor1(RGBColor(0, 0, 255));
  Bitmap32 blue = Solid(44, 44, MakePixel(0, 0, 255));
  EXPECT_EQ(button->DisplayFrame().bytes, Rendered(blue, 44, 44));
  std::vector<uint8_t> halfway;
  int steps = 0;
  button->OnMorphStep = [&](int) {
    if (++steps == 126) halfway = button->DisplayFrame().bytes;
  };
  fake->MoveMouse(form->Handle(), 20, 20);
  app->ProcessMessages();
  // Half-way (w = 16) every byte is the mean of the blue field and the hover picture.
  ASSERT_FALSE(halfway.empty());
  EXPECT_EQ(halfway[0], (255 + 100) / 2);  // blue byte
  EXPECT_EQ(halfway[2], (0 + 250) / 2);    // red byte
}

TEST_F(MorphButtonTest, MovingAHoveredButtonShowsTheRestPictureAgain) {
  fake->MoveMouse(form->Handle(), 20, 20);
  app->ProcessMessages();
  ASSERT_EQ(button->DisplayFrame().bytes, Rendered(hover, 44, 44));
  button->SetLeft(100);
  EXPECT_EQ(button->DisplayFrame().bytes, Rendered(rest, 44, 44));
}

TEST_F(MorphButtonTest, PicturesAreStretchedToTheButton) {
  button->MorphPic2().SetBitmap(Solid(10, 10, MakePixel(1, 2, 3)));
  EXPECT_EQ(button->TargetFrame().width, 44);
  EXPECT_EQ(button->TargetFrame().bytes, Rendered(Solid(44, 44, MakePixel(1, 2, 3)), 44, 44));
}

TEST_F(MorphButtonTest, OnlyClicksFireAndTheHandCursorIsRegistered) {
  int clicks = 0, downs = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  button->OnMouseDown = [&](TObject*, MouseButton, unsigned, int, int) { ++downs; };
  fake->Click(form->Handle(), 20, 20);
  app->ProcessMessages();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(downs, 0);
  EXPECT_EQ(button->Cursor, crHandCursor);
  ASSERT_TRUE(app->HasCursor(crHandCursor));
  EXPECT_EQ(fake->currentCursor, app->CursorFor(crHandCursor));
  EXPECT_EQ(fake->cursors.count(app->CursorFor(crHandCursor)), 1u);
}

TEST_F(FrameworkTest, CursorNumber31IsTheArrowUntilAMorphButtonExists) {
  TForm* form = ShownForm();
  auto* image = form->Create<TImage>(form);
  image->SetBounds(0, 0, 50, 50);
  image->Cursor = crHandCursor;
  fake->MoveMouse(form->Handle(), 5, 5);
  app->ProcessMessages();
  EXPECT_EQ(fake->currentCursor, app->CursorFor(crArrow));
  EXPECT_FALSE(app->HasCursor(crHandCursor));
  form->Create<TMorphButton>(form)->SetBounds(100, 0, 10, 10);
  fake->MoveMouse(form->Handle(), 6, 5);
  app->ProcessMessages();
  EXPECT_NE(fake->currentCursor, app->CursorFor(crArrow));
}

TEST(HandCursor, HasAnOpaqueOutlineAndATransparentSurround) {
  const CursorImage hand = DrawHandCursor();
  EXPECT_EQ(hand.image.Width(), 32);
  EXPECT_EQ(PixelA(hand.image.Pixel(31, 0)), 0);
  EXPECT_EQ(PixelA(hand.image.Pixel(hand.hotSpot.x, hand.hotSpot.y)), 255);
}

}  // namespace
}  // namespace tazu
