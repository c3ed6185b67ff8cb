#include "screens/advert/advertunit.h"

#include "base/Paths.h"
#include "base/Text.h"
#include "controls/HandCursor.h"
#include "framework/Application.h"
#include "screens/ScreenSize.h"
#include "screens/advert/AdvertArt.h"
#include "screens/advert/AdvertFiles.h"

namespace tazu {
namespace {

constexpr uint32_t kCloseDelayMs = 200;
// Loading a page already shows its top; scrolling this far up makes sure of it.
constexpr int kScrollToTopPixels = 2500;

constexpr const char* kLayoutHint = "Gaan Terug";
constexpr const char* kAfrikaansExitHint = "Gaan uit";
constexpr const char* kEnglishExitHint = "Exit";

struct Place {
  int left, top, width, height;
};
constexpr Place kBground{0, 0, 800, 600};
constexpr Place kImage1{723, 536, 77, 68};
constexpr Place kExitbut{738, 548, 49, 49};
constexpr Place kAdviewer{77, 64, 642, 475};

template <class T>
void PlaceAt(T* control, const char* name, const Place& p) {
  control->Name = name;
  control->SetBounds(p.left, p.top, p.width, p.height);
}

// The layout's scroll bars: green with yellow rounded handles that carry a grip.
TScrollBarLook AdvertScrollBars() {
  TScrollBarLook look;
  look.barColor = clGreen;
  look.handleColor = clYellow;
  look.handleBorderColor = RGBColor(128, 110, 0);
  look.gripColor = RGBColor(110, 90, 0);
  look.handleGrip = true;
  look.roundedHandles = true;
  look.sizeGrip = true;
  return look;
}

}  // namespace

Tadvertform::Tadvertform(TComponent* owner) : TForm(owner) {
  Name = "advertform";
  SetCaption("advertform");
  Position = TPosition::poScreenCenter;
  DoubleBuffered = true;
  SetBounds(0, 0, kScreenWidth, kScreenHeight);
  BuildControls();
}

Tadvertform::Tadvertform(TComponent* owner, const LearnerSession& session) : Tadvertform(owner) {
  InstallFolder = session.InstallFolder;
  Language = session.Language;
}

void Tadvertform::BuildControls() {
  bground = Create<TImage>(this);
  PlaceAt(bground, "bground", kBground);
  bground->SetAutoSize(true);

  Image1 = Create<TImage>(this);
  PlaceAt(Image1, "Image1", kImage1);
  Image1->SetAutoSize(true);
  Image1->Picture().SetBitmap(advert::Bezel(), true);

  exitbut = Create<TPictureButton>(this);
  PlaceAt(exitbut, "exitbut", kExitbut);
  RegisterHandCursor(*Application());
  exitbut->Cursor = crHandCursor;
  exitbut->SetAutoSize(true);
  exitbut->ShowHint = true;
  exitbut->Hint = kLayoutHint;
  // The layout fills the pictures in place; EnableBut then puts the rest face on show.
  exitbut->PicFrom().SetBitmap(advert::ExitButtonFace(advert::ExitFace::Rest), true);
  exitbut->PicTo().SetBitmap(advert::ExitButtonFace(advert::ExitFace::Hover), true);
  exitbut->PicDown().SetBitmap(advert::ExitButtonFace(advert::ExitFace::Down), true);
  exitbut->SetEnableButMove(true);
  exitbut->SetEnableBut(true);
  exitbut->OnClick = [this](TObject* sender) { exitbutClick(sender); };

  adviewer = Create<TImageViewer>(this);
  PlaceAt(adviewer, "adviewer", kAdviewer);
  adviewer->SetBackground(clWhite);
  adviewer->SetCenter(true);
  adviewer->SetScrollBarLook(AdvertScrollBars());

  closetimer = Create<TTimer>();
  closetimer->Name = "closetimer";
  closetimer->SetEnabled(false);
  closetimer->SetInterval(kCloseDelayMs);
  closetimer->SetOnTimer([this](TObject* sender) { closetimerTimer(sender); });
}

void Tadvertform::PrepareAdverts() {
  const std::string page = InstallFolder + advert::AdvertPageName(Language);
  if (!FileExists(page)) {
    closetimer->SetEnabled(true);
    return;
  }
  const std::string background = InstallFolder + advert::AdvertBackgroundName(Language);
  if (FileExists(background)) {
    bground->Picture().LoadFromFile(background);
    exitbut->Hint = Language == Lang::Afrikaans ? kAfrikaansExitHint : kEnglishExitHint;
  } else {
    closetimer->SetEnabled(true);
  }
  adviewer->LoadFromFile(page);
  adviewer->ScrollBy(0, -kScrollToTopPixels);
}

void Tadvertform::exitbutClick(TObject*) { Close(); }

void Tadvertform::closetimerTimer(TObject*) {
  closetimer->SetEnabled(false);
  Close();
}

}  // namespace tazu
