#include "screens/intro/introunit.h"

#include "base/Paths.h"
#include "base/Text.h"
#include "controls/HandCursor.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "screens/ScreenSize.h"
#include "screens/intro/IntroArt.h"
#include "screens/intro/IntroFiles.h"
#include "screens/intro/IntroLayout.h"

namespace tazu {
namespace {

constexpr uint32_t kFrameIntervalMs = 50;

constexpr const char* kImagesMissing =
    "This program's image files could not be loaded. Please re-install software!";
constexpr const char* kLibraryMissing =
    "This program's library files could not be loaded! Please re-install software!";
constexpr const char* kLibraryDamaged = "Error loading library. Re-install software and try again!";
constexpr const char* kLibraryComponent =
    "Error creating library component. Re-install software and try again!";
constexpr const char* kVolumeNotFound = "Volume control utility not found!";
constexpr const char* kVolumeAlreadyOpen = "Volume control allready loaded!";

constexpr const char* kSwapQuestionAfrikaans =
    "Die L-Knoppie ruil die funksies van jou muis se knoppies om. Is jy seker jy wil dit doen?";
constexpr const char* kSwapQuestionEnglish =
    "The L-button will swap the functions of your mouse buttons. Are you sure you want to do "
    "this?";

std::string WithBackSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

// Makes the control `name` where the layout puts it.
template <class T>
T* Place(TForm2* form, T*& field, std::string_view name) {
  const intro::ControlPlace& place = intro::FindControl(name);
  field = form->Create<T>(form);
  field->Name = std::string(name);
  field->SetBounds(place.left, place.top, place.width, place.height);
  return field;
}

// Loads a picture the screen cannot do without; false when it is absent or cannot be
// decoded, which the screen treats alike.
bool LoadNeededPicture(TImage& image, const std::string& path) {
  if (!FileExists(path)) return false;
  try {
    image.Picture().LoadFromFile(path);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

TForm2::TForm2(TComponent* owner, LearnerSession& session, IntroHost& host)
    : TForm(owner), Choices(session), session_(session), host_(host) {
  Name = "Form2";
  SetCaption("Pelkor! Tazu v2.0");
  Position = TPosition::poScreenCenter;
  SetBounds(0, 0, kScreenWidth, kScreenHeight);
  BuildControls();
  StreamArchive1.SetCompressed(true);
  StreamArchive1.SetEncrypted(false);
  OnShow = [this](TObject*) { activated_ = false; };
  OnActivate = [this](TObject* sender) { FormActivate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
}

void TForm2::BuildControls() {
  // In the layout's stacking order.
  Place(this, backimage, "backimage")->Picture().SetBitmap(intro::ConsoleBackground());
  backimage->OnMouseMove = [this](TObject* s, unsigned sh, int x, int y) {
    backimageMouseMove(s, sh, x, y);
  };
  Place(this, frameviewer, "frameviewer")->Picture().SetBitmap(intro::PlanetPlaceholder());
  Place(this, cp1, "cp1")->Picture().SetBitmap(intro::LampPanel(false));
  Place(this, cp2, "cp2")->Picture().SetBitmap(intro::LampPanel(true), true);
  cp2->SetTransparent(true);
  Place(this, afroption, "afroption")
      ->Picture()
      .SetBitmap(intro::LanguageHighlight(false, Application()->Fonts()));
  Place(this, engoption, "engoption")
      ->Picture()
      .SetBitmap(intro::LanguageHighlight(true, Application()->Fonts()));
  Place(this, langselect1, "langselect1")->OnMouseMove =
      [this](TObject* s, unsigned sh, int x, int y) { langselect1MouseMove(s, sh, x, y); };
  langselect1->OnClick = [this](TObject* s) { langselect1Click(s); };
  Place(this, langselect2, "langselect2")->OnMouseMove =
      [this](TObject* s, unsigned sh, int x, int y) { langselect2MouseMove(s, sh, x, y); };
  langselect2->OnClick = [this](TObject* s) { langselect2Click(s); };
  Place(this, nameboard, "nameboard");
  Place(this, nameEdit, "nameEdit")->BorderStyle = false;
  nameEdit->CharCase = TEditCharCase::ecUpperCase;
  nameEdit->MaxLength = kMaxNameLength;
  nameEdit->Color = clGreen;
  nameEdit->Font = TFont{"Century Gothic", 24, true, false, false, clYellow};
  nameEdit->OnKeyPress = [this](TObject* s, char& key) { nameEditKeyPress(s, key); };
  Place(this, LeftBut, "LeftBut");
  Place(this, RightBut, "RightBut");
  for (auto [button, letter] : {std::pair{LeftBut, 'L'}, std::pair{RightBut, 'R'}}) {
    button->MorphPic1().SetBitmap(intro::HandButtonFace(letter, false, Application()->Fonts()));
    button->MorphPic2().SetBitmap(intro::HandButtonFace(letter, true, Application()->Fonts()));
    button->SetMorphRate(TMorphButton::kDefaultMorphRate);
    button->ShowHint = true;
  }
  LeftBut->OnClick = [this](TObject* s) { LeftButClick(s); };
  RightBut->OnClick = [this](TObject* s) { RightButClick(s); };
  Place(this, mutebut, "mutebut")->Picture().SetBitmap(intro::NoteButton(), true);
  mutebut->Cursor = crHandCursor;
  mutebut->OnClick = [this](TObject* s) { mutebutClick(s); };
  for (TControl* c : Controls()) {
    c->SetVisible(c == backimage || c == frameviewer);
  }
  langselect1->Cursor = crHandCursor;
  langselect2->Cursor = crHandCursor;

  animatetimer = Create<TThreadedTimer>();
  animatetimer->Name = "animatetimer";
  animatetimer->SetInterval(kFrameIntervalMs);
  animatetimer->OnTimer = [this](TObject* s) { animatetimerTimer(s); };

  ShapeHint1 = Create<TShapeHint>();
  ShapeHint1->Name = "ShapeHint1";
  SetScreenHintLook(*ShapeHint1);
  ShapeHint1->Loaded();

  volstarter = Create<TStarter>();
  volstarter->Name = "volstarter";
  volstarter->OnFinished = [this](TObject* s) { volstarterFinished(s); };
  // A refused start brings no end notice: put things back as for an end.
  volstarter->OnError = [this](TObject* s) { volstarterFinished(s); };
}

int TForm2::FrameCountFromName(const std::string& libraryName) {
  return intro::FrameCountFromName(libraryName);
}

void TForm2::EndWithMessage(const char* message) {
  ShowMessage(*Application(), message);
  Application()->Terminate();
}

// ---- start-up and animation ----

void TForm2::FormActivate(TObject*) {
  // A repeat of the activation (after one of the screen's own message boxes) starts
  // nothing again.
  if (activated_) return;
  activated_ = true;
  LanguageChoiceActive = false;
  LibraryName = intro::kLibraryName;
  if (!FileExists(Choices.MenuFolder + LibraryName)) {
    EndWithMessage(kLibraryMissing);
    return;
  }
  FrameCount = FrameCountFromName(LibraryName);
  try {
    StreamArchive1.LoadFromFile(Choices.MenuFolder + LibraryName);
  } catch (const std::exception&) {
    EndWithMessage(kLibraryDamaged);
    return;
  }
  try {
    FrameBuffer = std::make_unique<TMemoryStream>();
    if (!Returning) {
      CurrentFrame = 0;
      Animating = true;
      animatetimer->SetEnabled(true);
      return;
    }
    CurrentFrame = FrameCount - 1;
    if (!ShowFrame(FrameCount)) animatetimer->SetEnabled(false);
    Animating = false;
    EnterLanguageStage();
    ReleaseLibrary();
  } catch (const std::exception&) {
    FrameBuffer.reset();
    EndWithMessage(kLibraryComponent);
  }
}

// Shows frame `n` in the frame viewer; false when it cannot be taken out or decoded
// (an absent frame leaves the buffer empty, which does not decode either).
bool TForm2::ShowFrame(int n) {
  try {
    StreamArchive1.GetStream(intro::FrameName(n), *FrameBuffer);
    frameviewer->Picture().LoadFromStream(*FrameBuffer);
    FrameBuffer->Clear();
    return true;
  } catch (const std::exception&) {
    FrameBuffer->Clear();
    return false;
  }
}

void TForm2::ReleaseLibrary() {
  StreamArchive1.ClearStreams();
  FrameBuffer.reset();
}

void TForm2::animatetimerTimer(TObject*) {
  switch (Flicker(3)) {
    case 0:
      cp1->Hide();
      cp2->Hide();
      break;
    case 1:
      cp1->Show();
      cp2->Hide();
      break;
    default:
      cp1->Hide();
      cp2->Show();
      break;
  }
  if (!Animating) return;
  if (CurrentFrame < FrameCount) {
    ++CurrentFrame;
    if (ShowFrame(CurrentFrame)) return;
    // A damaged frame ends the animation on the last good one; the child goes on to
    // the language choice, as on a returning showing, rather than being stuck.
    animatetimer->SetEnabled(false);
    ReleaseLibrary();
    cp1->Hide();
    cp2->Hide();
    Animating = false;
    EnterLanguageStage();
    mutebut->Show();
    return;
  }
  Animating = false;
  EnterLanguageStage();
  ReleaseLibrary();
  mutebut->Show();
}

// ---- language ----

void TForm2::EnterLanguageStage() {
  if (!LoadNeededPicture(*backimage, Choices.MenuFolder + intro::kLanguagePicture)) {
    // Without it there is no way forward: say so and end, as for the name board.
    EndWithMessage(kImagesMissing);
    return;
  }
  LanguageChoiceActive = true;
  langselect1->Show();
  langselect2->Show();
}

void TForm2::langselect1MouseMove(TObject*, unsigned, int, int) {
  if (!LanguageChoiceActive) return;
  afroption->Show();
  engoption->Hide();
}

void TForm2::langselect2MouseMove(TObject*, unsigned, int, int) {
  if (!LanguageChoiceActive) return;
  afroption->Hide();
  engoption->Show();
}

void TForm2::backimageMouseMove(TObject*, unsigned, int, int) {
  if (!LanguageChoiceActive) return;
  afroption->Hide();
  engoption->Hide();
}

void TForm2::langselect1Click(TObject*) {
  ChooseLanguage(Lang::Afrikaans, "Linkshandige muis", "Regshandige muis");
}

void TForm2::langselect2Click(TObject*) {
  ChooseLanguage(Lang::English, "Lefthanded mouse", "Righthanded mouse");
}

void TForm2::ChooseLanguage(Lang language, const char* leftHint, const char* rightHint) {
  Choices.Language = language;
  NamePromptPlayed = false;
  LeftBut->Hint = leftHint;
  RightBut->Hint = rightHint;
  if (!LoadNeededPicture(*nameboard, Choices.MenuFolder + intro::NameBoardName(language))) {
    EndWithMessage(kImagesMissing);
  } else {
    nameboard->Show();
    nameEdit->SetText(session_.LearnerName);
    nameEdit->Show();
    LeftBut->Show();
    RightBut->Show();
    nameEdit->SetFocus();
  }
  Choices.SoundFolder = Choices.InstallFolder + intro::SoundFolderFor(language);
  host_.PlayCue(Choices.SoundFolder + intro::kLanguagePrompt);
}

// ---- name and mouse hand ----

void TForm2::nameEditKeyPress(TObject*, char& key) {
  if (nameEdit->Text().empty() && !NamePromptPlayed) {
    host_.StopCue();
    host_.PlayCue(Choices.SoundFolder + intro::kNamePrompt);
    NamePromptPlayed = true;
  }
  if (key == '\r' && nameEdit->Text().size() >= 2) RightButClick(RightBut);
}

void TForm2::LeftButClick(TObject*) { ChooseHand(true); }

void TForm2::RightButClick(TObject*) { ChooseHand(false); }

void TForm2::ChooseHand(bool leftHanded) {
  Choices.LearnerName = nameEdit->Text();
  if (Choices.LearnerName.empty()) return;
  host_.StopCue();
  host_.SetMouseButtonsSwapped(false);
  Choices.LeftHanded = false;
  if (leftHanded) {
    const bool afrikaans = Choices.Language == Lang::Afrikaans;
    const char* question = afrikaans ? kSwapQuestionAfrikaans : kSwapQuestionEnglish;
    if (MessageDlg(*Application(), question, TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes) {
      host_.SetMouseButtonsSwapped(true);
      Choices.LeftHanded = true;
    }
  }
  session_ = Choices;
  accepted_ = true;
  animatetimer->SetEnabled(false);
  Close();
}

void TForm2::FormClose(TObject*, TCloseAction&) {
  animatetimer->SetEnabled(false);
  // This screen's starter stops watching when the screen goes, so the flag would never
  // be cleared: clear it now and give the menu its window back.
  if (host_.VolumeControlOpen()) host_.SetVolumeControlOpen(false);
}

// ---- volume control ----

std::string TForm2::FindVolumeControl() {
  Platform& os = Application()->GetPlatform();
  const std::string windows = WithBackSlash(os.WindowsFolder());
  const std::string system = WithBackSlash(os.SystemFolder());
  // Current Windows ships only "sndvol.exe", in the system folder.
  for (const std::string& candidate :
       {windows + "sndvol32.exe", system + "sndvol32.exe", system + "sndvol.exe"}) {
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

void TForm2::mutebutClick(TObject*) {
  const std::string program = FindVolumeControl();
  if (program.empty()) {
    MessageDlg(*Application(), kVolumeNotFound, TMsgDlgType::mtWarning, mbOK);
    return;
  }
  if (host_.VolumeControlOpen()) {
    MessageDlg(*Application(), kVolumeAlreadyOpen, TMsgDlgType::mtInformation, mbOK);
    return;
  }
  SetWindowState(TWindowState::wsMinimized);
  host_.SetVolumeControlOpen(true);
  volstarter->SetCommand(program);
  volstarter->Execute();
}

void TForm2::volstarterFinished(TObject*) {
  SetWindowState(TWindowState::wsNormal);
  host_.SetVolumeControlOpen(false);
  BringToFront();
}

}  // namespace tazu
