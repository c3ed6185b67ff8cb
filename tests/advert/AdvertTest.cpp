// The advert screen: its controls, the pictures and exit hint for each language, the
// page opening at its top, closing itself when pictures are missing, and damaged
// pictures reaching the caller.
#include "screens/advert/advertunit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "controls/HandCursor.h"
#include "framework/Application.h"
#include "framework/ImageCodecs.h"
#include "platform/fake/FakePlatform.h"
#include "tests/base/TempDir.h"
#include "tests/menu/MenuFixture.h"

namespace tazu {
namespace {

constexpr auto kV = TScrollBarKind::sbVertical;
constexpr auto kH = TScrollBarKind::sbHorizontal;
constexpr Rect kViewerPlace{77, 64, 77 + 642, 64 + 475};

// A page whose rows can be told apart: bands of colour changing every 8 rows.
Bitmap32 Page(int w, int h, uint8_t tint) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    const auto band = static_cast<uint8_t>((y / 8) * 16);
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, MakePixel(band, tint, static_cast<uint8_t>(x)));
  }
  return b;
}

class AdvertTest : public ::testing::Test {
 protected:
  AdvertTest() {
    auto platform = std::make_unique<FakePlatform>();
    fake = platform.get();
    app = std::make_unique<TApplication>(std::move(platform));
    app->Title = "Pelkor Tazu";
    // Stands for the menu: the main form, shown, the advert screen shown over it.
    TForm* menu = app->CreateForm<TForm>();
    menu->SetBounds(0, 0, 800, 600);
    menu->Show();
  }

  // Writes a JPEG into the install folder; returns the picture as it decodes.
  Bitmap32 Install(const std::string& name, const Bitmap32& picture) {
    const std::vector<uint8_t> jpeg = EncodeJpeg(picture);
    install.Write(name, std::string(jpeg.begin(), jpeg.end()));
    return DecodeJpeg(jpeg);
  }
  void InstallAll() {
    pageA = Install("add_A.jpg", Page(600, 1400, 40));
    pageE = Install("add_E.jpg", Page(500, 900, 200));
    backA = Install("addback_A.jpg", Bitmap32(800, 600, MakePixel(200, 30, 30)));
    backE = Install("addback_E.jpg", Bitmap32(800, 600, MakePixel(30, 30, 200)));
  }
  Tadvertform* MakeAdvert(const std::string& language) {
    advert = app->CreateForm<Tadvertform>();
    advert->InstallFolder = install.Str() + "\\";
    advert->Language = LanguageFromLetter(language);
    return advert;
  }
  // Shows the screen modally the menu's way; returns the virtual time it was up.
  uint64_t ShowModally() {
    const uint64_t start = fake->Now();
    advert->ShowModal();
    return fake->Now() - start;
  }

  test::TempDir install;
  FakePlatform* fake = nullptr;
  std::unique_ptr<TApplication> app;
  Tadvertform* advert = nullptr;
  Bitmap32 pageA, pageE, backA, backE;
};

TEST_F(AdvertTest, TheControlsLieAtTheirPlacesWithTheLayoutsSettings) {
  MakeAdvert("A");
  EXPECT_EQ(advert->Caption(), "advertform");
  EXPECT_EQ(advert->Position, TPosition::poScreenCenter);
  EXPECT_EQ(advert->BoundsRect(), Rect::FromSize(0, 0, 800, 600));
  const std::vector<TControl*> order{advert->bground, advert->Image1, advert->exitbut,
                                     advert->adviewer};
  EXPECT_EQ(advert->Controls(), order);

  EXPECT_EQ(advert->bground->BoundsRect(), Rect::FromSize(0, 0, 800, 600));
  EXPECT_TRUE(advert->bground->AutoSize());
  EXPECT_TRUE(advert->bground->Picture().Empty());

  const TPicture& bezel = advert->Image1->Picture();
  EXPECT_EQ(advert->Image1->BoundsRect(), Rect::FromSize(723, 536, 77, 68));
  EXPECT_TRUE(bezel.HasAlpha());
  EXPECT_EQ(PixelA(bezel.Bitmap().Pixel(0, 0)), 0);  // rounded corner
  EXPECT_EQ(PixelA(bezel.Bitmap().Pixel(38, 34)), 255);

  TPictureButton* exitbut = advert->exitbut;
  EXPECT_EQ(exitbut->BoundsRect(), Rect::FromSize(738, 548, 49, 49));
  EXPECT_EQ(exitbut->Cursor, crHandCursor);
  EXPECT_TRUE(app->HasCursor(crHandCursor));
  EXPECT_TRUE(exitbut->ShowHint);
  EXPECT_EQ(exitbut->Hint, "Gaan Terug");
  EXPECT_TRUE(exitbut->AutoSize());
  EXPECT_TRUE(exitbut->EnableBut());
  EXPECT_TRUE(exitbut->EnableButMove());
  EXPECT_TRUE(exitbut->PicDisabled().Empty());
  EXPECT_EQ(exitbut->Picture().Bitmap(), exitbut->PicFrom().Bitmap());
  EXPECT_NE(exitbut->PicFrom().Bitmap(), exitbut->PicTo().Bitmap());
  EXPECT_NE(exitbut->PicTo().Bitmap(), exitbut->PicDown().Bitmap());
  EXPECT_TRUE(exitbut->OnClick);

  TImageViewer* viewer = advert->adviewer;
  EXPECT_EQ(viewer->BoundsRect(), Rect::FromSize(77, 64, 642, 475));
  EXPECT_EQ(viewer->Background(), clWhite);
  EXPECT_EQ(viewer->Scale(), 1.0);
  EXPECT_TRUE(viewer->Center());
  EXPECT_EQ(viewer->ScrollBarLook().barColor, clGreen);
  EXPECT_EQ(viewer->ScrollBarLook().handleColor, clYellow);
  EXPECT_TRUE(viewer->ScrollBarLook().handleGrip);
  EXPECT_TRUE(viewer->ScrollBarLook().roundedHandles);
  EXPECT_TRUE(viewer->ScrollBarLook().sizeGrip);

  EXPECT_EQ(advert->closetimer->Interval(), 200u);
  EXPECT_FALSE(advert->closetimer->Enabled());
  EXPECT_TRUE(advert->closetimer->OnTimer());
}

struct LanguageCase {
  const char* language;
  const char* hint;
  bool english;
};

class AdvertLanguageTest : public AdvertTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(AdvertLanguageTest, TheLanguagesPicturesAndExitHintAreLoaded) {
  InstallAll();
  MakeAdvert(GetParam().language);
  advert->PrepareAdverts();
  const bool english = GetParam().english;
  EXPECT_EQ(advert->bground->Picture().Bitmap(), english ? backE : backA);
  EXPECT_EQ(advert->adviewer->Picture().Bitmap(), english ? pageE : pageA);
  EXPECT_EQ(advert->exitbut->Hint, GetParam().hint);
  EXPECT_FALSE(advert->closetimer->Enabled());
  EXPECT_EQ(advert->adviewer->ViewY(), 0);
  EXPECT_TRUE(advert->adviewer->ScrollBarShown(kV));
  EXPECT_FALSE(advert->adviewer->ScrollBarShown(kH));
}

INSTANTIATE_TEST_SUITE_P(Languages, AdvertLanguageTest,
                         ::testing::Values(LanguageCase{"A", "Gaan uit", false},
                                           LanguageCase{"E", "Exit", true},
                                           // A letter typed in lower case is read alike.
                                           LanguageCase{"a", "Gaan uit", false}));

TEST_F(AdvertTest, ATallPageOpensAtItsTopWithAVerticalBar) {
  InstallAll();
  MakeAdvert("A");
  // A page left scrolled down before (the viewer keeps nothing of it).
  advert->adviewer->Picture().SetBitmap(Page(700, 3000, 0));
  advert->adviewer->ScrollBy(300, 2000);
  advert->PrepareAdverts();
  TImageViewer* viewer = advert->adviewer;
  EXPECT_EQ(viewer->ViewX(), 0);
  EXPECT_EQ(viewer->ViewY(), 0);
  EXPECT_TRUE(viewer->ScrollBarShown(kV));
  EXPECT_EQ(viewer->HandleRect(kV).top, 0);

  // On the screen: the page's first rows, centred across, and the green bar.
  fake->idleSteps.push_back([&] {
    const Bitmap32& screen = fake->Window(advert->Handle()).image;
    const int left = kViewerPlace.left + (642 - TImageViewer::kScrollBarSize - 600) / 2;
    for (int y : {0, 8, 40}) {
      EXPECT_EQ(screen.Pixel(left + 100, kViewerPlace.top + y), pageA.Pixel(100, y)) << y;
    }
    EXPECT_EQ(screen.Pixel(kViewerPlace.left + 2, kViewerPlace.top + 2), ColorToPixel(clWhite));
    EXPECT_EQ(screen.Pixel(kViewerPlace.right - 8, kViewerPlace.bottom - 4), ColorToPixel(clGreen));
    // The background shows around the viewer.
    EXPECT_EQ(screen.Pixel(10, 10), backA.Pixel(10, 10));
    advert->exitbutClick(advert->exitbut);
  });
  ShowModally();
  EXPECT_FALSE(advert->Visible());
}

TEST_F(AdvertTest, WithNoAdvertFilesTheScreenClosesAfter200msWithoutAMessage) {
  MakeAdvert("E");
  advert->PrepareAdverts();
  EXPECT_TRUE(advert->closetimer->Enabled());
  EXPECT_TRUE(advert->bground->Picture().Empty());
  EXPECT_TRUE(advert->adviewer->Picture().Empty());
  EXPECT_EQ(advert->exitbut->Hint, "Gaan Terug");
  EXPECT_EQ(ShowModally(), 200u);
  EXPECT_FALSE(advert->Visible());
  EXPECT_FALSE(advert->closetimer->Enabled());
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(AdvertTest, WithOnlyTheOtherLanguagesFilesTheScreenClosesToo) {
  Install("add_A.jpg", Page(600, 1400, 40));
  Install("addback_A.jpg", Bitmap32(800, 600));
  MakeAdvert("E");
  advert->PrepareAdverts();
  EXPECT_TRUE(advert->adviewer->Picture().Empty());
  EXPECT_EQ(ShowModally(), 200u);
}

TEST_F(AdvertTest, AMissingBackgroundStillLoadsThePageAndClosesAfter200ms) {
  pageE = Install("add_E.jpg", Page(500, 900, 200));
  MakeAdvert("E");
  advert->PrepareAdverts();
  EXPECT_TRUE(advert->bground->Picture().Empty());
  EXPECT_EQ(advert->adviewer->Picture().Bitmap(), pageE);
  EXPECT_EQ(advert->exitbut->Hint, "Gaan Terug");
  EXPECT_EQ(ShowModally(), 200u);
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(AdvertTest, WithItsPicturesTheScreenStaysUntilTheExitButtonIsClicked) {
  InstallAll();
  MakeAdvert("A");
  advert->PrepareAdverts();
  bool stillUp = false;
  fake->idleSteps.push_back([&] { fake->AdvanceTime(60000); });
  fake->idleSteps.push_back([&] {
    stillUp = advert->Visible() && advert->Modal();
    fake->Click(advert->Handle(), 760, 570);
  });
  EXPECT_GE(ShowModally(), 60000u);
  EXPECT_TRUE(stillUp);
  EXPECT_FALSE(advert->Visible());
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(AdvertTest, TheWheelOverThePageScrollsIt) {
  InstallAll();
  MakeAdvert("A");
  advert->PrepareAdverts();
  fake->idleSteps.push_back([&] {
    fake->MoveMouse(advert->Handle(), 400, 300);
    Event wheel;
    wheel.kind = EventKind::MouseWheel;
    wheel.window = advert->Handle();
    wheel.pos = {400, 300};
    wheel.wheelDelta = -2;
    fake->PushEvent(wheel);
  });
  fake->idleSteps.push_back([&] {
    EXPECT_EQ(advert->adviewer->ViewY(), 2 * TImageViewer::kWheelStep);
    advert->Close();
  });
  ShowModally();
  EXPECT_FALSE(advert->Visible());
}

TEST_F(AdvertTest, ADamagedPictureRaisesFromPrepareAdverts) {
  InstallAll();
  install.Write("add_E.jpg", "not a picture at all");
  MakeAdvert("E");
  EXPECT_THROW(advert->PrepareAdverts(), EInvalidGraphic);
  EXPECT_EQ(advert->bground->Picture().Bitmap(), backE);  // loaded before the page

  install.Write("addback_A.jpg", std::string("\xFF\xD8\xFF", 3));
  MakeAdvert("A");
  EXPECT_THROW(advert->PrepareAdverts(), EInvalidGraphic);
  EXPECT_TRUE(advert->adviewer->Picture().Empty());
}

// Made by the menu: the install folder and language come from the menu screen.
class AdvertFromMenuTest : public test::MenuTest {};

TEST_F(AdvertFromMenuTest, ADamagedAdvertIsReportedAndTheProgramStillEnds) {
  install.Write("add_A.jpg", "not a picture at all");
  install.Write("addback_A.jpg", "not a picture either");
  CreateMenu();
  menu->exitbutClick(menu->exitbut);
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_TRUE(app->Terminated());
}

TEST_F(AdvertFromMenuTest, TheMenusInstallFolderAndLanguageAreUsed) {
  const std::vector<uint8_t> page = EncodeJpeg(Page(300, 200, 9));
  install.Write("add_E.jpg", std::string(page.begin(), page.end()));
  install.Write("addback_E.jpg", std::string(page.begin(), page.end()));
  CreateMenu();
  ASSERT_FALSE(menu->Session.InstallFolder.empty());
  menu->Session.Language = Lang::English;
  TOwned<Tadvertform> advert(app->CreateForm<Tadvertform>(menu->Session));
  EXPECT_EQ(advert->InstallFolder, menu->Session.InstallFolder);
  EXPECT_EQ(advert->Language, Lang::English);
  advert->PrepareAdverts();
  EXPECT_EQ(advert->exitbut->Hint, "Exit");
  // Smaller than the view: centred, no bars.
  EXPECT_EQ(advert->adviewer->PictureRect(),
            Rect::FromSize((642 - 300) / 2, (475 - 200) / 2, 300, 200));
  EXPECT_FALSE(advert->adviewer->ScrollBarShown(kV));
  EXPECT_FALSE(advert->adviewer->ScrollBarShown(kH));
}

}  // namespace
}  // namespace tazu
