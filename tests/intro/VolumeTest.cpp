// The intro's volume button: the system's volume program, found and started, with both
// windows out of the way while it runs.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Paths.h"
#include "screens/intro/introunit.h"
#include "screens/menu/menuunit_v2.h"
#include "tests/intro/IntroFiles.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

using test::MenuTest;

class VolumeTest : public MenuTest {
 protected:
  void SetUp() override {
    test::WriteIntroFiles(install);
    fake->windowsFolder = (install.Path() / "windows").string();
    fake->systemFolder = (install.Path() / "system32").string() + "\\";
    CreateMenu();
    menu->Show();
    intro = app->CreateForm<TForm2>(menu->Session, *menu);
    intro->Returning = true;
    intro->Show();
  }
  std::string Started() const {
    return fake->shellRequests.empty() ? "" : fake->shellRequests.back().file;
  }
  TForm2* intro = nullptr;
};

TEST_F(VolumeTest, NoProgramInEitherFolderIsReported) {
  intro->mutebutClick(intro->mutebut);
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].text, "Volume control utility not found!");
  EXPECT_EQ(fake->shownBoxes[0].caption, "Warning");
  EXPECT_TRUE(fake->shellRequests.empty());
  EXPECT_FALSE(menu->VolumeControlOpen());
}

TEST_F(VolumeTest, TheWindowsFolderComesFirstThenTheSystemFolder) {
  install.Write("system32/sndvol32.exe", "program");
  intro->mutebutClick(intro->mutebut);
  EXPECT_TRUE(std::filesystem::equivalent(ResolvePath(Started()),
                                          install.Path() / "system32/sndvol32.exe"));
  EXPECT_EQ(fake->shellRequests.back().parameters, "");
  fake->EndProcess(fake->processes.rbegin()->first, 0);
  for (int i = 0; i < 20 && menu->VolumeControlOpen(); ++i) app->HandleMessage();

  install.Write("windows/sndvol32.exe", "program");
  intro->mutebutClick(intro->mutebut);
  EXPECT_TRUE(
      std::filesystem::equivalent(ResolvePath(Started()), install.Path() / "windows/sndvol32.exe"));
}

TEST_F(VolumeTest, CurrentWindowsNamesItSndvolInTheSystemFolder) {
  install.Write("system32/sndvol.exe", "program");
  intro->mutebutClick(intro->mutebut);
  EXPECT_TRUE(
      std::filesystem::equivalent(ResolvePath(Started()), install.Path() / "system32/sndvol.exe"));
}

TEST_F(VolumeTest, BothWindowsWaitMinimisedAndComeBackWithTheIntroInFront) {
  install.Write("system32/sndvol32.exe", "program");
  intro->mutebutClick(intro->mutebut);
  EXPECT_TRUE(menu->VolumeControlOpen());
  EXPECT_EQ(intro->WindowState(), TWindowState::wsMinimized);
  EXPECT_EQ(menu->WindowState(), TWindowState::wsMinimized);
  intro->mutebutClick(intro->mutebut);  // asked again while it runs
  EXPECT_EQ(fake->shownBoxes.back().text, "Volume control allready loaded!");
  EXPECT_EQ(fake->shownBoxes.back().caption, "Information");
  EXPECT_EQ(fake->shellRequests.size(), 1u);
  fake->EndProcess(fake->processes.rbegin()->first, 0);
  for (int i = 0; i < 20 && menu->VolumeControlOpen(); ++i) app->HandleMessage();
  EXPECT_FALSE(menu->VolumeControlOpen());
  EXPECT_EQ(intro->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(menu->WindowState(), TWindowState::wsNormal);
  EXPECT_TRUE(intro->Active());
}

TEST_F(VolumeTest, ARefusedStartOrTheIntroGoingPutsThingsBack) {
  install.Write("system32/sndvol32.exe", "program");
  fake->shellOutcomes.push_back({SE_ERR_ACCESSDENIED, false});
  intro->mutebutClick(intro->mutebut);
  EXPECT_FALSE(menu->VolumeControlOpen());
  EXPECT_EQ(menu->WindowState(), TWindowState::wsNormal);

  intro->mutebutClick(intro->mutebut);  // runs now
  ASSERT_TRUE(menu->VolumeControlOpen());
  intro->Close();
  EXPECT_FALSE(menu->VolumeControlOpen());
  EXPECT_EQ(menu->WindowState(), TWindowState::wsNormal);
}

}  // namespace
}  // namespace tazu
