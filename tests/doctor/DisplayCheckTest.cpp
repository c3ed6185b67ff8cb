// What the checker says the launcher makes of a display: the start-up's own decision
// over the settings line and the display's size, depth and modes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/base/TempDir.h"
#include "tools/doctor/DisplayCheck.h"

namespace tazu::doctor {
namespace {

using menu::DisplayOptions;
using menu::DisplayOutcome;
using menu::DisplaySettings;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

DisplayMode Mode(uint32_t w, uint32_t h, uint32_t bpp, uint32_t hz) {
  DisplayMode m;
  m.pelsWidth = w;
  m.pelsHeight = h;
  m.bitsPerPel = bpp;
  m.displayFrequency = hz;
  return m;
}

TEST(DisplayCheckTest, ScaleYesCountsOnTheFirstLineInExactLetterCase) {
  test::TempDir dir;
  EXPECT_FALSE(menu::ReadDisplayOptions(dir.Str()).scaleAsked);
  const struct {
    const char* text;
    bool scale;
    DisplaySettings settings;
  } cases[] = {
      {"SCALE=YES\n", true, DisplaySettings::Forbids},
      {"SET=YES SCALE=YES", true, DisplaySettings::Allows},
      {"scale=yes\n", false, DisplaySettings::Forbids},
      {"SET=NO\nSCALE=YES\n", false, DisplaySettings::Forbids},
  };
  for (const auto& c : cases) {
    dir.Write("displaysettings.txt", c.text);
    const DisplayOptions options = menu::ReadDisplayOptions(dir.Str());
    EXPECT_EQ(options.scaleAsked, c.scale) << c.text;
    EXPECT_EQ(options.settings, c.settings) << c.text;
  }
}

TEST(DisplayCheckTest, AModeCountsOnlyAt800x600AtTheCurrentRateIn32Or16Bits) {
  const DisplayCaps screen{60, 1024, 768, 32};
  EXPECT_FALSE(
      FactsFrom(screen, {Mode(800, 600, 32, 75), Mode(800, 600, 8, 60), Mode(1024, 768, 32, 60)})
          .modeAvailable);
  DisplayMode rotated = Mode(800, 600, 32, 60);
  rotated.orientation = 1;
  EXPECT_FALSE(FactsFrom(screen, {rotated}).modeAvailable);
  EXPECT_TRUE(FactsFrom(screen, {Mode(800, 600, 16, 60)}).modeAvailable);
  const menu::DisplayFacts facts = FactsFrom(screen, {});
  EXPECT_EQ(facts.width, 1024);
  EXPECT_EQ(facts.height, 768);
  EXPECT_EQ(facts.bitsPerPixel, 32);
}

TEST(DisplayCheckTest, TheStartUpsDecisionForEachSettingAndDisplay) {
  const DisplayOptions absent{DisplaySettings::Absent, false};
  const DisplayOptions allows{DisplaySettings::Allows, false};
  const DisplayOptions both{DisplaySettings::Allows, true};
  const DisplayOptions forbids{DisplaySettings::Forbids, false};
  const DisplayOptions scale{DisplaySettings::Forbids, true};
  const DisplayOptions unreadable{DisplaySettings::Unreadable, false};
  const menu::DisplayFacts wideNoMode{1280, 720, 32, false};
  const menu::DisplayFacts withMode{1024, 768, 32, true};
  const menu::DisplayFacts small{640, 480, 32, false};
  const menu::DisplayFacts fewColours{1024, 768, 8, false};
  const menu::DisplayFacts exact{800, 600, 32, false};

  EXPECT_EQ(PlanDisplay(absent, withMode), DisplayOutcome::Switch);
  EXPECT_EQ(PlanDisplay(absent, wideNoMode), DisplayOutcome::Scale);
  EXPECT_EQ(PlanDisplay(allows, wideNoMode), DisplayOutcome::Scale);
  EXPECT_EQ(PlanDisplay(both, withMode), DisplayOutcome::Switch);
  EXPECT_EQ(PlanDisplay(both, wideNoMode), DisplayOutcome::Scale);
  EXPECT_EQ(PlanDisplay(allows, small), DisplayOutcome::Refuse);
  EXPECT_EQ(PlanDisplay(allows, fewColours), DisplayOutcome::Refuse);
  EXPECT_EQ(PlanDisplay(allows, exact), DisplayOutcome::AsItIs);
  EXPECT_EQ(PlanDisplay(forbids, withMode), DisplayOutcome::Window);
  EXPECT_EQ(PlanDisplay(unreadable, wideNoMode), DisplayOutcome::Window);
  EXPECT_EQ(PlanDisplay(scale, withMode), DisplayOutcome::Scale);  // never a switch
  EXPECT_EQ(PlanDisplay(scale, small), DisplayOutcome::Window);    // never a refusal
  EXPECT_EQ(PlanDisplay(scale, fewColours), DisplayOutcome::Window);
}

TEST(DisplayCheckTest, TheLineSaysWhatTheLauncherDoes) {
  EXPECT_THAT(DescribeDisplay({}, std::nullopt), StartsWith("not checked"));
  EXPECT_EQ(DescribeDisplay({}, menu::DisplayFacts{1024, 768, 32, false}),
            "1024x768, 32 bits per pixel, no 800x600 mode at this refresh rate: the launcher "
            "switches nothing and shows its picture scaled 1.28 times, centred");
  EXPECT_THAT(DescribeDisplay({}, menu::DisplayFacts{1920, 1080, 32, true}),
              EndsWith("switches to 800x600 and back at the end"));
  EXPECT_THAT(
      DescribeDisplay({DisplaySettings::Forbids, false}, menu::DisplayFacts{1920, 1080, 32, true}),
      HasSubstr("800x600 window unscaled"));
  EXPECT_THAT(DescribeDisplay({}, menu::DisplayFacts{640, 480, 32, false}),
              HasSubstr("refuses to start"));
}

}  // namespace
}  // namespace tazu::doctor
