#include "screens/intro/introunit.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "screens/menu/menuunit_v2.h"
#include "tests/intro/IntroFiles.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

using test::MenuTest;

constexpr const char* kImagesMissing =
    "This program's image files could not be loaded. Please re-install software!";

class IntroTest : public MenuTest {
 protected:
  void SetUp() override {
    test::WriteIntroFiles(install);
    install.Write("Sounds_afr/in1.wav", test::Wav("afr in1"));
    install.Write("Sounds_afr/in2.wav", test::Wav("afr in2"));
    install.Write("Sounds_eng/in1.wav", test::Wav("eng in1"));
    install.Write("Sounds_eng/in2.wav", test::Wav("eng in2"));
    CreateMenu();
  }
  TForm2* ShowIntro(bool returning) {
    intro = app->CreateForm<TForm2>(menu->Session, *menu);
    intro->Returning = returning;
    intro->animatetimer->SetInterval(1);  // the test need not wait 50 ms a frame
    intro->Show();
    return intro;
  }
  int FrameMark() const {
    const Bitmap32& b = intro->frameviewer->Picture().Bitmap();
    return (PixelR(b.Pixel(8, 8)) + 1) / 2;
  }
  void Type(const std::string& text) {
    fake->TypeText(intro->Handle(), text);
    app->ProcessMessages();
  }
  void Key(int vk) {
    fake->PressKey(intro->Handle(), vk);
    app->ProcessMessages();
  }
  std::vector<std::string> CuesPlayed() const {
    std::vector<std::string> cues;
    for (const auto& wave : fake->wavesPlayed) cues.push_back(test::WavMarker(wave));
    return cues;
  }

  TForm2* intro = nullptr;
};

TEST_F(IntroTest, FramesPlayInOrderOnePerTickThenTheLanguageStage) {
  ShowIntro(false);
  intro->Flicker = [](size_t count) { return count - 2; };  // the first lamp panel only
  std::vector<int> shown;
  const TNotifyEvent tick = intro->animatetimer->OnTimer;
  intro->animatetimer->OnTimer = [&](TObject* s) {
    tick(s);
    if (intro->Animating) shown.push_back(FrameMark());
  };
  ASSERT_TRUE(RunUntil([&] { return intro->LanguageChoiceActive; }));
  ASSERT_EQ(shown.size(), 126u);
  for (int n = 1; n <= 126; ++n) EXPECT_EQ(shown[static_cast<size_t>(n - 1)], n);
  EXPECT_EQ(PixelB(intro->backimage->Picture().Bitmap().Pixel(5, 5)) > 150, true);  // intro1.jpg
  EXPECT_TRUE(intro->langselect1->Visible());
  EXPECT_TRUE(intro->langselect2->Visible());
  EXPECT_TRUE(intro->mutebut->Visible());
  EXPECT_TRUE(intro->animatetimer->Enabled());  // the lamps go on flickering
  EXPECT_TRUE(intro->cp1->Visible());
  EXPECT_FALSE(intro->cp2->Visible());
  EXPECT_EQ(intro->FrameBuffer, nullptr);
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(IntroTest, AReturningShowingPutsUpTheLastFrameAtOnce) {
  ShowIntro(true);
  EXPECT_EQ(FrameMark(), 126);
  EXPECT_TRUE(intro->LanguageChoiceActive);
  EXPECT_FALSE(intro->animatetimer->Enabled());
  EXPECT_FALSE(intro->cp1->Visible());
  EXPECT_FALSE(intro->cp2->Visible());
  EXPECT_EQ(intro->CurrentFrame, 125);
}

TEST_F(IntroTest, ADamagedFrameStopsOnTheLastGoodOneAndGoesOnToTheLanguages) {
  test::WriteFrameLibrary(install, true);
  ShowIntro(false);
  ASSERT_TRUE(RunUntil([&] { return intro->LanguageChoiceActive; }));
  EXPECT_EQ(FrameMark(), 59);
  EXPECT_EQ(intro->CurrentFrame, 60);
  EXPECT_FALSE(intro->animatetimer->Enabled());
  EXPECT_TRUE(intro->mutebut->Visible());
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(IntroTest, ALanguagePictureAbsentOrDamagedEndsTheProgramAfterItsMessage) {
  for (const char* damage : {"", "not a picture"}) {
    SCOPED_TRACE(damage);
    std::filesystem::remove(install.Path() / "menu/intro1.jpg");
    if (*damage != '\0') install.Write("menu/intro1.jpg", damage);
    ShowIntro(false);  // reached from the animation's tick
    ASSERT_TRUE(RunUntil([&] { return app->Terminated(); }));
    ASSERT_EQ(fake->shownBoxes.size(), 1u);
    EXPECT_EQ(fake->shownBoxes[0].text, kImagesMissing);
    EXPECT_FALSE(intro->LanguageChoiceActive);

    EndProgram();
    app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
    fake = static_cast<FakePlatform*>(&app->GetPlatform());
    CreateMenu();
  }
}

TEST_F(IntroTest, LibraryAbsentOrDamagedEndsTheProgramAfterItsMessage) {
  std::filesystem::remove(install.Path() / "menu/intro_126.frm");
  ShowIntro(false);
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].text,
            "This program's library files could not be loaded! Please re-install software!");
  EXPECT_EQ(fake->shownBoxes[0].caption, "Pelkor Tazu");
  EXPECT_EQ(fake->shownBoxes[0].kind, MessageBoxKind::Plain);
  EXPECT_TRUE(app->Terminated());

  EndProgram();
  app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
  app->Title = "Pelkor Tazu";
  fake = static_cast<FakePlatform*>(&app->GetPlatform());
  install.Write("menu/intro_126.frm", "damaged library");
  CreateMenu();
  ShowIntro(false);
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].text, "Error loading library. Re-install software and try again!");
  EXPECT_TRUE(app->Terminated());
}

TEST_F(IntroTest, ChoosingALanguageShowsTheNameBoardAndPlaysItsPrompt) {
  menu->Session.LearnerName = "PIET";
  ShowIntro(true);
  menu->Session.Language = Lang::English;
  intro->langselect1Click(intro->langselect1);
  EXPECT_EQ(intro->Choices.Language, Lang::Afrikaans);
  EXPECT_EQ(intro->Choices.SoundFolder, menu->Session.InstallFolder + "sounds_afr\\");
  EXPECT_EQ(menu->Session.Language,
            Lang::English);  // the menu's own change only when a hand is chosen
  EXPECT_EQ(menu->Session.SoundFolder, "");
  EXPECT_EQ(intro->LeftBut->Hint, "Linkshandige muis");
  EXPECT_EQ(intro->RightBut->Hint, "Regshandige muis");
  EXPECT_TRUE(intro->nameboard->Visible());
  EXPECT_EQ(intro->nameEdit->Text(), "PIET");
  EXPECT_TRUE(intro->nameEdit->Focused());
  EXPECT_EQ(CuesPlayed(), std::vector<std::string>{"afr in1"});
}

TEST_F(IntroTest, SwitchingLanguageResetsTheFieldAndTheNextKeyPlaysTheNewPrompt) {
  ShowIntro(true);
  intro->langselect1Click(intro->langselect1);
  Type("ab");
  EXPECT_EQ(intro->nameEdit->Text(), "AB");  // lower-case typing is stored in upper case
  intro->langselect2Click(intro->langselect2);
  EXPECT_EQ(intro->nameEdit->Text(), "");
  EXPECT_EQ(intro->LeftBut->Hint, "Lefthanded mouse");
  EXPECT_EQ(intro->RightBut->Hint, "Righthanded mouse");
  Type("x");
  Type("y");
  EXPECT_EQ(CuesPlayed(), (std::vector<std::string>{"afr in1", "afr in2", "eng in1", "eng in2"}));
  EXPECT_GE(fake->waveStops, 2);  // each name prompt stops the cue first
}

TEST_F(IntroTest, ADamagedPromptIsSilentAndTheKeyGoesIn) {
  install.Write("Sounds_eng/in1.wav", "RIFF....WAVE");
  install.Write("Sounds_eng/in2.wav", std::string());
  ShowIntro(true);
  intro->langselect2Click(intro->langselect2);
  Type("p");
  EXPECT_EQ(intro->nameEdit->Text(), "P");
  EXPECT_TRUE(intro->NamePromptPlayed);
  EXPECT_TRUE(fake->shownBoxes.empty());
  EXPECT_TRUE(CuesPlayed().empty());
}

TEST_F(IntroTest, EnterNeedsTwoCharactersAndRightButAcceptsOne) {
  ShowIntro(true);
  intro->langselect2Click(intro->langselect2);
  Type("a");
  Key(VK_RETURN);
  EXPECT_TRUE(intro->Visible());
  EXPECT_EQ(menu->Session.LearnerName, "");
  intro->RightButClick(intro->RightBut);
  EXPECT_EQ(menu->Session.LearnerName, "A");
  EXPECT_FALSE(intro->Visible());
  EXPECT_FALSE(fake->mouseSwapped);
}

TEST_F(IntroTest, EnterWithTwoCharactersActsAsRightBut) {
  ShowIntro(true);
  intro->langselect2Click(intro->langselect2);
  Type("jo");
  Key(VK_RETURN);
  EXPECT_EQ(menu->Session.LearnerName, "JO");
  EXPECT_FALSE(intro->Visible());
}

TEST_F(IntroTest, AnEmptyNameKeepsTheScreenAndTouchesNothing) {
  menu->Session.LearnerName = "OLD";
  ShowIntro(true);
  intro->langselect2Click(intro->langselect2);
  intro->nameEdit->SetText("");
  const size_t calls = fake->calls.size();
  intro->LeftButClick(intro->LeftBut);
  EXPECT_EQ(menu->Session.LearnerName, "OLD");
  EXPECT_FALSE(intro->Accepted());
  EXPECT_TRUE(intro->Visible());
  EXPECT_EQ(fake->calls.size(), calls);  // no mouse call, no question
}

TEST_F(IntroTest, LeftButAsksInTheChosenLanguageAndSwapsOnlyOnYes) {
  ShowIntro(true);
  intro->langselect1Click(intro->langselect1);
  Type("anna");
  fake->answers.push_back(mrNo);
  intro->LeftButClick(intro->LeftBut);
  ASSERT_FALSE(fake->shownBoxes.empty());
  EXPECT_EQ(fake->shownBoxes.back().text,
            "Die L-Knoppie ruil die funksies van jou muis se knoppies om. Is jy seker jy wil dit "
            "doen?");
  EXPECT_EQ(fake->shownBoxes.back().buttons, MessageBoxButtons::YesNo);
  EXPECT_FALSE(fake->mouseSwapped);
  EXPECT_FALSE(intro->Visible());  // it closes all the same
  EXPECT_EQ(menu->Session.LearnerName, "ANNA");

  TComponent::Free(intro);
  ShowIntro(true);
  intro->langselect2Click(intro->langselect2);
  fake->answers.push_back(mrYes);
  intro->LeftButClick(intro->LeftBut);
  EXPECT_EQ(fake->shownBoxes.back().text,
            "The L-button will swap the functions of your mouse buttons. Are you sure you want "
            "to do this?");
  EXPECT_TRUE(fake->mouseSwapped);
}

TEST_F(IntroTest, ANameBoardAbsentOrDamagedEndsTheProgramAfterItsMessage) {
  for (const char* damage : {"", "not a picture"}) {
    SCOPED_TRACE(damage);
    std::filesystem::remove(install.Path() / "menu/nameselect_E.jpg");
    if (*damage != '\0') install.Write("menu/nameselect_E.jpg", damage);
    ShowIntro(true);
    intro->langselect2Click(intro->langselect2);
    ASSERT_EQ(fake->shownBoxes.size(), 1u);
    EXPECT_EQ(fake->shownBoxes[0].text, kImagesMissing);
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(intro->Choices.SoundFolder,
              menu->Session.InstallFolder + "sounds_eng\\");  // steps 5, 6
    EXPECT_EQ(CuesPlayed(), std::vector<std::string>{"eng in1"});

    EndProgram();
    app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
    fake = static_cast<FakePlatform*>(&app->GetPlatform());
    CreateMenu();
  }
}

TEST_F(IntroTest, TheLanguageHighlightFollowsThePointerOnlyAtTheLanguageStage) {
  ShowIntro(false);
  intro->langselect1MouseMove(intro->langselect1, 0, 1, 1);
  EXPECT_FALSE(intro->afroption->Visible());  // still animating
  ASSERT_TRUE(RunUntil([&] { return intro->LanguageChoiceActive; }));
  fake->MoveMouse(intro->Handle(), 20, 100);
  app->ProcessMessages();
  EXPECT_TRUE(intro->afroption->Visible());
  fake->MoveMouse(intro->Handle(), 20, 150);
  app->ProcessMessages();
  EXPECT_FALSE(intro->afroption->Visible());
  EXPECT_TRUE(intro->engoption->Visible());
  fake->MoveMouse(intro->Handle(), 400, 500);
  app->ProcessMessages();
  EXPECT_FALSE(intro->engoption->Visible());
}

TEST(IntroFrameCount, ReadFromTheLibraryName) {
  EXPECT_EQ(TForm2::FrameCountFromName("intro_126.frm"), 126);
  EXPECT_EQ(TForm2::FrameCountFromName("intro_7.x_9.frm"), 7);
  EXPECT_EQ(TForm2::FrameCountFromName("intro.frm"), 0);
  EXPECT_EQ(TForm2::FrameCountFromName("intro_abc.frm"), 0);
}

}  // namespace
}  // namespace tazu
