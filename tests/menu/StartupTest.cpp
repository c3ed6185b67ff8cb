#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Paths.h"
#include "tests/menu/MenuFixture.h"
#include "tests/menu/StartupFixture.h"

namespace tazu {
namespace {

using test::MenuTest;
using test::Mode;
using test::StartupTest;

constexpr const char* kResolution =
    "This program requires a screen resolution of at least 800x600 @ 16bit colour. Please "
    "update your display drivers.";
constexpr const char* kDepth =
    "This program requires a colordepth of at least 16-bit to view the graphics in this "
    "application. Update your display driver or graphics adaptor.";

TEST_F(StartupTest, AlreadyAt800x600NothingIsSwitchedOrRestored) {
  for (int bpp : {32, 16}) {
    At(800, 600, bpp, 60);
    fake->modes = {Mode(1024, 768, 32, 60)};
    CreateMenu();
    EXPECT_TRUE(fake->shownBoxes.empty());
    EndProgram();
    EXPECT_EQ(ModeChanges(), 0);
    app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
    fake = static_cast<FakePlatform*>(&app->GetPlatform());
  }
}

TEST_F(StartupTest, At8BitsTheColourDepthWarningShowsOnceAndTheProgramRuns) {
  At(800, 600, 8, 60);
  CreateMenu();
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].text, kDepth);
  EXPECT_EQ(fake->shownBoxes[0].caption, "Warning");
  EXPECT_EQ(fake->shownBoxes[0].kind, MessageBoxKind::Warning);
  EXPECT_FALSE(menu->closetimer->Enabled());
  EXPECT_FALSE(menu->Session.InstallFolder.empty());
  EndProgram();
  EXPECT_EQ(ModeChanges(), 0);
}

TEST_F(StartupTest, From1024x768TheMatching800x600ModeIsAppliedAndRestoredAtExit) {
  At(1024, 768, 32, 60);
  fake->taskBar = 7;
  fake->modes = {Mode(640, 480, 32, 60, 1), Mode(800, 600, 32, 75, 2), Mode(800, 600, 32, 60, 3),
                 Mode(800, 600, 16, 60, 4), Mode(800, 600, 32, 60, 5), Mode(1024, 768, 32, 60, 6)};
  CreateMenu();
  ASSERT_EQ(ModeChanges(), 1);
  EXPECT_EQ(fake->modeChanges[0].mode.native, 5u);  // the last match wins
  EXPECT_TRUE(fake->modeChanges[0].persist);
  EXPECT_EQ(fake->displayBroadcasts, (std::vector<std::pair<uintptr_t, intptr_t>>{{42, 0}}));
  EXPECT_FALSE(fake->taskBarVisible);
  EXPECT_TRUE(fake->shownBoxes.empty());
  ASSERT_EQ(menu->Machine().ModeList().size(), 7u);  // the list and the current mode appended
  EXPECT_EQ(menu->Machine().StartupModeIndex(), 7);
  EXPECT_EQ(menu->Machine().State(), MachineGuard::Display::Switched);

  menu->SetMouseButtonsSwapped(true);  // as a left-handed sign-in would
  fake->calls.clear();
  EndProgram();
  std::vector<std::string> restores;  // put back in the order mouse, task bar, display
  for (const std::string& call : fake->calls) {
    for (const char* kind : {"SetMouseButtonsSwapped", "ShowTaskBar", "ChangeDisplayMode"}) {
      if (call.starts_with(kind)) restores.push_back(kind);
    }
  }
  EXPECT_EQ(restores, (std::vector<std::string>{"SetMouseButtonsSwapped", "ShowTaskBar",
                                                "ChangeDisplayMode"}));
  ASSERT_EQ(ModeChanges(), 2);
  EXPECT_EQ(fake->modeChanges[1].mode.native, 99u);  // the start-up mode, whole
  EXPECT_EQ(fake->display.width, 1024);
  EXPECT_TRUE(fake->taskBarVisible);
  EXPECT_FALSE(fake->mouseSwapped);
}

TEST_F(StartupTest, AGuardGoingUnrestoredPutsBackOnlyWhatItChanged) {
  At(1024, 768, 32, 60);
  fake->modes = {Mode(800, 600, 32, 60, 1)};
  { MachineGuard untouched(*fake); }
  EXPECT_TRUE(fake->calls.empty());
  {
    MachineGuard guard(*fake);
    guard.HideTaskBar();
    guard.RecordDisplay(0);
    ASSERT_TRUE(guard.SwitchDisplay(800, 600, 32));
    guard.SetMouseButtonsSwapped(true);
  }
  EXPECT_TRUE(fake->taskBarVisible);
  EXPECT_FALSE(fake->mouseSwapped);
  EXPECT_EQ(fake->display.width, 1024);
}

TEST_F(StartupTest, OnlyA16BitModeAtTheSameRefreshIsUsed) {
  At(1024, 768, 32, 60);
  fake->modes = {Mode(800, 600, 32, 75, 1), Mode(800, 600, 16, 60, 2)};
  CreateMenu();
  ASSERT_EQ(ModeChanges(), 1);
  EXPECT_EQ(fake->modeChanges[0].mode.native, 2u);
  EXPECT_EQ(fake->display.bitsPerPixel, 16);
}

TEST_F(StartupTest, NoModeAtTheCurrentRefreshShowsTheMessageAndClosesAfter500ms) {
  At(640, 480, 32, 60);  // too small to show the picture scaled instead
  fake->taskBar = 3;
  fake->modes = {Mode(800, 600, 32, 75, 1), Mode(800, 600, 16, 85, 2), Mode(800, 600, 32, 60, 3)};
  fake->modes[2].orientation = 1;  // rotated modes never count
  CreateMenu();
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].text, kResolution);
  EXPECT_EQ(fake->shownBoxes[0].caption, "Information");
  EXPECT_EQ(fake->shownBoxes[0].buttons, MessageBoxButtons::Ok);
  EXPECT_TRUE(menu->closetimer->Enabled());
  EXPECT_TRUE(menu->Session.InstallFolder.empty());  // creation stopped before the folders
  EXPECT_TRUE(menu->ActivityTable[5].empty());
  EXPECT_FALSE(fake->taskBarVisible);

  const uint64_t start = fake->Now();
  app->Run();
  EXPECT_EQ(fake->Now() - start, 500u);
  EXPECT_FALSE(menu->closetimer->Enabled());
  EndProgram();
  EXPECT_TRUE(fake->taskBarVisible);
  EXPECT_EQ(ModeChanges(), 0);
}

TEST_F(StartupTest, DisplaySettingsFileDecidesWhetherTheDisplayMaySwitch) {
  struct Case {
    const char* content;  // nullptr: no file
    bool switched;
  };
  const Case cases[] = {
      {nullptr, true},       {"SET=YES\r\n", true},  {"Display: SET=YES please", true},
      {"SET=NO\r\n", false}, {"set=yes\r\n", false}, {"first line\r\nSET=YES\r\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(install.Path() / "displaysettings.txt");
    if (c.content != nullptr) install.Write("displaysettings.txt", c.content);
    app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
    fake = static_cast<FakePlatform*>(&app->GetPlatform());
    At(1024, 768, 32, 60);
    fake->modes = {Mode(800, 600, 32, 60, 1)};
    CreateMenu();
    EXPECT_EQ(ModeChanges(), c.switched ? 1 : 0) << (c.content ? c.content : "(no file)");
    EXPECT_TRUE(fake->shownBoxes.empty());
    EXPECT_FALSE(menu->Session.InstallFolder.empty());
    // Without the switch the window is centred on whatever screen there is.
    fake->screen = {0, 0, 1024, 768};
    menu->Show();
    if (!c.switched) {
      EXPECT_EQ(menu->BoundsRect(), Rect::FromSize(112, 84, 800, 600));
    }
  }
}

TEST_F(StartupTest, InstallFolderAndTheFoldersBuiltFromIt) {
  At(800, 600, 32, 60);
  CreateMenu();
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(menu->Session.InstallFolder, cwd + "\\");
  EXPECT_EQ(menu->Session.MenuFolder, cwd + "\\\\menu\\");
  EXPECT_EQ(menu->Session.MusicFolder, cwd + "\\Music\\");
  EXPECT_EQ(menu->Session.InstallFolder + menu->ActivityTable[5],
            cwd + "\\wiskundemaal\\wiskundemaal.exe");
  EXPECT_TRUE(menu->ActivityTable[4].empty());
  EXPECT_EQ(menu->ActivityTable[15], "report\\report.exe");
  EXPECT_EQ(menu->ActivityTable[1], "leesmeervoude\\leesmeervoude.exe");
  EXPECT_EQ(menu->ActivityTable[14], "geheueklanke\\geheue.exe");
}

TEST_F(StartupTest, TheWindowIsBorderless800x600AtTheOriginWithItsCaption) {
  At(800, 600, 32, 60);
  CreateMenu();
  menu->Show();
  const auto& window = fake->Window(menu->Handle());
  EXPECT_EQ(window.bounds, Rect::FromSize(0, 0, 800, 600));
  EXPECT_EQ(window.title, "Pelkor! Tazu v2.1");
  EXPECT_FALSE(window.options.popup);
  EXPECT_EQ(app->Title, "Pelkor Tazu");
}

TEST_F(StartupTest, NoTaskBarMeansNothingIsHiddenOrShown) {
  At(800, 600, 32, 60);
  fake->taskBar = 0;
  CreateMenu();
  EndProgram();
  // Handle 0 names no window: a request on it does nothing on every platform.
  for (const std::string& call : fake->calls) {
    if (call.starts_with("HideTaskBar ") || call.starts_with("ShowTaskBar ")) {
      EXPECT_EQ(call.substr(call.find(' ')), " 0");
    }
  }
}

}  // namespace
}  // namespace tazu

namespace tazu {
namespace {

using test::MenuTest;

TEST_F(MenuTest, ASecondCopyEndsWhileTheMenuLoadsBeforeItTouchesAnything) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  fake->otherCopyRunning = true;
  fake->otherCopyTitles = {"Pelkor Tazu"};
  // The guard ends the process from inside the screen's construction, so its creation
  // steps (task bar, display) never run: the statement below never gets to exit 3.
  EXPECT_EXIT(
      {
        app->CreateForm<TForm1>(roster);
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(MenuTest, CtrlAltZIsHeldWhileTheMenuExistsAndDoesNothing) {
  CreateMenu();
  ASSERT_EQ(fake->hotKeys.size(), 1u);
  EXPECT_EQ(fake->hotKeys[0].modifiers, MOD_CONTROL | MOD_ALT);
  EXPECT_EQ(fake->hotKeys[0].virtualKey, 0x5A);
  fake->PressHotKey(fake->hotKeys[0].id);
  app->ProcessMessages();  // no handler is bound: nothing happens
  EXPECT_TRUE(fake->shownBoxes.empty());
  EndProgram();
}

}  // namespace
}  // namespace tazu
