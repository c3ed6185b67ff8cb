// The start-up on screens that cannot be switched to 800x600 but can show the picture
// scaled, and the display-settings line that asks for the scaled picture.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/menu/MenuFixture.h"
#include "tests/menu/StartupFixture.h"

namespace tazu {
namespace {

using test::Mode;
using test::StartupTest;

class ScaledStartupTest : public StartupTest {
 protected:
  // A fresh program on a screen of the given kind, with the given settings line.
  void Start(int w, int h, int bpp, const char* settings, std::vector<DisplayMode> modes = {}) {
    std::filesystem::remove(install.Path() / "displaysettings.txt");
    if (settings != nullptr) install.Write("displaysettings.txt", settings);
    app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
    fake = static_cast<FakePlatform*>(&app->GetPlatform());
    At(w, h, bpp, 60);
    fake->modes = std::move(modes);
    CreateMenu();
  }
  bool Scaled() const { return fake->scaledPresentation == Point{800, 600}; }
  bool Refused() const { return menu->closetimer->Enabled(); }
};

TEST_F(ScaledStartupTest, ALargerScreenWithoutAModeShowsThePictureScaledAndRuns) {
  Start(1024, 768, 32, nullptr, {Mode(800, 600, 32, 75, 1), Mode(1024, 768, 32, 60, 2)});
  EXPECT_TRUE(Scaled());
  EXPECT_FALSE(Refused());
  EXPECT_TRUE(fake->shownBoxes.empty());
  EXPECT_FALSE(menu->Session.InstallFolder.empty());
  EXPECT_FALSE(menu->ActivityTable[5].empty());
  EXPECT_EQ(menu->BoundsRect(), Rect::FromSize(0, 0, 800, 600));
  EndProgram();
  EXPECT_EQ(ModeChanges(), 0);  // nothing switched, nothing put back

  // 16 bits are enough; the resolution message stays for what cannot show the picture.
  Start(1280, 720, 16, "SET=YES");
  EXPECT_TRUE(Scaled());
  EXPECT_FALSE(Refused());
  for (const auto& [w, h, bpp] : {std::tuple{1024, 768, 8}, {1024, 576, 32}, {640, 800, 32}}) {
    Start(w, h, bpp, nullptr);
    EXPECT_FALSE(Scaled()) << w << "x" << h << "x" << bpp;
    EXPECT_TRUE(Refused()) << w << "x" << h << "x" << bpp;
    EXPECT_TRUE(menu->Session.InstallFolder.empty());
  }
}

TEST_F(ScaledStartupTest, APlatformThatCannotScaleStillRefuses) {
  std::filesystem::remove(install.Path() / "displaysettings.txt");
  fake->canScale = false;
  At(1024, 768, 32, 60);
  CreateMenu();
  EXPECT_FALSE(fake->scaledPresentation.has_value());
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_TRUE(Refused());
}

TEST_F(ScaledStartupTest, AnExistingModeIsStillSwitchedTo) {
  Start(1024, 768, 32, "SET=YES SCALE=YES", {Mode(800, 600, 32, 60, 1)});
  EXPECT_EQ(ModeChanges(), 1);
  EXPECT_FALSE(Scaled());
  Start(1024, 768, 32, "SCALE=YES SET=YES");  // both, and no mode: scaled
  EXPECT_EQ(ModeChanges(), 0);
  EXPECT_TRUE(Scaled());
  EXPECT_FALSE(Refused());
}

TEST_F(ScaledStartupTest, ScaleYesOnTheFirstLineAsksForThePictureScaledWithoutASwitch) {
  struct Case {
    const char* content;
    bool scaled;
  };
  const Case cases[] = {
      {"SCALE=YES\r\n", true},
      {"SET=NO SCALE=YES", true},
      {"Display: SCALE=YESPLEASE", true},
      {"scale=yes\r\n", false},
      {"SET=NO\r\nSCALE=YES\r\n", false},
      {"SET=NO", false},
  };
  for (const Case& c : cases) {
    // An 800x600 mode exists, and is still not switched to: the file forbids it.
    Start(1280, 720, 32, c.content, {Mode(800, 600, 32, 60, 1)});
    EXPECT_EQ(Scaled(), c.scaled) << c.content;
    EXPECT_EQ(ModeChanges(), 0) << c.content;
    EXPECT_FALSE(Refused()) << c.content;
    EXPECT_TRUE(fake->shownBoxes.empty()) << c.content;
  }
  // Where the picture cannot be scaled the window shows unscaled, as without the word.
  for (const auto& [w, h, bpp] : {std::tuple{640, 480, 32}, {1024, 768, 8}, {800, 600, 32}}) {
    Start(w, h, bpp, "SCALE=YES");
    EXPECT_FALSE(Scaled()) << w << "x" << h << "x" << bpp;
    EXPECT_FALSE(Refused());
    EXPECT_TRUE(fake->shownBoxes.empty());
  }
}

}  // namespace
}  // namespace tazu
