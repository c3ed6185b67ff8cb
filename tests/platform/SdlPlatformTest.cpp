// The SDL backend on SDL's offscreen video driver (set by the test environment).
#include "platform/sdl/SdlPlatform.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace tazu {
namespace {

class SdlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    try {
      platform = std::make_unique<SdlPlatform>();
    } catch (const std::exception& e) {
      GTEST_SKIP() << e.what();
    }
  }
  std::unique_ptr<SdlPlatform> platform;
};

TEST_F(SdlPlatformTest, WindowsCanBeCreatedPresentedAndDestroyed) {
  const WindowHandle w = platform->CreateWindow({"test", Rect::FromSize(0, 0, 64, 32), false});
  ASSERT_NE(w, 0u);
  platform->SetWindowState(w, WindowState::Normal);
  Bitmap32 image(64, 32, MakePixel(10, 20, 30));
  platform->Present(w, image, {0, 0, 64, 32});
  platform->Present(w, image, {-10, -10, 500, 500});  // clipped, not a crash
  platform->SetWindowBounds(w, Rect::FromSize(5, 5, 80, 40));
  platform->Present(w, image, {0, 0, 64, 32});  // a buffer smaller than the window
  platform->SetWindowState(w, WindowState::Minimized);
  platform->SetWindowState(w, WindowState::Hidden);
  platform->DestroyWindow(w);
  platform->DestroyWindow(w);  // twice is harmless
}

TEST_F(SdlPlatformTest, WaitEventTimesOutAndWakesFromAnotherThread) {
  Event e;
  while (platform->WaitEvent(e, 0)) {
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform->WaitEvent(e, 30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));

  std::thread waker([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    platform->Wake();
  });
  bool woke = false;
  for (int i = 0; i < 100 && !woke; ++i) {
    woke = platform->WaitEvent(e, 1000) && e.kind == EventKind::Wake;
  }
  waker.join();
  EXPECT_TRUE(woke);
}

TEST_F(SdlPlatformTest, WindowTimersArriveAsEvents) {
  const TimerHandle t = platform->StartTimer(10);
  Event e;
  int ticks = 0;
  const auto start = std::chrono::steady_clock::now();
  while (ticks < 3 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    if (platform->WaitEvent(e, -1) && e.kind == EventKind::Timer && e.timer == t) ++ticks;
  }
  EXPECT_EQ(ticks, 3);
  platform->StopTimer(t);
}

TEST_F(SdlPlatformTest, ColourAndStandardCursors) {
  Bitmap32 hand(32, 32, MakePixel(0, 0, 0, 0));
  hand.SetPixel(5, 5, MakePixel(255, 255, 255));
  // Drivers without cursors (the offscreen one) answer 0, which means the arrow.
  const CursorHandle c = platform->CreateColorCursor(hand, {5, 0});
  if (std::getenv("DISPLAY") != nullptr && std::string(SDL_GetCurrentVideoDriver()) == "x11") {
    EXPECT_NE(c, 0u);
  }
  const CursorHandle arrow = platform->GetStandardCursor(StandardCursor::Arrow);
  EXPECT_EQ(arrow, platform->GetStandardCursor(StandardCursor::Arrow));
  platform->SetCursor(c);
  platform->SetCursor(arrow);
  platform->SetCursor(12345);  // unknown: the default arrow
}

}  // namespace
}  // namespace tazu
