#include <gtest/gtest.h>

#include "framework/HintWindow.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;
using test::ProbeControl;

class RecordingHintWindow : public THintWindow {
 public:
  RecordingHintWindow(TApplication& app, std::vector<std::string>* shown)
      : THintWindow(app), shown_(shown) {}
  void ActivateHint(const Rect& rect, const std::string& hint) override {
    shown_->push_back(hint);
    THintWindow::ActivateHint(rect, hint);
  }

 private:
  std::vector<std::string>* shown_;
};

class HintTest : public FrameworkTest {
 protected:
  void SetUp() override {
    form = ShownForm(400, 300);
    button = form->Create<ProbeControl>(form, "button", &log);
    button->SetBounds(100, 100, 44, 44);
    button->Hint = "Exit Pelkor!|long part";
    button->ShowHint = true;
    other = form->Create<ProbeControl>(form, "other", &log);
    other->SetBounds(200, 100, 44, 44);
    other->Hint = "but_afr";  // a group key, never shown
  }
  // Runs the loop until `n` more events were handled.
  void Handle(int n) {
    for (int i = 0; i < n; ++i) app->HandleMessage();
  }

  TForm* form = nullptr;
  ProbeControl* button = nullptr;
  ProbeControl* other = nullptr;
  std::vector<std::string> log;
};

TEST_F(HintTest, ShortHintAppearsAfterThePauseAndGoesAfterTheHidePause) {
  std::vector<std::string> shown;
  app->SetHintWindowClass(
      [&](TApplication& a) { return std::make_unique<RecordingHintWindow>(a, &shown); });
  fake->MoveMouse(form->Handle(), 110, 110);
  Handle(1);
  ASSERT_TRUE(shown.empty());
  const uint64_t start = fake->Now();
  Handle(1);  // the hint pause runs out
  ASSERT_EQ(shown, std::vector<std::string>{"Exit Pelkor!"});
  EXPECT_EQ(fake->Now() - start, 500u);
  ASSERT_NE(app->HintWindow(), nullptr);
  EXPECT_TRUE(app->HintWindow()->Showing());
  const Rect r = app->HintWindow()->BoundsRect();
  EXPECT_EQ(r.left, 110);  // below the pointer
  EXPECT_GT(r.top, 110);
  EXPECT_EQ(fake->Window(app->HintWindow()->Handle()).state, WindowState::Normal);
  Handle(1);  // the hide pause
  EXPECT_FALSE(app->HintWindow()->Showing());
  EXPECT_EQ(fake->Now() - start, 3000u);
}

TEST_F(HintTest, NoHintForControlsWithoutShowHintAndNoneWhenHintsAreOff) {
  fake->MoveMouse(form->Handle(), 210, 110);
  fake->idleSteps.push_back([] {});
  Handle(1);
  EXPECT_EQ(fake->timerCount(), 0);
  app->SetShowHint(false);
  fake->MoveMouse(form->Handle(), 110, 110);
  Handle(1);
  EXPECT_EQ(fake->timerCount(), 0);
  EXPECT_EQ(app->HintWindow(), nullptr);
}

TEST_F(HintTest, PressingOrLeavingCancelsAPendingHint) {
  fake->MoveMouse(form->Handle(), 110, 110);
  Handle(1);
  EXPECT_EQ(fake->timerCount(), 1);
  fake->PressMouse(form->Handle(), 110, 110);
  Handle(1);
  EXPECT_EQ(fake->timerCount(), 0);
  fake->ReleaseMouse(form->Handle(), 110, 110);
  fake->MoveMouse(form->Handle(), 300, 250);
  Handle(2);
  EXPECT_EQ(fake->timerCount(), 0);
  EXPECT_EQ(app->HintWindow(), nullptr);
}

TEST_F(HintTest, PlainHintWindowPaintsItsTextOnAPaleBackground) {
  fake->MoveMouse(form->Handle(), 110, 110);
  Handle(2);
  ASSERT_NE(app->HintWindow(), nullptr);
  const Bitmap32& image = fake->Window(app->HintWindow()->Handle()).image;
  ASSERT_FALSE(image.Empty());
  int ink = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (image.Pixel(x, y) != ColorToPixel(clInfoBk) && PixelR(image.Pixel(x, y)) < 128) ++ink;
    }
  }
  EXPECT_GT(ink, 20);  // the letters
  EXPECT_EQ(image.Pixel(image.Width() / 2, 1), ColorToPixel(clInfoBk));
}

}  // namespace
}  // namespace tazu
