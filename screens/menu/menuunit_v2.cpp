#include "screens/menu/menuunit_v2.h"

#include <fstream>

#include "base/Paths.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "screens/menu/MenuLayout.h"

namespace tazu {
namespace {

constexpr uint32_t kCloseDelayMs = 500;
constexpr int kMinimumDepth = 16;
// The values the display-change announcement carries (not the new mode's).
constexpr uintptr_t kDisplayChangeWParam = 42;
constexpr intptr_t kDisplayChangeLParam = 0;

constexpr const char* kDisplaySettingsFile = "displaysettings.txt";
constexpr const char* kDisplayAllowed = "SET=YES";

constexpr const char* kResolutionMessage =
    "This program requires a screen resolution of at least 800x600 @ 16bit colour. Please "
    "update your display drivers.";
constexpr const char* kColourDepthMessage =
    "This program requires a colordepth of at least 16-bit to view the graphics in this "
    "application. Update your display driver or graphics adaptor.";

constexpr std::array<const char*, kActivityCount + 1> kActivities{
    "",
    "leesmeervoude\\leesmeervoude.exe",
    "leesrympies\\rympies.exe",
    "lees_m_begrip\\leesbegrip.exe",
    "",
    "wiskundemaal\\wiskundemaal.exe",
    "wiskundedeel\\deel.exe",
    "wiskundeoptel\\optel.exe",
    "wiskundeaftrek\\aftrek.exe",
    "wiskundewoordsomme\\woordsomme.exe",
    "denkelateraal\\denke.exe",
    "denkeassosiasie\\denkeassosiasie.exe",
    "spelling\\spelling.exe",
    "geheueprente\\geheueprente.exe",
    "geheueklanke\\geheue.exe",
    "report\\report.exe",
};

}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  Name = "Form1";
  SetCaption("Pelkor! Tazu v2.1");
  Position = TPosition::poScreenCenter;
  SetBounds(0, 0, menu::kScreenWidth, menu::kScreenHeight);

  frame = Create<TImage>(this);
  frame->Name = "frame";
  frame->SetBounds(0, 0, menu::kScreenWidth, menu::kScreenHeight);
  frame->SetAutoSize(true);

  closetimer = Create<TTimer>();
  closetimer->Name = "closetimer";
  closetimer->SetEnabled(false);
  closetimer->SetInterval(kCloseDelayMs);
  closetimer->SetOnTimer([this](TObject* sender) { closetimerTimer(sender); });

  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
  OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

Platform& TForm1::OS() { return Application()->GetPlatform(); }

void TForm1::FormCreate(TObject*) {
  ActivatedOnce = false;
  TrayWindow = OS().FindTaskBar();
  OS().ShowTaskBar(TrayWindow, false);
  DoubleBuffered = true;
  SetBounds(0, 0, menu::kScreenWidth, menu::kScreenHeight);
  if (DisplayChangeAllowed() && !SetDisplayMode(800, 600, 32) && !SetDisplayMode(800, 600, 16)) {
    RestoreDisplayMode();
    MessageDlg(*Application(), kResolutionMessage, TMsgDlgType::mtInformation, mbOK);
    closetimer->SetEnabled(true);
    return;
  }
  FillFolders();
  FillActivityTable();
}

void TForm1::FormClose(TObject*, TCloseAction&) {}

void TForm1::FormDestroy(TObject*) {
  SetMouseButtonsSwapped(false);
  OS().ShowTaskBar(TrayWindow, true);
  RestoreDisplayMode();
}

void TForm1::closetimerTimer(TObject*) {
  closetimer->SetEnabled(false);
  Close();
}

void TForm1::FillFolders() {
  InstallFolder = GetCurrentDir();
  if (!InstallFolder.empty() && InstallFolder.back() != '\\') InstallFolder += '\\';
  MenuFolder = InstallFolder + "\\menu\\";
  MusicFolder = InstallFolder + "Music\\";
}

void TForm1::FillActivityTable() {
  for (int i = 1; i <= kActivityCount; ++i) ActivityTable[i] = kActivities[i];
}

bool TForm1::DisplayChangeAllowed() {
  const std::string name = GetCurrentDir() + "\\" + kDisplaySettingsFile;
  if (!FileExists(name)) return true;
  // A settings file that cannot be read counts as forbidding the switch: the display
  // is then never changed behind the back of whoever put the file there.
  std::ifstream in(ResolvePath(name), std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return false;
  return line.find(kDisplayAllowed) != std::string::npos;
}

bool TForm1::SetDisplayMode(int width, int height, int depth) {
  DisplayAtStart = OS().GetDisplayCaps(Handle());
  if (DisplayAtStart.width == width && DisplayAtStart.height == height) {
    if (DisplayAtStart.bitsPerPixel < kMinimumDepth) {
      MessageDlg(*Application(), kColourDepthMessage, TMsgDlgType::mtWarning, mbOK);
    }
    return true;
  }
  ModeList.clear();
  StartupModeIndex = -1;
  int found = -1;
  const std::optional<DisplayMode> current = OS().CurrentDisplayMode();
  for (int i = 0;; ++i) {
    const std::optional<DisplayMode> mode = OS().EnumDisplayMode(i);
    if (!mode) break;
    ModeList.push_back(*mode);
    if (static_cast<int>(mode->displayFrequency) == DisplayAtStart.refresh &&
        static_cast<int>(mode->pelsWidth) == width &&
        static_cast<int>(mode->pelsHeight) == height &&
        static_cast<int>(mode->bitsPerPel) == depth && mode->orientation == 0) {
      found = i;
    }
  }
  if (current) {
    ModeList.push_back(*current);
    StartupModeIndex = static_cast<int>(ModeList.size());
  }
  if (found < 0) return false;
  ApplyDisplayMode(ModeList[static_cast<size_t>(found)]);
  return true;
}

int TForm1::ApplyDisplayMode(const DisplayMode& mode) {
  const int result = OS().ChangeDisplayMode(mode, true);
  OS().BroadcastDisplayChange(kDisplayChangeWParam, kDisplayChangeLParam);
  return result;
}

void TForm1::RestoreDisplayMode() {
  const DisplayCaps now = OS().GetDisplayCaps(Handle());
  if (now != DisplayAtStart && StartupModeIndex > 0) {
    ApplyDisplayMode(ModeList[static_cast<size_t>(StartupModeIndex - 1)]);
  }
  ModeList.clear();
  StartupModeIndex = 0;
}

void TForm1::ShowMenuPicture(int n) {
  const std::string name = MenuFolder + "menu_" + std::to_string(n) + "_" + Language + ".jpg";
  if (!FileExists(name)) return;
  frame->Picture().LoadFromFile(name);
  CurrentSubject = n;
}

void TForm1::DevelopmentSignIn(const std::string& language) {
  Language.assign(1, language == "E" ? 'E' : 'A');
  SoundFolder = InstallFolder + (Language == "A" ? "Sounds_afr\\" : "Sounds_eng\\");
  ShowMenuPicture(0);
}

void TForm1::SetMouseButtonsSwapped(bool swapped) { OS().SetMouseButtonsSwapped(swapped); }

}  // namespace tazu
