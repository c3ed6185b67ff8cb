#include "screens/menu/menuunit_v2.h"

#include <filesystem>
#include <fstream>

#include "base/Paths.h"
#include "base/Streams.h"
#include "base/Text.h"
#include "controls/HandCursor.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "roster/LearnerRecord.h"
#include "roster/StudentDatabase.h"
#include "screens/advert/advertunit.h"
#include "screens/intro/introunit.h"
#include "screens/menu/DisplaySettings.h"
#include "screens/menu/MenuArt.h"
#include "screens/menu/MenuFiles.h"
#include "screens/menu/MenuLayout.h"

namespace tazu {
namespace {

constexpr uint32_t kCloseDelayMs = 500;
constexpr TShortCut kHeldHotKey = 0xC05A;  // Ctrl + Alt + Z
constexpr uint32_t kExecuteDelayMs = 50;
// A learner the roster does not know is recorded in the slot of the sign-in's
// language, at the first level.
constexpr int kAfrikaansSlot = 3;
constexpr int kEnglishSlot = 4;
constexpr int kFirstLevel = 1;

using menu::kFirstPiece;
using menu::kMaxMidiNames;
using menu::kMidiMask;
constexpr const char* kMidiDriverQuestion =
    "The MCI driver for midi-files is not properly installed. Midi files are music files that "
    "are used for background music. Do you want to disable the music?";
constexpr const char* kMidiRemovedMessage =
    "Please re-start this program. Midi-files have been removed.";

std::string MusicNotRemovedMessage(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return "The music files could not be removed from " + folder +
         ". Ask the person who installed the program to remove them.";
}

constexpr const char* kMissingProgramMessage =
    "The file you selected does not exists! Please re-install software!";
constexpr int kMinimumDepth = 16;

constexpr const char* kResolutionMessage =
    "This program requires a screen resolution of at least 800x600 @ 16bit colour. Please "
    "update your display drivers.";
constexpr const char* kColourDepthMessage =
    "This program requires a colordepth of at least 16-bit to view the graphics in this "
    "application. Update your display driver or graphics adaptor.";

}  // namespace

TForm1::TForm1(TComponent* owner, const RosterEnvironment& roster)
    : TForm(owner), roster_(roster), machine_(OS()) {
  Name = "Form1";
  SetCaption("Pelkor! Tazu v2.1");
  Position = TPosition::poScreenCenter;
  SetBounds(0, 0, kScreenWidth, kScreenHeight);
  BuildControls();
  BuildComponents();
  // The single-copy guard acts while the screen is still loading: a second copy ends
  // here, before anything of the creation below has touched the machine.
  OneInstance1->Loaded();

  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnActivate = [this](TObject* sender) { FormActivate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
  OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

Platform& TForm1::OS() { return Application()->GetPlatform(); }

void TForm1::BuildControls() {
  using menu::Kind;
  for (const menu::ControlPlace& layout : menu::kControls) {
    if (layout.kind == Kind::Button) {
      auto* button = Create<TMorphButton>(this);
      button->Name = std::string(layout.name);
      button->SetBounds(layout.left, layout.top, layout.width, layout.height);
      button->SetMorphRate(TMorphButton::kDefaultMorphRate);
      button->MorphPic1().SetBitmap(menu::ButtonFace(layout.name, false));
      button->MorphPic2().SetBitmap(menu::ButtonFace(layout.name, true));
      button->ShowHint = true;
      (layout.name == "backbut"     ? backbut
       : layout.name == "reportbut" ? reportbut
                                    : exitbut) = button;
      continue;
    }
    auto* image = Create<TImage>(this);
    image->Name = std::string(layout.name);
    image->SetBounds(layout.left, layout.top, layout.width, layout.height);
    image->Tag = layout.tag;
    image->Hint = std::string(layout.groupKey);
    pictures_.emplace(image->Name, image);
    switch (layout.kind) {
      case Kind::Background:
        frame = image;
        image->SetAutoSize(true);
        image->Picture().SetBitmap(menu::PlaceholderBackground(Application()->Fonts()));
        image->OnMouseMove = [this](TObject* s, unsigned sh, int x, int y) {
          frameMouseMove(s, sh, x, y);
        };
        break;
      case Kind::Highlight:
        image->SetAutoSize(true);
        image->Picture().SetBitmap(menu::SubjectHighlight(layout, Application()->Fonts()));
        image->Hide();
        break;
      case Kind::SubPicture:
        image->SetAutoSize(true);
        image->Hide();
        break;
      case Kind::Entry:
        image->Cursor = crHandCursor;
        image->Hide();
        image->OnMouseMove = [this](TObject* s, unsigned sh, int x, int y) {
          subindex5_1MouseMove(s, sh, x, y);
        };
        break;
      case Kind::Subject:
        image->Cursor = crHandCursor;
        image->OnMouseMove = [this](TObject* s, unsigned sh, int x, int y) {
          mover1MouseMove(s, sh, x, y);
        };
        image->OnClick = [this](TObject* s) { mover1Click(s); };
        break;
      case Kind::Button:
        break;
    }
  }
}

void TForm1::BuildComponents() {
  OneInstance1 = Create<TOneInstance>();
  OneInstance1->Name = "OneInstance1";

  GlobalHotKey2 = Create<TGlobalHotKey>();
  GlobalHotKey2->Name = "GlobalHotKey2";
  GlobalHotKey2->SetHotKey(kHeldHotKey);  // held with no action bound

  mixer = Create<TAudioMixer>();
  mixer->Name = "mixer";
  mixer->SetMixerId(0);

  closetimer = Create<TTimer>();
  closetimer->Name = "closetimer";
  closetimer->SetEnabled(false);
  closetimer->SetInterval(kCloseDelayMs);
  closetimer->SetOnTimer([this](TObject* sender) { closetimerTimer(sender); });

  executetimer = Create<TThreadedTimer>();
  executetimer->Name = "executetimer";
  executetimer->SetInterval(kExecuteDelayMs);
  executetimer->OnTimer = [this](TObject* sender) { executetimerTimer(sender); };

  music = Create<TMediaPlayer>();
  music->Name = "music";
  music->OnNotify = [this](TObject* sender) { musicNotify(sender); };

  sound = Create<TWaveComp>();
  sound->Name = "sound";

  ShapeHint1 = Create<TShapeHint>();
  ShapeHint1->Name = "ShapeHint1";
  SetScreenHintLook(*ShapeHint1);
  ShapeHint1->Loaded();

  AppExe = Create<TStarter>();
  AppExe->Name = "AppExe";
  AppExe->SetAutoStart(true);
  AppExe->OnAfterStart = [this](TObject* sender) { AppExeAfterStart(sender); };
  AppExe->OnError = [this](TObject* sender) { AppExeError(sender); };
  AppExe->OnFinished = [this](TObject* sender) { AppExeFinished(sender); };

  BindEntryClicks();
  reportbut->OnClick = [this](TObject* sender) { reportbutClick(sender); };
  backbut->OnClick = [this](TObject* sender) { backbutClick(sender); };
  exitbut->OnClick = [this](TObject* sender) { exitbutClick(sender); };
}

void TForm1::BindEntryClicks() {
  const std::pair<const char*, void (TForm1::*)(TObject*)> handlers[] = {
      {"subindex1_1", &TForm1::subindex1_1Click}, {"subindex1_2", &TForm1::subindex1_2Click},
      {"subindex1_3", &TForm1::subindex1_3Click}, {"subindex2_1", &TForm1::subindex2_1Click},
      {"subindex2_2", &TForm1::subindex2_2Click}, {"subindex2_3", &TForm1::subindex2_3Click},
      {"subindex2_4", &TForm1::subindex2_4Click}, {"subindex2_5", &TForm1::subindex2_5Click},
      {"subindex3_1", &TForm1::subindex3_1Click}, {"subindex3_2", &TForm1::subindex3_2Click},
      {"subindex4_1", &TForm1::subindex4_1Click}, {"subindex5_1", &TForm1::subindex5_1Click},
      {"subindex5_2", &TForm1::subindex5_2Click},
  };
  for (const auto& [name, handler] : handlers) {
    PictureControl(name)->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
  }
}

TImage* TForm1::PictureControl(std::string_view name) const {
  auto it = pictures_.find(name);
  return it == pictures_.end() ? nullptr : it->second;
}

template <class Fn>
void TForm1::ForEachPicture(Fn&& fn) {
  for (TControl* control : Controls()) {
    if (auto* image = dynamic_cast<TImage*>(control)) fn(*image, LowerCase(image->Hint));
  }
}

void TForm1::FormCreate(TObject*) {
  ActivatedOnce = false;
  machine_.HideTaskBar();
  DoubleBuffered = true;
  SetBounds(0, 0, kScreenWidth, kScreenHeight);
  // Without an 800x600 mode a larger screen shows the picture scaled, nothing switched.
  const bool changeAllowed = DisplayChangeAllowed();
  if (!changeAllowed && menu::ReadDisplayOptions(GetCurrentDir()).scaleAsked) {
    machine_.PresentScaled(Handle());
  }
  if (changeAllowed && !SetDisplayMode(kScreenWidth, kScreenHeight, 32) &&
      !SetDisplayMode(kScreenWidth, kScreenHeight, 16) && !machine_.PresentScaled(Handle())) {
    RestoreDisplayMode();
    displayRefused_ = true;
    MessageDlg(*Application(), kResolutionMessage, TMsgDlgType::mtInformation, mbOK);
    closetimer->SetEnabled(true);
    return;
  }
  FillFolders();
  FillActivityTable();
}

void TForm1::FormClose(TObject*, TCloseAction&) { executetimer->SetEnabled(false); }

void TForm1::FormDestroy(TObject*) { machine_.Restore(Handle()); }

void TForm1::closetimerTimer(TObject*) {
  closetimer->SetEnabled(false);
  Close();
}

void TForm1::FillFolders() {
  Session.InstallFolder = menu::InstallFolderFrom(GetCurrentDir());
  Session.MenuFolder = menu::MenuFolderOf(Session.InstallFolder);
  Session.MusicFolder = menu::MusicFolderOf(Session.InstallFolder);
}

void TForm1::FillActivityTable() {
  for (int i = 1; i <= kActivityCount; ++i) ActivityTable[i] = kActivities[i];
}

bool TForm1::DisplayChangeAllowed() {
  return menu::DisplayChangeAllowedBy(menu::ReadDisplaySettings(GetCurrentDir()));
}

bool TForm1::SetDisplayMode(int width, int height, int depth) {
  const DisplayCaps& atStart = machine_.RecordDisplay(Handle());
  if (atStart.width == width && atStart.height == height) {
    if (atStart.bitsPerPixel < kMinimumDepth) {
      MessageDlg(*Application(), kColourDepthMessage, TMsgDlgType::mtWarning, mbOK);
    }
    return true;
  }
  return machine_.SwitchDisplay(width, height, depth);
}

void TForm1::RestoreDisplayMode() { machine_.RestoreDisplay(Handle()); }

// ---- intro hand-off and exit ----

void TForm1::FormActivate(TObject*) {
  if (ActivatedOnce || displayRefused_) return;
  ActivatedOnce = true;
  if (!StartFirstMusic()) return;
  MidiList.clear();
  MidiListBuilt = false;
  Session.Language = Lang::Afrikaans;
  SubjectOpen.fill(true);
  CurrentSubject = 255;
  RunIntro(false);
}

void TForm1::backbutClick(TObject*) { RunIntro(true); }

void TForm1::RunIntro(bool returning) {
  bool accepted = false;
  {
    TOwned<TForm2> intro(Application()->Create<TForm2>(Session, *this));
    intro->DoubleBuffered = true;
    intro->SetBounds(0, 0, kScreenWidth, kScreenHeight);
    intro->Returning = returning;
    if (returning) ShowIntroMuteButton(*intro);
    intro->ShowModal();
    accepted = intro->Accepted();
  }
  if (accepted) {
    SignIn(returning);
  } else if (!returning && !Application()->Terminated()) {
    // Closed from outside (a window manager's close, Alt+F4) before anybody signed in:
    // leave the way the exit button does. After the back button the learner simply
    // stays signed in as before.
    exitbutClick(nullptr);
  }
}

void TForm1::ShowIntroMuteButton(TForm2& intro) { intro.mutebut->Show(); }

void TForm1::SetButtonHints() {
  const bool afrikaans = Session.Language == Lang::Afrikaans;
  reportbut->Hint = afrikaans ? "Verslag" : "Report";
  backbut->Hint = afrikaans ? "Verander naam/taal" : "Change name/language";
  exitbut->Hint = afrikaans ? "Verlaat Pelkor!" : "Exit Pelkor!";
}

void TForm1::SignIn(bool afterBackButton) {
  const LearnerSession& s = Session;
  if (Application()->Terminated() || s.LearnerName.empty()) return;
  Session.SoundFolder = menu::SoundFolderOf(s.InstallFolder, s.Language);
  SetButtonHints();
  if (FindLearner(roster_, s.LearnerName, s.LearnerSecondKey, s.LearnerShortKey) == kNoLearner) {
    const int slot = s.Language == Lang::Afrikaans ? kAfrikaansSlot : kEnglishSlot;
    RecordLearnerUse(roster_, slot, kFirstLevel, s.LearnerName, s.LearnerSecondKey,
                     s.LearnerShortKey);
  }
  if (afterBackButton) {
    HideSubPictures();
    ShowSubEntries(0);
  }
  SubjectOpen.fill(false);
  ShowMenuPicture(0);
  PlayCue(s.SoundFolder + menu::kGreetingPrompt);
}

void TForm1::exitbutClick(TObject*) {
  executetimer->SetEnabled(false);
  try {
    TOwned<Tadvertform> advert(Application()->Create<Tadvertform>(Session));
    advert->DoubleBuffered = true;
    advert->SetBounds(0, 0, kScreenWidth, kScreenHeight);
    advert->PrepareAdverts();
    advert->ShowModal();
  } catch (const std::exception& error) {
    // A damaged advert picture must not keep the child in the program: report it
    // and leave all the same.
    Application()->HandleException(error);
  }
  Close();
}

// ---- menu ----

void TForm1::ShowMenuPicture(int n) {
  if (!LoadPicture(*frame, Session.MenuFolder + menu::MenuPictureName(n, Session.Language))) return;
  CurrentSubject = n;
  if (n >= 1 && n <= menu::kSubjectCount) ShowSubEntries(n);
}

void TForm1::ShowSubEntries(int n) {
  const std::string key = IntToStr(n);
  ForEachPicture([&](TImage& image, const std::string& group) {
    if (group == key) {
      image.Show();
    } else if (Contains(LowerCase(image.Name), "subindex")) {
      image.Hide();
    }
  });
}

void TForm1::HideSubPictures() {
  ForEachPicture([](TImage& image, const std::string& group) {
    if (group == "sub") image.Hide();
  });
}

void TForm1::ShowSubPicture(const std::string& key, int m) {
  ForEachPicture([&](TImage& image, const std::string& group) {
    if (group != "sub") return;
    if (IntToStr(image.Tag) != key) {
      image.Hide();
      return;
    }
    if (LoadPicture(image, Session.MenuFolder + menu::SubPictureName(key, m, Session.Language)))
      image.Show();
  });
}

bool TForm1::LoadPicture(TImage& image, const std::string& path) {
  if (!FileExists(path)) return false;
  try {
    image.Picture().LoadFromFile(path);
    return true;
  } catch (const std::exception& error) {
    // Pointer handlers load on every movement: report a damaged file once, then treat
    // it as missing.
    if (damagedPictures_.insert(path).second) Application()->HandleException(error);
    return false;
  }
}

void TForm1::HideSubjectHighlight(int k) {
  ForEachPicture([&](TImage& image, const std::string& group) {
    if (Contains(group, "but") && image.Tag == k) image.Hide();
  });
}

void TForm1::ShowSubjectHighlight(int k) {
  const std::string wanted = Session.Language == Lang::Afrikaans ? "but_afr" : "but_eng";
  ForEachPicture([&](TImage& image, const std::string& group) {
    if (!Contains(group, "but")) return;
    const bool open = k >= 1 && k < static_cast<int>(SubjectOpen.size()) && SubjectOpen[k];
    image.SetVisible(image.Tag == k && !open && Contains(group, wanted));
  });
  HideSubPictures();
}

void TForm1::mover1MouseMove(TObject* sender, unsigned, int, int) {
  ShowSubjectHighlight(static_cast<TControl*>(sender)->Tag);
}

void TForm1::frameMouseMove(TObject*, unsigned, int, int) {
  HideSubPictures();
  for (int k = 1; k <= menu::kSubjectCount; ++k) HideSubjectHighlight(k);
}

void TForm1::subindex5_1MouseMove(TObject* sender, unsigned, int, int) {
  const auto* entry = static_cast<TControl*>(sender);
  ShowSubPicture(entry->Hint, entry->Tag);
}

void TForm1::mover1Click(TObject* sender) {
  const int k = static_cast<TControl*>(sender)->Tag;
  if (SubjectOpen[k]) return;
  HideSubjectHighlight(k);
  SubjectOpen.fill(false);
  SubjectOpen[k] = true;
  ShowMenuPicture(k);
}

// ---- launching ----

void TForm1::SelectActivity(int index) {
  SelectedActivity = index;
  executetimer->SetEnabled(true);
}

void TForm1::executetimerTimer(TObject*) {
  executetimer->SetEnabled(false);
  StartProgram(ActivityTable[static_cast<size_t>(SelectedActivity)]);
}

void TForm1::reportbutClick(TObject*) { StartProgram(ActivityTable[kReportProgram]); }

std::string TForm1::BuildProgramParameters() const {
  const LearnerSession& s = Session;
  const std::string values[] = {s.InstallFolder,   s.LearnerName, s.LearnerSecondKey,
                                s.LearnerShortKey, "TRUE",        LanguageCode(s.Language)};
  std::string parameters;
  for (const std::string& value : values) {
    if (!parameters.empty()) parameters += ' ';
    parameters += "\"*" + value + "#\"";
  }
  return parameters;
}

void TForm1::StartProgram(const std::string& relativePath) {
  if (ActivityRunning) return;
  ProgramPath = Session.InstallFolder + relativePath;
  Session.LearnerSecondKey.clear();
  Session.LearnerShortKey.clear();
  ProgramParameters = BuildProgramParameters();
  if (!FileExists(ProgramPath)) {
    ShowMessage(*Application(), kMissingProgramMessage);
    ActivityRunning = false;
    return;
  }
  if (MidiList.size() > 1 && music->Mode() == MusicMode::Playing) {
    MusicHeld = true;
    music->Stop();
  }
  AppExe->SetCommand(ProgramPath);
  AppExe->SetParameters(ProgramParameters);
  startFailed_ = false;
  AppExe->Execute();
}

void TForm1::AppExeAfterStart(TObject*) {
  if (startFailed_) return;  // the error handler has already put things back
  ActivityRunning = true;
  SetWindowState(TWindowState::wsMinimized);
}

void TForm1::ActivityEnded() {
  ActivityRunning = false;
  SetWindowState(TWindowState::wsNormal);
  Invalidate();
  Update();
  if (MusicHeld) {
    MusicHeld = false;
    PlayNextMusic();
  }
}

void TForm1::AppExeFinished(TObject*) { ActivityEnded(); }

void TForm1::AppExeError(TObject*) {
  startFailed_ = true;
  ActivityEnded();
}

// ---- music ----

bool TForm1::StartFirstMusic() {
  if (!FileExists(Session.MusicFolder + kFirstPiece)) return true;
  MusicHeld = true;
  music->FileName = Session.MusicFolder + kFirstPiece;
  try {
    music->Open();
  } catch (const EMCIDeviceError&) {
    if (MessageDlg(*Application(), kMidiDriverQuestion, TMsgDlgType::mtConfirmation,
                   mbYes | mbNo) != mrYes) {
      return true;  // no music; MusicHeld stays until an activity program has ended
    }
    if (!RemoveMusicFiles()) {
      // Nothing could be deleted (a read-only install): say who can, and go on
      // without music as for "No".
      MessageDlg(*Application(), MusicNotRemovedMessage(ResolvePath(Session.MusicFolder)),
                 TMsgDlgType::mtInformation, mbOK);
      return true;
    }
    MessageDlg(*Application(), kMidiRemovedMessage, TMsgDlgType::mtInformation, mbOK);
    Close();
    return false;
  }
  MusicHeld = false;
  music->Play();
  return true;
}

bool TForm1::RemoveMusicFiles() {
  namespace fs = std::filesystem;
  bool removedAny = false;
  // Only ordinary files matching the mask, in the music folder itself. Write permission
  // first: it is the read-only attribute on Windows; on POSIX the folder decides.
  for (const std::string& name : FindFiles(Session.MusicFolder, kMidiMask)) {
    const fs::path file = ResolvePath(Session.MusicFolder + name);
    std::error_code ignored;
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ignored);
    if (fs::remove(file, ignored)) removedAny = true;
  }
  return removedAny;
}

void TForm1::BuildMidiList() {
  MidiList.clear();
  for (const std::string& name : FindFiles(Session.MusicFolder, kMidiMask)) {
    if (MidiList.size() == kMaxMidiNames) break;
    MidiList.push_back(name);
  }
  MidiListBuilt = true;
}

void TForm1::PlayNextMusic() {
  if (MusicHeld) return;
  if (!MidiListBuilt) BuildMidiList();
  if (MidiList.size() < 2) return;
  if (music->Mode() == MusicMode::Playing) music->Stop();
  music->Close();
  music->FileName = Session.MusicFolder + MidiList[MusicChoice(MidiList.size())];
  music->Open();
  music->Rewind();
  music->Play();
}

void TForm1::musicNotify(TObject*) {
  if (music->Position() == music->Length()) PlayNextMusic();
}

void TForm1::PlayCue(const std::string& path) {
  if (!FileExists(path)) return;
  try {
    sound->LoadFromFile(path);  // replacing the wave stops a prompt still playing
  } catch (const std::exception&) {
    return;  // a damaged prompt is as silent as a missing one; the doctor reports it
  }
  sound->Wave().Play();
}

void TForm1::StopCue() { sound->Stop(); }

void TForm1::SetMouseButtonsSwapped(bool swapped) { machine_.SetMouseButtonsSwapped(swapped); }

void TForm1::SetVolumeControlOpen(bool open) {
  volumeControlOpen_ = open;
  SetWindowState(open ? TWindowState::wsMinimized : TWindowState::wsNormal);
}

}  // namespace tazu
