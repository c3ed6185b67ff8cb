#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "base/Paths.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

using test::MenuTest;

constexpr const char* kQuestion =
    "The MCI driver for midi-files is not properly installed. Midi files are music files that "
    "are used for background music. Do you want to disable the music?";

class MusicTest : public MenuTest {
 protected:
  void Piece(const std::string& name) { install.Write("Music/" + name, "MThd"); }
  void Start() {
    CreateMenu();
    menu->MusicChoice = SeededChoice(2024);  // the same pieces at every run
    menu->Show();
  }
  std::string Opened(size_t i) const { return ExtractFileName(fake->musicOpened.at(i)); }
  // The piece that is playing ends; the loop handles the notice.
  void EndPiece() {
    fake->EndMusic();
    app->ProcessMessages();
  }
  bool Playing() const { return fake->musicMode == MusicMode::Playing; }
};

TEST_F(MusicTest, NoFirstPieceMeansNoMusicAtAll) {
  Piece("other.mid");
  Piece("more.mid");
  Start();
  EXPECT_TRUE(menu->StartFirstMusic());
  EXPECT_TRUE(fake->musicOpened.empty());
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(MusicTest, TheFirstPieceAlonePlaysOnceAndIsNeverHeldForAnActivity) {
  Piece("pelkor2.mid");
  Start();
  ASSERT_TRUE(menu->StartFirstMusic());
  ASSERT_EQ(fake->musicOpened.size(), 1u);
  EXPECT_EQ(Opened(0), "pelkor2.mid");
  EXPECT_TRUE(Playing());
  EXPECT_FALSE(menu->MusicHeld);
  EndPiece();
  EXPECT_EQ(fake->musicOpened.size(), 1u);  // no further music
  EXPECT_EQ(menu->MidiList, std::vector<std::string>{"pelkor2.mid"});
}

TEST_F(MusicTest, AfterTheFirstPieceOneOfThemAtRandomAndSoOn) {
  for (const char* name : {"pelkor2.mid", "a.mid", "b.MID"}) Piece(name);
  install.Write("Music/notes.txt", "not music");
  Start();
  menu->StartFirstMusic();
  for (int i = 0; i < 30; ++i) EndPiece();
  ASSERT_EQ(fake->musicOpened.size(), 31u);
  std::set<std::string> chosen;
  for (size_t i = 1; i < fake->musicOpened.size(); ++i) chosen.insert(Opened(i));
  EXPECT_EQ(chosen, (std::set<std::string>{"pelkor2.mid", "a.mid", "b.MID"}));
  EXPECT_TRUE(Playing());
  // The pick is the generator's: a choice that always says the last plays only that.
  menu->MusicChoice = [](size_t count) { return count - 1; };
  EndPiece();
  EXPECT_EQ(Opened(31), menu->MidiList.back());
  // A stop's notice finds the position short of the length and starts nothing.
  fake->MusicStop();
  app->ProcessMessages();
  EXPECT_EQ(fake->musicOpened.size(), 32u);
}

TEST_F(MusicTest, OnlyTheFirstFiftyNamesListedArePlayedAndLaterFilesNever) {
  Piece("pelkor2.mid");
  for (int i = 0; i < 59; ++i) Piece("piece" + std::to_string(i) + ".mid");
  Start();
  menu->StartFirstMusic();
  EndPiece();
  ASSERT_EQ(menu->MidiList.size(), 50u);
  const std::vector<std::string> listed = FindFiles(menu->Session.MusicFolder, "*.mid");
  EXPECT_TRUE(std::equal(menu->MidiList.begin(), menu->MidiList.end(), listed.begin()));
  Piece("added-later.mid");
  for (int i = 0; i < 200; ++i) EndPiece();
  for (size_t i = 1; i < fake->musicOpened.size(); ++i) {
    const std::string name = Opened(i);
    EXPECT_NE(std::find(menu->MidiList.begin(), menu->MidiList.end(), name), menu->MidiList.end())
        << name;
  }
}

TEST_F(MusicTest, AnActivityDuringTheFirstPieceLeavesTheMusicOn) {
  for (const char* name : {"pelkor2.mid", "a.mid", "b.mid"}) Piece(name);
  install.Write("report/report.exe", "program");
  Start();
  SignInAs("E");
  menu->StartFirstMusic();
  menu->reportbutClick(nullptr);
  EXPECT_TRUE(Playing());
  EXPECT_FALSE(menu->MusicHeld);
}

TEST_F(MusicTest, AnActivityDuringARandomPieceStopsItAndANewOneFollows) {
  for (const char* name : {"pelkor2.mid", "a.mid", "b.mid"}) Piece(name);
  install.Write("report/report.exe", "program");
  Start();
  SignInAs("E");
  menu->StartFirstMusic();
  EndPiece();  // now a random piece plays
  const size_t opened = fake->musicOpened.size();
  menu->reportbutClick(nullptr);
  EXPECT_TRUE(menu->MusicHeld);
  EXPECT_FALSE(Playing());
  app->ProcessMessages();  // the stop's notice starts nothing while held
  EXPECT_EQ(fake->musicOpened.size(), opened);
  fake->EndProcess(fake->processes.begin()->first, 0);
  for (int i = 0; i < 20 && menu->ActivityRunning; ++i) app->HandleMessage();
  EXPECT_FALSE(menu->MusicHeld);
  EXPECT_EQ(fake->musicOpened.size(), opened + 1);
  EXPECT_TRUE(Playing());
  EXPECT_EQ(fake->musicPositionMs, 0u);  // from its beginning
}

TEST_F(MusicTest, AnsweringYesRemovesOnlyTheMidiFilesAndEndsTheProgram) {
  for (const char* name : {"pelkor2.mid", "a.mid", "B.MID"}) Piece(name);
  install.Write("Music/readme.txt", "keep");
  install.Write("Music/sub/inner.mid", "keep");
  install.Write("Music/folder.mid/x.txt", "keep");
  install.Write("menu/x.mid", "keep");
  // Read-only files go too (on Windows the attribute would otherwise refuse the delete).
  std::filesystem::permissions(
      install.Path() / "Music/a.mid",
      std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  fake->musicOpenError = "The driver cannot play MIDI";
  fake->answers.push_back(mrYes);
  Start();
  EXPECT_FALSE(menu->StartFirstMusic());
  ASSERT_EQ(fake->shownBoxes.size(), 2u);
  EXPECT_EQ(fake->shownBoxes[0].text, kQuestion);
  EXPECT_EQ(fake->shownBoxes[0].caption, "Confirm");
  EXPECT_EQ(fake->shownBoxes[0].buttons, MessageBoxButtons::YesNo);
  EXPECT_EQ(fake->shownBoxes[1].text,
            "Please re-start this program. Midi-files have been removed.");
  EXPECT_EQ(fake->shownBoxes[1].caption, "Information");
  EXPECT_TRUE(app->Terminated());
  const auto music = install.Path() / "Music";
  EXPECT_FALSE(std::filesystem::exists(music / "pelkor2.mid"));
  EXPECT_FALSE(std::filesystem::exists(music / "a.mid"));
  EXPECT_FALSE(std::filesystem::exists(music / "B.MID"));
  EXPECT_TRUE(std::filesystem::exists(music / "readme.txt"));
  EXPECT_TRUE(std::filesystem::exists(music / "sub/inner.mid"));
  EXPECT_TRUE(std::filesystem::exists(music / "folder.mid/x.txt"));
  EXPECT_TRUE(std::filesystem::exists(install.Path() / "menu/x.mid"));

  // The next start asks nothing.
  EndProgram();
  app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
  fake = static_cast<FakePlatform*>(&app->GetPlatform());
  Start();
  EXPECT_TRUE(menu->StartFirstMusic());
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(MusicTest, AnsweringNoGoesOnSilentlyUntilAnActivityEnds) {
  Piece("pelkor2.mid");
  Piece("a.mid");
  install.Write("report/report.exe", "program");
  fake->musicOpenError = "The driver cannot play MIDI";
  fake->answers.push_back(mrNo);
  Start();
  SignInAs("E");
  EXPECT_TRUE(menu->StartFirstMusic());
  EXPECT_TRUE(menu->MusicHeld);
  EXPECT_FALSE(app->Terminated());
  EXPECT_TRUE(std::filesystem::exists(install.Path() / "Music/pelkor2.mid"));
  // After an activity the next piece is tried again; its failure reaches the error box.
  fake->musicOpenError.reset();
  menu->reportbutClick(nullptr);
  fake->EndProcess(fake->processes.begin()->first, 0);
  for (int i = 0; i < 20 && menu->ActivityRunning; ++i) app->HandleMessage();
  EXPECT_FALSE(menu->MusicHeld);
  EXPECT_EQ(fake->musicOpened.size(), 1u);
  EXPECT_TRUE(Playing());
}

}  // namespace
}  // namespace tazu
