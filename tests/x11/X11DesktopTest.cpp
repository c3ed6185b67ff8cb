// X11Desktop against an Xvfb of the test's own: screen description, pointer mapping,
// dock windows, the guardian's restorer, and life without a server.
#include "platform/sdl/X11Desktop.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "XServer.h"
#include "tests/MissingPackage.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tazu {
namespace {

using test::XServer;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kDepth = 24;
constexpr int kMaxButtons = 256;

std::vector<unsigned char> PointerMapping(Display* display) {
  unsigned char map[kMaxButtons];
  const int n = XGetPointerMapping(display, map, kMaxButtons);
  return {map, map + n};
}

void SetPointerMapping(Display* display, std::vector<unsigned char> map) {
  ASSERT_EQ(XSetPointerMapping(display, map.data(), static_cast<int>(map.size())), MappingSuccess);
}

bool IsMapped(Display* display, Window w) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, w, &attributes);
  return attributes.map_state != IsUnmapped;
}

class X11DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string why;
    server_ = XServer::StartXvfb(kWidth, kHeight, kDepth, why).release();
    if (server_ == nullptr) skipReason_ = new std::string(why);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    delete skipReason_;
    skipReason_ = nullptr;
  }
  void SetUp() override {
    if (server_ == nullptr) TAZU_SKIP_MISSING_PACKAGE(*skipReason_);
    peer = XOpenDisplay(server_->Name().c_str());
    ASSERT_NE(peer, nullptr);
    startMapping = PointerMapping(peer);
  }
  void TearDown() override {
    if (peer == nullptr) return;
    SetPointerMapping(peer, startMapping);
    XCloseDisplay(peer);
  }
  const char* Name() const { return server_->Name().c_str(); }

  // A mapped top-level window, typed as a dock when `dock` is true.
  Window MakeWindow(bool dock, bool map) {
    const Window w = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, 800, 30, 0, 0, 0);
    if (dock) {
      const Atom type = XInternAtom(peer, "_NET_WM_WINDOW_TYPE", False);
      Atom dockType = XInternAtom(peer, "_NET_WM_WINDOW_TYPE_DOCK", False);
      XChangeProperty(peer, w, type, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&dockType), 1);
    }
    if (map) XMapWindow(peer, w);
    XSync(peer, False);
    return w;
  }

  static XServer* server_;
  static std::string* skipReason_;
  Display* peer = nullptr;
  std::vector<unsigned char> startMapping;
};

XServer* X11DesktopTest::server_ = nullptr;
std::string* X11DesktopTest::skipReason_ = nullptr;

TEST_F(X11DesktopTest, DescribesTheScreenAndListsItsMode) {
  X11Desktop desktop(Name());
  ASSERT_TRUE(desktop.Connected());
  const auto caps = desktop.Caps();
  ASSERT_TRUE(caps.has_value());
  EXPECT_EQ(caps->width, kWidth);
  EXPECT_EQ(caps->height, kHeight);
  EXPECT_EQ(caps->bitsPerPixel, 32);  // depth 24 is kept in 32-bit pixels
  EXPECT_GE(caps->refresh, 0);

  const auto current = desktop.CurrentMode();
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(current->pelsWidth, static_cast<uint32_t>(kWidth));
  EXPECT_EQ(current->pelsHeight, static_cast<uint32_t>(kHeight));
  EXPECT_EQ(current->bitsPerPel, 32u);
  EXPECT_EQ(current->orientation, 0);
  EXPECT_EQ(static_cast<int>(current->displayFrequency), caps->refresh);

  int found = -1;
  int count = 0;
  while (auto mode = desktop.Mode(count)) {
    if (*mode == *current) found = count;
    ++count;
  }
  EXPECT_GE(found, 0);
  EXPECT_FALSE(desktop.Mode(-1).has_value());
  EXPECT_FALSE(desktop.Mode(count).has_value());
  EXPECT_EQ(desktop.Mode(found), desktop.Mode(found));  // the same every time
}

TEST_F(X11DesktopTest, ModeChangesThatCannotBeMade) {
  X11Desktop desktop(Name());
  const auto current = desktop.CurrentMode();
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(desktop.ChangeMode(*current), DISP_CHANGE_SUCCESSFUL);  // already there

  DisplayMode unknown = *current;
  unknown.native = 0x1234567;
  EXPECT_EQ(desktop.ChangeMode(unknown), DISP_CHANGE_BADMODE);
  DisplayMode shallow = *current;
  shallow.bitsPerPel = 16;
  EXPECT_EQ(desktop.ChangeMode(shallow), DISP_CHANGE_BADMODE);
  DisplayMode bySize;
  bySize.pelsWidth = 640;
  bySize.pelsHeight = 480;
  EXPECT_EQ(desktop.ChangeMode(bySize), DISP_CHANGE_BADMODE);

  const auto caps = desktop.Caps();
  EXPECT_EQ(caps->width, kWidth);
  EXPECT_EQ(caps->height, kHeight);
}

TEST_F(X11DesktopTest, ButtonsSwappedFromAndBackToTheMappingFoundAtStart) {
  // A left-handed user's own setting must survive the launcher.
  std::vector<unsigned char> leftHanded = startMapping;
  ASSERT_GE(leftHanded.size(), 3u);
  std::swap(leftHanded[0], leftHanded[2]);
  SetPointerMapping(peer, leftHanded);
  {
    X11Desktop desktop(Name());
    desktop.SetButtonsSwapped(true);
    auto now = PointerMapping(peer);
    EXPECT_EQ(now, startMapping);  // swapped once more: right-handed for this learner
    desktop.SetButtonsSwapped(true);
    EXPECT_EQ(PointerMapping(peer), startMapping);
    desktop.SetButtonsSwapped(false);
    EXPECT_EQ(PointerMapping(peer), leftHanded);
    desktop.SetButtonsSwapped(true);
  }  // ends swapped: the destructor puts the user's mapping back
  EXPECT_EQ(PointerMapping(peer), leftHanded);
}

TEST_F(X11DesktopTest, NotSwappingLeavesAnotherChangeAlone) {
  X11Desktop desktop(Name());
  std::vector<unsigned char> other = startMapping;
  std::swap(other[0], other[1]);
  SetPointerMapping(peer, other);
  desktop.SetButtonsSwapped(false);
  desktop.RestoreAll();
  EXPECT_EQ(PointerMapping(peer), other);
}

TEST_F(X11DesktopTest, NoTaskBarOnABareServer) {
  X11Desktop desktop(Name());
  EXPECT_EQ(desktop.FindDocks(), 0u);
  const Window plain = MakeWindow(false, true);
  EXPECT_EQ(desktop.FindDocks(), 0u);
  desktop.ShowDocks(0, false);
  EXPECT_TRUE(IsMapped(peer, plain));
  XDestroyWindow(peer, plain);
  XSync(peer, False);
}

TEST_F(X11DesktopTest, DockWindowsHiddenAndShownAgain) {
  const Window plain = MakeWindow(false, true);
  const Window dock = MakeWindow(true, true);
  const Window hiddenDock = MakeWindow(true, false);
  {
    X11Desktop desktop(Name());
    const TaskBarHandle bar = desktop.FindDocks();
    ASSERT_NE(bar, 0u);
    desktop.ShowDocks(bar + 1, false);  // not ours: nothing happens
    EXPECT_TRUE(IsMapped(peer, dock));

    desktop.ShowDocks(bar, false);
    EXPECT_FALSE(IsMapped(peer, dock));
    EXPECT_TRUE(IsMapped(peer, plain));
    desktop.ShowDocks(bar, true);
    EXPECT_TRUE(IsMapped(peer, dock));
    EXPECT_FALSE(IsMapped(peer, hiddenDock));  // was hidden before: stays hidden

    desktop.ShowDocks(bar, false);
    EXPECT_FALSE(IsMapped(peer, dock));
  }  // the destructor shows it again
  EXPECT_TRUE(IsMapped(peer, dock));
  EXPECT_FALSE(IsMapped(peer, hiddenDock));
  for (Window w : {plain, dock, hiddenDock}) XDestroyWindow(peer, w);
  XSync(peer, False);
}

TEST_F(X11DesktopTest, ADockThatVanishedIsNoError) {
  const Window dock = MakeWindow(true, true);
  X11Desktop desktop(Name());
  const TaskBarHandle bar = desktop.FindDocks();
  ASSERT_NE(bar, 0u);
  XDestroyWindow(peer, dock);
  XSync(peer, False);
  desktop.ShowDocks(bar, false);  // BadWindow must not end the program
  desktop.ShowDocks(bar, true);
  EXPECT_EQ(desktop.FindDocks(), 0u);
}

TEST_F(X11DesktopTest, RestorerPutsBackWhatTheRecordsDescribe) {
  const Window dock = MakeWindow(true, false);
  std::vector<unsigned char> swapped = startMapping;
  std::swap(swapped[0], swapped[2]);
  SetPointerMapping(peer, swapped);
  std::string pointer;
  for (unsigned char b : startMapping) pointer += (pointer.empty() ? "" : " ") + std::to_string(b);

  X11Desktop::Restore({{"display", Name()}, {"pointer", pointer}, {"docks", std::to_string(dock)}});
  EXPECT_EQ(PointerMapping(peer), startMapping);
  EXPECT_TRUE(IsMapped(peer, dock));
  XDestroyWindow(peer, dock);
  XSync(peer, False);
}

TEST_F(X11DesktopTest, RestorerIgnoresDamagedRecords) {
  std::vector<unsigned char> swapped = startMapping;
  std::swap(swapped[0], swapped[2]);
  SetPointerMapping(peer, swapped);
  const Window dock = MakeWindow(true, false);
  const std::pair<const char*, const char*> damaged[] = {
      {"pointer", "1 2 x"},
      {"pointer", "1 2 300"},
      {"pointer", "-1 2 3"},
      {"pointer", "3 2 1"},  // not the server's button count: refused by the server
      {"pointer", "1 2 99999999999999999999"},
      {"pointer", " "},
      {"docks", "x"},
      {"docks", "-5"},
      {"docks", "0"},
      {"docks", "12345"},  // names no window
      {"mode", "1 2"},
      {"mode", "1 2 3 4 5 6 0 0 0 0"},
      {"mode", "1 2 3 0 0 1 800 600 0 0"},  // names no CRTC
  };
  for (const auto& [key, value] : damaged) {
    X11Desktop::Restore({{"display", Name()}, {key, value}});
    EXPECT_EQ(PointerMapping(peer), swapped) << key << " " << value;
    EXPECT_FALSE(IsMapped(peer, dock)) << key << " " << value;
  }
  const auto caps = X11Desktop(Name()).Caps();
  EXPECT_EQ(caps->width, kWidth);
  XDestroyWindow(peer, dock);
  XSync(peer, False);
}

TEST(X11DesktopWithoutServer, AnswersNothingAndChangesNothing) {
  X11Desktop desktop(":9999");  // no server there
  EXPECT_FALSE(desktop.Connected());
  EXPECT_FALSE(desktop.Caps().has_value());
  EXPECT_FALSE(desktop.CurrentMode().has_value());
  EXPECT_FALSE(desktop.Mode(0).has_value());
  EXPECT_EQ(desktop.ChangeMode(DisplayMode{}), DISP_CHANGE_FAILED);
  EXPECT_EQ(desktop.FindDocks(), 0u);
  desktop.ShowDocks(1, false);
  desktop.SetButtonsSwapped(true);
  desktop.RestoreAll();
  X11Desktop::Restore({{"display", ":9999"}, {"pointer", "3 2 1"}});  // gives up quietly
}

}  // namespace
}  // namespace tazu
