// The menu screen, the application's main form. Its creation brings the program up
// (task bar, display mode, install folders, activity table) and its destruction puts
// the machine back as it was.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "controls/MorphButton.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/Timer.h"
#include "platform/Platform.h"

namespace tazu {

constexpr int kActivityCount = 15;

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);

  // ---- install layout: folders end in a back-slash; names are formed by appending ----
  std::string InstallFolder;
  std::string MenuFolder;
  std::string MusicFolder;
  std::string SoundFolder;
  std::string Language = "A";
  // Relative program paths, indexed 1 to 15 (index 0 unused; entry 4 stays empty).
  std::array<std::string, kActivityCount + 1> ActivityTable;

  // ---- controls and components ----
  TImage* frame = nullptr;
  TMorphButton* backbut = nullptr;
  TMorphButton* reportbut = nullptr;
  TMorphButton* exitbut = nullptr;
  TTimer* closetimer = nullptr;
  // Any picture control of the screen by its name (`mover2`, `subindex2_4`, `sub2`, ...).
  TImage* PictureControl(std::string_view name) const;

  // ---- navigation state ----
  // Subject shown by the background: 255 before the first sign-in, then 0 to 5.
  int CurrentSubject = 255;
  // Indexed 1 to 10; 1 to 5 are the subjects: true while that sub-menu is open.
  std::array<bool, 11> SubjectOpen{};

  // ---- handlers ----
  void FormCreate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void FormDestroy(TObject* sender);
  void closetimerTimer(TObject* sender);

  // ---- shell state (read by tests) ----
  TaskBarHandle TrayWindow = 0;
  bool ActivatedOnce = false;
  DisplayCaps DisplayAtStart;
  std::vector<DisplayMode> ModeList;
  int StartupModeIndex = 0;

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
  // Development only (never reachable from the screen): the signed-in state without
  // the intro, for running the menu on its own.
  void DevelopmentSignIn(const std::string& language);

  bool SetDisplayMode(int width, int height, int depth);
  void RestoreDisplayMode();
  int ApplyDisplayMode(const DisplayMode& mode);
  bool DisplayChangeAllowed();
  void SetMouseButtonsSwapped(bool swapped);

 private:
  void BuildControls();
  // Every picture control with its lower-cased group key, in stacking order.
  template <class Fn>
  void ForEachPicture(Fn&& fn);
  void FillFolders();
  void FillActivityTable();
  Platform& OS();

  std::map<std::string, TImage*, std::less<>> pictures_;
};

}  // namespace tazu
