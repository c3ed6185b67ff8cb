// The SDL backend on SDL's offscreen video driver (set by the test environment).
#include "platform/sdl/SdlPlatform.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/ScaledView.h"
#include "tests/MissingPackage.h"

namespace tazu {
namespace {

class SdlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    try {
      platform = std::make_unique<SdlPlatform>();
    } catch (const std::exception& e) {
      TAZU_SKIP_MISSING_PACKAGE(e.what());
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
  while (ticks < 3 && std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
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

// The window's pixels as shown (offscreen: the window surface itself).
uint32_t ShownPixel(const SdlPlatform& platform, WindowHandle window, int x, int y) {
  SDL_Surface* s = SDL_GetWindowSurface(platform.Find(window));
  const auto* row =
      reinterpret_cast<const uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch;
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFFu;
}

std::vector<uint32_t> ShownPixels(const SdlPlatform& platform, WindowHandle window) {
  SDL_Surface* s = SDL_GetWindowSurface(platform.Find(window));
  std::vector<uint32_t> pixels;
  for (int y = 0; y < s->h; ++y) {
    for (int x = 0; x < s->w; ++x) pixels.push_back(ShownPixel(platform, window, x, y));
  }
  return pixels;
}

Bitmap32 Pattern(int width, int height, int seed) {
  Bitmap32 image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.SetPixel(x, y,
                     MakePixel(static_cast<uint8_t>(x * 7 + seed), static_cast<uint8_t>(y * 5),
                               static_cast<uint8_t>((x ^ y) + seed)));
    }
  }
  return image;
}

TEST_F(SdlPlatformTest, AnUnscaledWindowTheSystemEnlargedShowsItsPictureCentred) {
  const WindowHandle w = platform->CreateWindow({"menu", Rect::FromSize(0, 0, 800, 600), false});
  platform->SetWindowState(w, WindowState::Normal);
  SDL_SetWindowSize(platform->Find(w), 1280, 720);  // as a kiosk compositor does
  const Bitmap32 image(800, 600, MakePixel(10, 200, 30));
  platform->Present(w, image, image.Bounds());
  EXPECT_EQ(ShownPixel(*platform, w, 240, 60), 0x0AC81Eu);
  EXPECT_EQ(ShownPixel(*platform, w, 1039, 659), 0x0AC81Eu);
  EXPECT_EQ(ShownPixel(*platform, w, 239, 60), 0u);
  EXPECT_EQ(ShownPixel(*platform, w, 240, 59), 0u);
  SDL_Event press{};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.windowID = w;
  press.button.button = SDL_BUTTON_LEFT;
  press.button.x = 240 + 7;
  press.button.y = 60 + 9;
  SDL_PushEvent(&press);
  Event e;
  bool pressed = false;
  while (!pressed && platform->WaitEvent(e, 1000)) pressed = e.kind == EventKind::MouseDown;
  ASSERT_TRUE(pressed);
  EXPECT_EQ(e.pos, (Point{7, 9}));
  platform->DestroyWindow(w);
}

TEST_F(SdlPlatformTest, ScaledPresentationFillsTheOutputAndMapsThePointerBack) {
  SDL_Rect output;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &output), 0);
  const WindowHandle w = platform->CreateWindow({"picture", Rect::FromSize(0, 0, 800, 600), false});
  ASSERT_TRUE(platform->SetScaledPresentation(800, 600));
  EXPECT_EQ(platform->ScreenRect(), (Rect{0, 0, 800, 600}));
  int width = 0, height = 0;
  SDL_GetWindowSize(platform->Find(w), &width, &height);
  EXPECT_EQ(width, output.w);
  EXPECT_EQ(height, output.h);
  platform->SetWindowState(w, WindowState::Normal);
  const ScaledView view = ScaledView::Fit({800, 600}, {width, height});
  const Rect picture = view.Target();

  Bitmap32 image(800, 600, MakePixel(200, 40, 40));
  platform->Present(w, image, image.Bounds());
  const Point middle{(picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2};
  EXPECT_EQ(ShownPixel(*platform, w, middle.x, middle.y), 0xC82828u);
  EXPECT_EQ(ShownPixel(*platform, w, picture.right - 1, picture.bottom - 1), 0xC82828u);

  // A changed part presented alone looks exactly as the whole picture scaled at once.
  image = Pattern(800, 600, 0);
  platform->Present(w, image, image.Bounds());
  Bitmap32 changed = image;
  const Bitmap32 part = Pattern(44, 44, 99);
  for (int y = 0; y < 44; ++y) {
    for (int x = 0; x < 44; ++x) changed.SetPixel(737 + x, 544 + y, part.Pixel(x, y));
  }
  platform->Present(w, changed, Rect::FromSize(737, 544, 44, 44));
  const std::vector<uint32_t> partly = ShownPixels(*platform, w);
  platform->Present(w, changed, changed.Bounds());
  EXPECT_TRUE(partly == ShownPixels(*platform, w));

  // Window pixels come back as buffer coordinates.
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = w;
  motion.motion.x = picture.right - 1;
  motion.motion.y = picture.bottom - 1;
  SDL_PushEvent(&motion);
  Event e;
  bool moved = false;
  while (!moved && platform->WaitEvent(e, 1000)) moved = e.kind == EventKind::MouseMove;
  ASSERT_TRUE(moved);
  EXPECT_EQ(e.pos, (Point{799, 599}));

  // A window the system sized itself (a kiosk compositor maximising it) gets the
  // picture fitted into it, centred between black bars, and its pointer mapped alike.
  SDL_SetWindowSize(platform->Find(w), 1280, 720);
  platform->Present(w, image, image.Bounds());
  EXPECT_EQ(ShownPixel(*platform, w, 159, 360), 0u);
  EXPECT_EQ(ShownPixel(*platform, w, 1120, 360), 0u);
  EXPECT_EQ(ShownPixel(*platform, w, 160, 0), image.Pixel(0, 0) & 0xFFFFFFu);
  motion.motion.x = 160 + 6;
  motion.motion.y = 6;
  SDL_PushEvent(&motion);
  moved = false;
  while (!moved && platform->WaitEvent(e, 1000)) moved = e.kind == EventKind::MouseMove;
  ASSERT_TRUE(moved);
  EXPECT_EQ(e.pos, (Point{5, 5}));

  // Other windows lie over their part of the picture, at the same scale.
  const WindowHandle box =
      platform->CreateWindow({"box", Rect::FromSize(300, 250, 200, 100), false});
  SDL_GetWindowSize(platform->Find(box), &width, &height);
  EXPECT_EQ(width, view.ToSurface({300, 250, 500, 350}).Width());
  EXPECT_EQ(height, view.ToSurface({300, 250, 500, 350}).Height());
  platform->DestroyWindow(box);
  platform->DestroyWindow(w);
}

}  // namespace
}  // namespace tazu
