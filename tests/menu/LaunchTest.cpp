#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "framework/ImageCodecs.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

using test::MenuTest;
using Clock = std::chrono::steady_clock;

constexpr const char* kMissing =
    "The file you selected does not exists! Please re-install software!";

class LaunchTest : public MenuTest {
 protected:
  void SetUp() override {
    for (int n : {0, 2, 5}) {
      const auto jpeg = EncodeJpeg(Bitmap32(800, 600, MakePixel(static_cast<uint8_t>(n), 0, 0)));
      install.Write("menu/menu_" + std::to_string(n) + "_E.jpg",
                    std::string(jpeg.begin(), jpeg.end()));
    }
    for (const char* program : {"wiskundeoptel/optel.exe", "wiskundemaal/wiskundemaal.exe",
                                "report/report.exe", "geheueprente/geheueprente.exe"}) {
      install.Write(program, "program");
    }
    CreateMenu();
    menu->Show();
    SignInAs("E", "ANNA");
  }
  void ClickAt(int x, int y) {
    fake->Click(menu->Handle(), x, y);
    app->ProcessMessages();
  }
  std::string Expected(const std::string& relative) const {
    return menu->Session.InstallFolder + relative;
  }
  static constexpr Point kMover2{300, 340};
  static constexpr Point kEntry2_3{30, 290};
  static constexpr Point kEntry2_1{30, 195};
};

TEST_F(LaunchTest, TheParameterStringHasSixWrappedFields) {
  menu->Session.InstallFolder = "C:\\Kids\\";
  menu->Session.LearnerName = "Anna";
  menu->Session.Language = Lang::Afrikaans;
  const std::string expected = "\"*C:\\Kids\\#\" \"*Anna#\" \"*#\" \"*#\" \"*TRUE#\" \"*AFR#\"";
  EXPECT_EQ(menu->BuildProgramParameters(), expected);
  EXPECT_EQ(expected.size(), 48u);
  menu->Session.Language = Lang::English;
  menu->Session.LearnerName = "";
  EXPECT_EQ(menu->BuildProgramParameters(),
            "\"*C:\\Kids\\#\" \"*#\" \"*#\" \"*#\" \"*TRUE#\" \"*ENG#\"");
  menu->Session.LearnerName = "AN\"NA";  // passed as it is
  EXPECT_NE(menu->BuildProgramParameters().find("\"*AN\"NA#\""), std::string::npos);
}

TEST_F(LaunchTest, AnEntryClickStartsItsProgramAboutFiftyMillisecondsLater) {
  ClickAt(kMover2.x, kMover2.y);
  const auto clicked = Clock::now();
  ClickAt(kEntry2_3.x, kEntry2_3.y);
  EXPECT_TRUE(fake->shellRequests.empty());  // nothing in the click itself
  ASSERT_TRUE(RunUntil([&] { return !fake->shellRequests.empty(); }));
  EXPECT_GE(Clock::now() - clicked, std::chrono::milliseconds(45));
  const ShellExecuteRequest& r = fake->shellRequests[0];
  EXPECT_EQ(r.verb, "open");
  EXPECT_EQ(r.file, Expected("wiskundeoptel\\optel.exe"));
  EXPECT_EQ(r.parameters, menu->BuildProgramParameters());
  EXPECT_EQ(r.directory, "");
  EXPECT_EQ(r.show, 5);
  EXPECT_TRUE(menu->ActivityRunning);
  EXPECT_EQ(menu->WindowState(), TWindowState::wsMinimized);

  // Its end brings the menu back with the same subject open.
  fake->EndProcess(fake->processes.begin()->first, 0);
  ASSERT_TRUE(RunUntil([&] { return !menu->ActivityRunning; }));
  EXPECT_EQ(menu->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(menu->CurrentSubject, 2);
  EXPECT_TRUE(menu->PictureControl("subindex2_3")->Visible());
}

TEST_F(LaunchTest, TwoClicksWithinTheDelayStartOnlyTheSecond) {
  ClickAt(kMover2.x, kMover2.y);
  ClickAt(kEntry2_3.x, kEntry2_3.y);
  ClickAt(kEntry2_1.x, kEntry2_1.y);
  ASSERT_TRUE(RunUntil([&] { return !fake->shellRequests.empty(); }));
  RunPastThreadedTick(150);
  ASSERT_EQ(fake->shellRequests.size(), 1u);
  EXPECT_EQ(fake->shellRequests[0].file, Expected("wiskundemaal\\wiskundemaal.exe"));
}

TEST_F(LaunchTest, TheReportButtonStartsAtOnceAndASecondStartWaitsForTheFirst) {
  ClickAt(759, 445);
  ASSERT_EQ(fake->shellRequests.size(), 1u);
  EXPECT_EQ(fake->shellRequests[0].file, Expected("report\\report.exe"));
  ClickAt(759, 445);  // still running: ignored
  EXPECT_EQ(fake->shellRequests.size(), 1u);
}

TEST_F(LaunchTest, AMissingProgramIsReportedAndTheNextClickWorks) {
  std::filesystem::remove(install.Path() / "wiskundeoptel/optel.exe");
  ClickAt(kMover2.x, kMover2.y);
  ClickAt(kEntry2_3.x, kEntry2_3.y);
  ASSERT_TRUE(RunUntil([&] { return !fake->shownBoxes.empty(); }));
  EXPECT_EQ(fake->shownBoxes[0].text, kMissing);
  EXPECT_EQ(fake->shownBoxes[0].caption, "Pelkor Tazu");
  EXPECT_EQ(fake->shownBoxes[0].kind, MessageBoxKind::Plain);
  EXPECT_TRUE(fake->shellRequests.empty());
  EXPECT_FALSE(menu->ActivityRunning);
  ClickAt(kEntry2_1.x, kEntry2_1.y);
  ASSERT_TRUE(RunUntil([&] { return !fake->shellRequests.empty(); }));
}

TEST_F(LaunchTest, ARefusedStartLeavesTheMenuAsItWas) {
  fake->shellOutcomes.push_back({SE_ERR_ACCESSDENIED, false});
  ClickAt(759, 445);
  EXPECT_FALSE(menu->ActivityRunning);
  EXPECT_EQ(menu->WindowState(), TWindowState::wsNormal);
  EXPECT_TRUE(fake->shownBoxes.empty());
  ClickAt(759, 445);  // and the next start goes ahead
  EXPECT_EQ(fake->shellRequests.size(), 2u);
  EXPECT_TRUE(menu->ActivityRunning);
}

TEST_F(LaunchTest, ClosingTheMenuCancelsAStartChosenJustBefore) {
  ClickAt(kMover2.x, kMover2.y);
  ClickAt(kEntry2_3.x, kEntry2_3.y);
  menu->Close();
  RunPastThreadedTick(150);
  EXPECT_TRUE(fake->shellRequests.empty());
}

}  // namespace
}  // namespace tazu
