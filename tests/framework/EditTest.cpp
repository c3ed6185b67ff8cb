#include "framework/Edit.h"

#include <gtest/gtest.h>

#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;

class EditTest : public FrameworkTest {
 protected:
  void SetUp() override {
    form = ShownForm(300, 100);
    edit = form->Create<TEdit>(form);
    edit->SetBounds(10, 10, 200, 30);
    edit->SetFocus();
  }
  void Type(const std::string& utf8) {
    fake->TypeText(form->Handle(), utf8);
    app->ProcessMessages();
  }
  void Key(int vk) {
    fake->PressKey(form->Handle(), vk);
    app->ProcessMessages();
  }
  TForm* form = nullptr;
  TEdit* edit = nullptr;
};

TEST_F(EditTest, TypingBackspaceDeleteAndTheCaret) {
  Type("abc");
  EXPECT_EQ(edit->Text(), "abc");
  Key(VK_LEFT);
  Key(VK_BACK);
  EXPECT_EQ(edit->Text(), "ac");
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(edit->Text(), "c");
  Type("x");
  EXPECT_EQ(edit->Text(), "xc");
  EXPECT_EQ(edit->SelStart(), 1);
  Key(VK_END);
  Key(VK_BACK);
  Key(VK_BACK);
  Key(VK_BACK);  // nothing left to delete
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(EditTest, UpperCaseFieldStoresWhatIsTypedInUpperCaseAndKeepsItsLimit) {
  edit->CharCase = TEditCharCase::ecUpperCase;
  edit->MaxLength = 5;
  Type("anna-\xc3\xa9lise");  // e-acute arrives as UTF-8
  EXPECT_EQ(edit->Text(), "ANNA-");
  edit->SetText("pi\xebt");  // Windows-1252 e-diaeresis
  EXPECT_EQ(edit->Text(), "PI\xcbT");
  edit->SetText("much too long");
  EXPECT_EQ(edit->Text(), "MUCH ");
}

TEST_F(EditTest, OnKeyPressSeesTheKeyBeforeTheFieldAndMaySwallowIt) {
  std::vector<std::string> seen;
  edit->OnKeyPress = [&](TObject*, char& key) {
    seen.push_back(edit->Text() + "|" + std::string(1, key));
    if (key == '!') key = 0;
  };
  Type("a!");
  Key(VK_RETURN);
  Key(VK_BACK);
  EXPECT_EQ(seen, (std::vector<std::string>{"|a", "a|!", "a|\r", "a|\b"}));
  EXPECT_EQ(edit->Text(), "");  // Enter adds nothing, Backspace deleted the a
}

TEST_F(EditTest, PaintsTextInItsFontColourAndACaretWhenFocused) {
  edit->Color = clGreen;
  edit->Font.color = clYellow;
  edit->Font.height = 24;
  edit->Font.bold = true;
  edit->BorderStyle = false;
  edit->SetText("PIET");
  app->ProcessMessages();
  const Bitmap32& shown = fake->Window(form->Handle()).image;
  int yellow = 0;
  for (int y = 10; y < 40; ++y) {
    for (int x = 10; x < 210; ++x) yellow += shown.Pixel(x, y) == ColorToPixel(clYellow);
  }
  EXPECT_GT(yellow, 50);
  EXPECT_EQ(shown.Pixel(205, 12), ColorToPixel(clGreen));
}

}  // namespace
}  // namespace tazu
