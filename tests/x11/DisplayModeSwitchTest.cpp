// Real mode switches on Xorg's dummy driver (1024x768 and 800x600 at 60 Hz): the
// switch, the way back, and the guardian restoring the mode of a killed launcher.
// Skipped where that server cannot run.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "XServer.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/sdl/X11Desktop.h"
#include "tests/MissingPackage.h"

#include <X11/Xlib.h>

namespace tazu {
namespace {

using test::WaitForExit;
using test::XServer;

constexpr int kWaitMs = 30000;  // only a broken program takes this long
constexpr uint32_t kRate = 60;

struct ScreenSize {
  unsigned width = 0;
  unsigned height = 0;
  friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

// The root window's size as the server has it now (not Xlib's cached idea of it).
ScreenSize RootSize(Display* display) {
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &width, &height, &border,
               &depth);
  return {width, height};
}

std::optional<DisplayMode> FindMode(X11Desktop& desktop, uint32_t width, uint32_t height) {
  for (int i = 0; auto mode = desktop.Mode(i); ++i) {
    if (mode->pelsWidth == width && mode->pelsHeight == height && mode->displayFrequency == kRate &&
        mode->bitsPerPel == 32 && mode->orientation == 0) {
      return mode;
    }
  }
  return std::nullopt;
}

class DisplayModeSwitchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string why;
    server_ = XServer::StartDummyXorg(why).release();
    if (server_ == nullptr) skipReason_ = new std::string(why);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    delete skipReason_;
    skipReason_ = nullptr;
  }
  void SetUp() override {
    if (server_ == nullptr) {
      if (!XServer::DummyXorgInstalled()) TAZU_SKIP_MISSING_PACKAGE(*skipReason_);
      GTEST_SKIP() << *skipReason_;  // installed, but not allowed to start here
    }
    peer = XOpenDisplay(server_->Name().c_str());
    ASSERT_NE(peer, nullptr);
    ASSERT_EQ(RootSize(peer), (ScreenSize{1024, 768}));
  }
  void TearDown() override {
    if (peer != nullptr) XCloseDisplay(peer);
  }
  const char* Name() const { return server_->Name().c_str(); }

  static XServer* server_;
  static std::string* skipReason_;
  Display* peer = nullptr;
};

XServer* DisplayModeSwitchTest::server_ = nullptr;
std::string* DisplayModeSwitchTest::skipReason_ = nullptr;

TEST_F(DisplayModeSwitchTest, SwitchesTo800x600AndBack) {
  X11Desktop desktop(Name());
  const auto caps = desktop.Caps();
  ASSERT_TRUE(caps.has_value());
  EXPECT_EQ(*caps, (DisplayCaps{60, 1024, 768, 32}));
  const auto start = desktop.CurrentMode();
  ASSERT_TRUE(start.has_value());
  const auto small = FindMode(desktop, 800, 600);
  ASSERT_TRUE(small.has_value());

  EXPECT_EQ(desktop.ChangeMode(*small), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(desktop.Caps(), (DisplayCaps{60, 800, 600, 32}));
  EXPECT_EQ(desktop.CurrentMode(), small);
  EXPECT_EQ(RootSize(peer), (ScreenSize{800, 600}));

  EXPECT_EQ(desktop.ChangeMode(*start), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(desktop.Caps(), caps);
  EXPECT_EQ(RootSize(peer), (ScreenSize{1024, 768}));
}

TEST_F(DisplayModeSwitchTest, AModeFoundBySizeAndTheEndOfTheDesktopRestore) {
  {
    X11Desktop desktop(Name());
    DisplayMode wanted;
    wanted.pelsWidth = 800;
    wanted.pelsHeight = 600;
    wanted.displayFrequency = kRate;
    EXPECT_EQ(desktop.ChangeMode(wanted), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(RootSize(peer), (ScreenSize{800, 600}));
  }  // still switched: the destructor puts 1024x768 back
  EXPECT_EQ(RootSize(peer), (ScreenSize{1024, 768}));
}

TEST_F(DisplayModeSwitchTest, TheGuardianRestoresTheModeOfAKilledLauncher) {
  test::AdoptOrphans();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("DISPLAY", Name(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    std::unique_ptr<SdlPlatform> platform;
    try {
      platform = std::make_unique<SdlPlatform>();
    } catch (...) {
      _exit(2);
    }
    // What the menu does: find 800x600 at the rate in use and apply it.
    const DisplayCaps caps = platform->GetDisplayCaps(0);
    for (int i = 0; auto mode = platform->EnumDisplayMode(i); ++i) {
      if (mode->pelsWidth == 800 && mode->pelsHeight == 600 &&
          static_cast<int>(mode->displayFrequency) == caps.refresh && mode->orientation == 0) {
        if (platform->ChangeDisplayMode(*mode, true) != DISP_CHANGE_SUCCESSFUL) _exit(3);
        platform->BroadcastDisplayChange(42, 0);
        const char c = 1;
        if (write(ready[1], &c, 1) != 1) _exit(4);
        pause();
      }
    }
    _exit(5);
  }
  close(ready[1]);
  char c = 0;
  const bool switched = read(ready[0], &c, 1) == 1;
  close(ready[0]);
  if (switched) {
    EXPECT_EQ(RootSize(peer), (ScreenSize{800, 600}));
  }
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_TRUE(WaitForExit(child, kWaitMs, status));
  ASSERT_TRUE(switched) << "launcher status " << status;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (RootSize(peer) != ScreenSize{1024, 768} && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(RootSize(peer), (ScreenSize{1024, 768}));
  EXPECT_EQ(X11Desktop(Name()).Caps(), (DisplayCaps{60, 1024, 768, 32}));
  EXPECT_TRUE(test::ReapChildrenExcept({server_->Pid()}, kWaitMs));  // the guardian ended
}

}  // namespace
}  // namespace tazu
