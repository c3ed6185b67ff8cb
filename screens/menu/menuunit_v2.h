// The menu screen, the application's main form. Its creation brings the program up
// (task bar, display mode, install folders, activity table) and its destruction puts
// the machine back as it was.
#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Random.h"
#include "controls/AudioMixer.h"
#include "controls/GlobalHotKey.h"
#include "controls/MorphButton.h"
#include "controls/OneInstance.h"
#include "controls/ShapeHint.h"
#include "controls/Starter.h"
#include "controls/ThreadedTimer.h"
#include "controls/Wave.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/MediaPlayer.h"
#include "framework/Timer.h"
#include "platform/Platform.h"
#include "roster/RosterEnvironment.h"
#include "screens/LearnerSession.h"
#include "screens/intro/introunit.h"
#include "screens/menu/ActivityTable.h"
#include "screens/menu/MachineGuard.h"

namespace tazu {

class TForm1 : public TForm, public IntroHost {
 public:
  // `roster` says where the roster lives; it outlives the screen.
  TForm1(TComponent* owner, const RosterEnvironment& roster);

  // The learner signed in, the language and the install's folders.
  LearnerSession Session;
  // Relative program paths, indexed 1 to 15 (index 0 unused; entry 4 stays empty).
  std::array<std::string, kActivityCount + 1> ActivityTable;

  // ---- controls and components ----
  TImage* frame = nullptr;
  TMorphButton* backbut = nullptr;
  TMorphButton* reportbut = nullptr;
  TMorphButton* exitbut = nullptr;
  TTimer* closetimer = nullptr;
  TThreadedTimer* executetimer = nullptr;
  TStarter* AppExe = nullptr;
  TMediaPlayer* music = nullptr;
  TWaveComp* sound = nullptr;
  TShapeHint* ShapeHint1 = nullptr;
  TOneInstance* OneInstance1 = nullptr;
  TGlobalHotKey* GlobalHotKey2 = nullptr;
  TAudioMixer* mixer = nullptr;
  // Any picture control of the screen by its name (`mover2`, `subindex2_4`, `sub2`, ...).
  TImage* PictureControl(std::string_view name) const;

  // ---- the activity run ----
  int SelectedActivity = 0;
  bool ActivityRunning = false;
  std::string ProgramPath;
  std::string ProgramParameters;
  // Music: up to 50 piece names, built once on first need; held while an activity
  // program runs (and while the first piece opens).
  std::vector<std::string> MidiList;
  bool MidiListBuilt = false;
  bool MusicHeld = false;
  // Picks the next piece; seeded from the clock at every pick.
  RandomChoice MusicChoice = ClockSeededChoice;

  // ---- navigation state ----
  // Subject shown by the background: 255 before the first sign-in, then 0 to 5.
  int CurrentSubject = 255;
  // Indexed 1 to 10; 1 to 5 are the subjects: true while that sub-menu is open.
  std::array<bool, 11> SubjectOpen{};

  // ---- handlers ----
  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void backbutClick(TObject* sender);
  void exitbutClick(TObject* sender);
  void ShowIntroMuteButton(TForm2& intro);
  // The steps after each showing of the intro screen (language, hints, roster, picture
  // 0 and the greeting); skipped when the program is ending.
  void SignIn(bool afterBackButton);
  void FormClose(TObject* sender, TCloseAction& action);
  void FormDestroy(TObject* sender);
  void closetimerTimer(TObject* sender);

  bool ActivatedOnce = false;
  // The display, task bar and mouse buttons as the program has changed them.
  const MachineGuard& Machine() const { return machine_; }

  // ---- menu routines ----
  void ShowMenuPicture(int n);
  void ShowSubEntries(int n);
  void HideSubPictures();
  void ShowSubPicture(const std::string& key, int m);
  void HideSubjectHighlight(int k);
  void ShowSubjectHighlight(int k);
  void mover1MouseMove(TObject* sender, unsigned shift, int x, int y);
  void mover1Click(TObject* sender);
  void frameMouseMove(TObject* sender, unsigned shift, int x, int y);
  void subindex5_1MouseMove(TObject* sender, unsigned shift, int x, int y);

  // ---- launching ----
  // One click handler per entry hot spot (subindex1_1Click ... subindex5_2Click) selects
  // that entry's activity; they share this body.
  void SelectActivity(int index);
  void subindex1_1Click(TObject*) { SelectActivity(1); }
  void subindex1_2Click(TObject*) { SelectActivity(2); }
  void subindex1_3Click(TObject*) { SelectActivity(3); }
  void subindex2_1Click(TObject*) { SelectActivity(5); }
  void subindex2_2Click(TObject*) { SelectActivity(6); }
  void subindex2_3Click(TObject*) { SelectActivity(7); }
  void subindex2_4Click(TObject*) { SelectActivity(8); }
  void subindex2_5Click(TObject*) { SelectActivity(9); }
  void subindex3_1Click(TObject*) { SelectActivity(10); }
  void subindex3_2Click(TObject*) { SelectActivity(11); }
  void subindex4_1Click(TObject*) { SelectActivity(12); }
  void subindex5_1Click(TObject*) { SelectActivity(13); }
  void subindex5_2Click(TObject*) { SelectActivity(14); }
  void executetimerTimer(TObject* sender);
  void reportbutClick(TObject* sender);
  void StartProgram(const std::string& relativePath);
  void AppExeAfterStart(TObject* sender);
  void AppExeFinished(TObject* sender);
  void AppExeError(TObject* sender);
  // ---- music ----
  // Starts "pelkor2.mid"; false when the music files were removed and the program is
  // ending (nothing further of the first activation may run then).
  bool StartFirstMusic();
  void PlayNextMusic();
  void musicNotify(TObject* sender);
  void PlayCue(const std::string& path) override;
  void StopCue() override;
  bool VolumeControlOpen() const override { return volumeControlOpen_; }
  void SetVolumeControlOpen(bool open) override;

  // The six-field parameter string every activity program is given.
  std::string BuildProgramParameters() const;

  bool SetDisplayMode(int width, int height, int depth);
  void RestoreDisplayMode();
  bool DisplayChangeAllowed();
  void SetMouseButtonsSwapped(bool swapped) override;

 private:
  void BuildControls();
  // Shows the intro screen modally, then signs in (unless the program is ending).
  void RunIntro(bool returning);
  void SetButtonHints();
  bool displayRefused_ = false;
  void BuildComponents();
  void BindEntryClicks();
  void ActivityEnded();
  void BuildMidiList();
  // Deletes the music folder's MIDI files; false when none could be deleted.
  bool RemoveMusicFiles();
  // Loads a menu picture when it exists and decodes; false otherwise.
  bool LoadPicture(TImage& image, const std::string& path);
  std::set<std::string> damagedPictures_;
  bool startFailed_ = false;
  // Every picture control with its lower-cased group key, in stacking order.
  template <class Fn>
  void ForEachPicture(Fn&& fn);
  void FillFolders();
  void FillActivityTable();
  Platform& OS();

  const RosterEnvironment& roster_;
  MachineGuard machine_;
  bool volumeControlOpen_ = false;

  std::map<std::string, TImage*, std::less<>> pictures_;
};

}  // namespace tazu
