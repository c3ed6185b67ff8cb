// The menu's first activation, sign-in, change of name or language, and exit.
#include <gtest/gtest.h>

#include <filesystem>

#include "roster/StudentDatabase.h"
#include "screens/intro/introunit.h"
#include "screens/menu/menuunit_v2.h"
#include "tests/intro/IntroFiles.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

using test::MenuTest;

class HandOffTest : public MenuTest {
 protected:
  void SetUp() override {
    test::WriteIntroFiles(install);
    for (const char* language : {"A", "E"}) {
      for (int n : {0, 2}) {
        install.Write(
            "menu/menu_" + std::to_string(n) + "_" + language + ".jpg",
            test::Jpeg(800, 600,
                       MakePixel(static_cast<uint8_t>(n * 100), language[0] == 'A' ? 10 : 20, 0)));
      }
    }
    install.Write("Music/pelkor2.mid", "MThd");
    install.Write("Sounds_eng/in6.wav", test::Wav("eng in6"));
    install.Write("Sounds_afr/in6.wav", test::Wav("afr in6"));
    install.Write("wiskundeoptel/optel.exe", "program");
    CreateMenu(/*firstActivation=*/true);
  }
  // While the intro is up: choose a language and a name, and press R.
  void AnswerIntro(char language, const std::string& name) {
    fake->onIdle = [this, language, name] {
      auto* intro = dynamic_cast<TForm2*>(app->ActiveForm());
      if (intro == nullptr) return;
      fake->onIdle = nullptr;
      seenIntro = intro;
      seenReturning = intro->Returning;
      musicBeforeIntro = !fake->musicOpened.empty();
      if (language == 'E') {
        intro->langselect2Click(intro->langselect2);
      } else {
        intro->langselect1Click(intro->langselect1);
      }
      intro->nameEdit->SetText(name);
      intro->RightButClick(intro->RightBut);
    };
  }
  std::string LastCue() const {
    return fake->wavesPlayed.empty() ? "" : test::WavMarker(fake->wavesPlayed.back());
  }
  int MenuPictureMark() const { return PixelG(menu->frame->Picture().Bitmap().Pixel(5, 5)); }
  uintmax_t RosterSize() const {
    std::error_code ec;
    const auto size =
        std::filesystem::file_size(install.Path() / "documents" / "tazu_students.dat", ec);
    return ec ? 0 : size;
  }

  TForm2* seenIntro = nullptr;
  bool seenReturning = false;
  bool musicBeforeIntro = false;
};

TEST_F(HandOffTest, TheFirstStartRunsTheIntroAndSignsIn) {
  AnswerIntro('E', "PIET");
  menu->Show();  // the first activation
  ASSERT_NE(seenIntro, nullptr);
  EXPECT_TRUE(musicBeforeIntro);
  EXPECT_FALSE(seenReturning);
  EXPECT_EQ(menu->Session.Language, Lang::English);
  EXPECT_EQ(menu->Session.LearnerName, "PIET");
  EXPECT_EQ(menu->reportbut->Hint, "Report");
  EXPECT_EQ(menu->backbut->Hint, "Change name/language");
  EXPECT_EQ(menu->exitbut->Hint, "Exit Pelkor!");
  EXPECT_EQ(menu->Session.SoundFolder, menu->Session.InstallFolder + "Sounds_eng\\");
  EXPECT_GE(FindLearner(roster, "PIET", "", ""), 1);
  EXPECT_EQ(RosterSize(), 708u);
  EXPECT_EQ(menu->CurrentSubject, 0);
  EXPECT_NEAR(MenuPictureMark(), 20, 6);  // menu_0_E.jpg
  EXPECT_EQ(LastCue(), "eng in6");
  EXPECT_TRUE(menu->Active());
  // A later activation (after an activity program) does not show the intro again.
  seenIntro = nullptr;
  AnswerIntro('E', "OTHER");
  menu->FormActivate(menu);
  EXPECT_EQ(seenIntro, nullptr);
  fake->onIdle = nullptr;
}

TEST_F(HandOffTest, ReturningWithTheSameNameAddsNobodyAndChangingLanguageResetsTheMenu) {
  AnswerIntro('E', "PIET");
  menu->Show();
  ASSERT_EQ(RosterSize(), 708u);
  // Open a subject and hover an entry, then change to Afrikaans with the same name.
  menu->mover1Click(menu->PictureControl("mover2"));
  ASSERT_EQ(menu->CurrentSubject, 2);
  AnswerIntro('A', "PIET");
  menu->backbutClick(menu->backbut);
  EXPECT_TRUE(seenReturning);
  EXPECT_EQ(RosterSize(), 708u);  // found, so nothing written
  EXPECT_EQ(menu->reportbut->Hint, "Verslag");
  EXPECT_EQ(menu->backbut->Hint, "Verander naam/taal");
  EXPECT_EQ(menu->exitbut->Hint, "Verlaat Pelkor!");
  EXPECT_EQ(menu->Session.SoundFolder, menu->Session.InstallFolder + "Sounds_afr\\");
  EXPECT_EQ(menu->CurrentSubject, 0);
  EXPECT_NEAR(MenuPictureMark(), 10, 6);  // menu_0_A.jpg
  EXPECT_FALSE(menu->PictureControl("subindex2_1")->Visible());
  EXPECT_FALSE(menu->SubjectOpen[2]);
  EXPECT_EQ(LastCue(), "afr in6");
}

TEST_F(HandOffTest, TheBackButtonShowsTheVolumeButtonFromTheStart) {
  AnswerIntro('E', "PIET");
  menu->Show();
  bool muteVisible = false;
  fake->onIdle = [&] {
    auto* intro = dynamic_cast<TForm2*>(app->ActiveForm());
    if (intro == nullptr) return;
    fake->onIdle = nullptr;
    muteVisible = intro->mutebut->Visible() && intro->Returning;
    intro->langselect2Click(intro->langselect2);
    intro->RightButClick(intro->RightBut);
  };
  menu->backbutClick(menu->backbut);
  EXPECT_TRUE(muteVisible);
}

TEST_F(HandOffTest, AFatalIntroErrorSkipsTheSignIn) {
  std::filesystem::remove(install.Path() / "menu/intro_126.frm");
  menu->Show();
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(RosterSize(), 0u);
  EXPECT_EQ(menu->CurrentSubject, 255);
}

// A window manager's close request (Alt+F4, its close button) on the intro screen.
TEST_F(HandOffTest, ClosingTheIntroFromOutsideSignsNobodyIn) {
  bool advertShown = false;
  auto closeAfterTyping = [&](char language) {
    fake->onIdle = [&, language] {
      auto* intro = dynamic_cast<TForm2*>(app->ActiveForm());
      if (intro == nullptr) {
        if (app->ActiveForm() != nullptr && app->ActiveForm() != menu) advertShown = true;
        return;
      }
      if (!intro->nameEdit->Visible()) {
        language == 'A' ? intro->langselect1Click(nullptr) : intro->langselect2Click(nullptr);
        intro->nameEdit->SetText("");
        return;
      }
      Event close;
      close.kind = EventKind::CloseRequest;
      close.window = intro->Handle();
      fake->PushEvent(close);
    };
  };
  // After the back button: the learner, language and prompt folder stay as they were.
  AnswerIntro('E', "PIET");
  menu->Show();
  const size_t cues = fake->wavesPlayed.size();
  closeAfterTyping('A');
  menu->backbutClick(menu->backbut);
  EXPECT_EQ(menu->Session.LearnerName, "PIET");
  EXPECT_EQ(menu->Session.Language, Lang::English);
  EXPECT_EQ(menu->Session.SoundFolder, menu->Session.InstallFolder + "Sounds_eng\\");
  EXPECT_EQ(fake->wavesPlayed.size(), cues);  // no new greeting
  EXPECT_FALSE(app->Terminated());
  EXPECT_FALSE(advertShown);
  EXPECT_EQ(RosterSize(), 708u);

  // On the first showing it leaves the way the exit button does, signing nobody in.
  EndProgram();
  std::filesystem::remove(install.Path() / "documents" / "tazu_students.dat");
  app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
  fake = static_cast<FakePlatform*>(&app->GetPlatform());
  CreateMenu(/*firstActivation=*/true);
  closeAfterTyping('E');
  menu->Show();
  fake->onIdle = nullptr;
  EXPECT_TRUE(advertShown);
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(RosterSize(), 0u);
  EXPECT_EQ(menu->Session.LearnerName, "");
  EXPECT_EQ(menu->CurrentSubject, 255);
}

TEST_F(HandOffTest, ExitCancelsAPendingStartShowsTheAdvertsAndEnds) {
  AnswerIntro('E', "PIET");
  menu->Show();
  menu->mover1Click(menu->PictureControl("mover2"));
  menu->subindex2_3Click(menu->PictureControl("subindex2_3"));  // pending for 50 ms
  bool advertShown = false;
  fake->onIdle = [&] {
    if (app->ActiveForm() != nullptr && app->ActiveForm() != menu) advertShown = true;
  };
  menu->exitbutClick(menu->exitbut);  // no advert files: the screen closes itself
  fake->onIdle = nullptr;
  EXPECT_TRUE(advertShown);
  EXPECT_TRUE(app->Terminated());
  RunPastThreadedTick(120);
  EXPECT_TRUE(fake->shellRequests.empty());
}

}  // namespace
}  // namespace tazu
