#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/ImageCodecs.h"
#include "screens/menu/MenuLayout.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

using test::MenuTest;
namespace layout = ::tazu::menu;

class NavigationTest : public MenuTest {
 protected:
  void SetUp() override {
    for (const char* language : {"A", "E"}) {
      for (int n = 0; n <= 5; ++n) {
        Picture("menu/menu_" + std::to_string(n) + "_" + language + ".jpg", 800, 600, n);
      }
    }
    Picture("menu/sub_2_4_E.jpg", 255, 246, 24);
    Picture("menu/sub_2_1_E.jpg", 255, 246, 21);
    Picture("menu/sub_3_1_E.jpg", 255, 95, 31);
    CreateMenu();
    menu->Show();
    SignIn("E");
  }

  // A JPEG whose pixels carry `mark` in their red channel, so tests can tell them apart.
  void Picture(const std::string& name, int w, int h, int mark) {
    const auto bytes =
        EncodeJpeg(Bitmap32(w, h, MakePixel(static_cast<uint8_t>(mark * 10), 90, 90)));
    install.Write(name, std::string(bytes.begin(), bytes.end()));
  }
  void SignIn(const std::string& language) { SignInAs(language); }
  TImage* P(std::string_view name) { return menu->PictureControl(name); }
  void MoveTo(int x, int y) {
    fake->MoveMouse(menu->Handle(), x, y);
    app->ProcessMessages();
  }
  void ClickAt(int x, int y) {
    fake->Click(menu->Handle(), x, y);
    app->ProcessMessages();
  }
  // The red channel of what the screen shows at (x, y), to identify pictures.
  int Mark(int x, int y) {
    return (PixelR(fake->Window(menu->Handle()).image.Pixel(x, y)) + 5) / 10;
  }
  std::vector<std::string> VisibleNames(std::string_view prefix) {
    std::vector<std::string> names;
    for (TControl* c : menu->Controls()) {
      if (c->Visible() && c->Name.rfind(prefix, 0) == 0) names.push_back(c->Name);
    }
    return names;
  }
  static constexpr Point kMover2{300, 340};
  static constexpr Point kMover3{500, 380};
};

TEST_F(NavigationTest, ControlsFollowTheLayoutTableInStackingOrder) {
  const auto& controls = menu->Controls();
  ASSERT_EQ(controls.size(), layout::kControls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const layout::ControlPlace& row = layout::kControls[i];
    EXPECT_EQ(controls[i]->Name, row.name);
    if (row.kind == layout::Kind::Background || row.kind == layout::Kind::Highlight ||
        row.kind == layout::Kind::SubPicture) {
      continue;  // these take the size of their pictures
    }
    EXPECT_EQ(controls[i]->BoundsRect(), Rect::FromSize(row.left, row.top, row.width, row.height))
        << row.name;
    EXPECT_EQ(controls[i]->Tag, row.tag);
  }
  EXPECT_EQ(P("subindex2_3")->Hint, "2");
  EXPECT_EQ(P("mathbutim_e")->Hint, "but_eng");
  EXPECT_EQ(P("mover4")->Cursor, 31);
  EXPECT_EQ(menu->exitbut->MorphRate(), 250);
  EXPECT_TRUE(menu->exitbut->ShowHint);
  EXPECT_EQ(menu->exitbut->Hint, "Exit Pelkor!");  // set by the sign-in
  EXPECT_FALSE(P("mover1")->ShowHint);
}

TEST_F(NavigationTest, HighlightFollowsTheLanguage) {
  MoveTo(kMover2.x, kMover2.y);
  ASSERT_NE(menu->HoveredControl(), nullptr);
  EXPECT_EQ(menu->HoveredControl()->Name, "mover2");
  EXPECT_TRUE(P("mathbutim_e")->Visible());
  EXPECT_FALSE(P("mathbutim_a")->Visible());
  MoveTo(5, 5);  // onto the bare background
  EXPECT_FALSE(P("mathbutim_e")->Visible());
  SignIn("A");
  MoveTo(kMover2.x, kMover2.y);
  EXPECT_TRUE(P("mathbutim_a")->Visible());
  EXPECT_FALSE(P("mathbutim_e")->Visible());
  EXPECT_EQ(VisibleNames("readbut"), std::vector<std::string>{});
}

TEST_F(NavigationTest, NoHighlightBeforeThePointerReachesASubject) {
  for (const layout::ControlPlace& row : layout::kControls) {
    if (row.kind == layout::Kind::Highlight) {
      EXPECT_FALSE(P(row.name)->Visible()) << row.name;
    }
  }
}

TEST_F(NavigationTest, ClickingASubjectOpensItAndMakesItsEntriesLive) {
  ClickAt(kMover2.x, kMover2.y);
  EXPECT_EQ(menu->CurrentSubject, 2);
  EXPECT_EQ(Mark(5, 5), 2);  // menu_2_E.jpg is on show
  EXPECT_TRUE(menu->SubjectOpen[2]);
  EXPECT_EQ(VisibleNames("subindex"),
            (std::vector<std::string>{"subindex2_1", "subindex2_2", "subindex2_3", "subindex2_4",
                                      "subindex2_5"}));
  // The open subject neither highlights nor reopens.
  MoveTo(kMover2.x, kMover2.y);
  EXPECT_FALSE(P("mathbutim_e")->Visible());
  ClickAt(kMover2.x, kMover2.y);
  EXPECT_EQ(menu->CurrentSubject, 2);

  ClickAt(kMover3.x, kMover3.y);
  EXPECT_EQ(menu->CurrentSubject, 3);
  EXPECT_FALSE(menu->SubjectOpen[2]);
  EXPECT_EQ(VisibleNames("subindex"), (std::vector<std::string>{"subindex3_1", "subindex3_2"}));
}

TEST_F(NavigationTest, HoveringAnEntryShowsItsSubMenuPictureAndHidesTheOthers) {
  ClickAt(kMover3.x, kMover3.y);
  MoveTo(440, 440);  // subindex3_1
  ASSERT_TRUE(P("sub3")->Visible());
  ClickAt(kMover2.x, kMover2.y);
  MoveTo(20, 340);  // subindex2_4
  EXPECT_TRUE(P("sub2")->Visible());
  EXPECT_EQ(P("sub2")->BoundsRect(), Rect::FromSize(16, 178, 255, 246));
  EXPECT_EQ(Mark(100, 300), 24);  // sub_2_4_E.jpg
  EXPECT_EQ(VisibleNames("sub"),
            (std::vector<std::string>{"sub2", "subindex2_1", "subindex2_2", "subindex2_3",
                                      "subindex2_4", "subindex2_5"}));
  // Onto the bare background: every sub-menu picture and highlight goes.
  MoveTo(700, 20);
  EXPECT_FALSE(P("sub2")->Visible());
}

TEST_F(NavigationTest, AMissingPictureLeavesThingsAsTheyWere) {
  ClickAt(kMover2.x, kMover2.y);
  MoveTo(20, 190);  // subindex2_1: sub_2_1_E.jpg exists
  ASSERT_EQ(Mark(100, 300), 21);
  MoveTo(20, 240);  // subindex2_2: no picture; sub2 keeps what it showed
  EXPECT_TRUE(P("sub2")->Visible());
  EXPECT_EQ(Mark(100, 300), 21);

  std::filesystem::remove(install.Path() / "menu/menu_4_E.jpg");
  ClickAt(470, 200);  // mover4: its background is missing
  EXPECT_EQ(menu->CurrentSubject, 2);
  EXPECT_TRUE(menu->SubjectOpen[4]);  // counts as open all the same
  EXPECT_FALSE(P("subindex4_1")->Visible());
  EXPECT_TRUE(P("subindex2_1")->Visible());
}

TEST_F(NavigationTest, ADamagedPictureActsAsMissingAndIsReportedOncePerFile) {
  install.Write("menu/sub_2_2_E.jpg", "not a picture");
  install.Write("menu/menu_0_A.jpg", std::string("\xFF\xD8\xFF", 3));
  install.Write("Sounds_afr/in6.wav", "RIFF");
  ClickAt(kMover2.x, kMover2.y);
  MoveTo(20, 190);  // subindex2_1
  ASSERT_EQ(Mark(100, 300), 21);
  for (int y : {240, 245, 250}) MoveTo(20, y);  // subindex2_2, over and over
  EXPECT_EQ(Mark(100, 300), 21);
  ASSERT_EQ(fake->shownBoxes.size(), 1u);  // the general error box, once
  // A damaged greeting picture: the sign-in goes on as without it.
  SignIn("A");
  EXPECT_EQ(fake->shownBoxes.size(), 2u);
  EXPECT_EQ(menu->CurrentSubject, 2);
  EXPECT_FALSE(menu->SubjectOpen[2]);
  SignIn("A");
  EXPECT_EQ(fake->shownBoxes.size(), 2u);
}

TEST_F(NavigationTest, HiddenEntriesTakeNoPointer) {
  MoveTo(20, 190);  // where subindex2_1 lies, hidden
  EXPECT_FALSE(P("sub2")->Visible());
  EXPECT_EQ(menu->HoveredControl(), menu->frame);
}

TEST_F(NavigationTest, BeforeTheFirstSignInThePlaceholderShows) {
  EndProgram();
  app = std::make_unique<TApplication>(std::make_unique<FakePlatform>());
  fake = static_cast<FakePlatform*>(&app->GetPlatform());
  CreateMenu();
  EXPECT_EQ(menu->CurrentSubject, 255);
  EXPECT_TRUE(menu->exitbut->Hint.empty());  // hints come with the first sign-in
  EXPECT_EQ(menu->frame->Width(), 800);
  EXPECT_FALSE(menu->frame->Picture().Empty());
}

}  // namespace
}  // namespace tazu
