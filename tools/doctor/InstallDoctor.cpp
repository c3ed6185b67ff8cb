#include "tools/doctor/InstallDoctor.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>

#include "base/Paths.h"
#include "base/Text.h"
#include "screens/advert/AdvertFiles.h"
#include "screens/intro/IntroFiles.h"
#include "screens/menu/ActivityTable.h"
#include "screens/menu/DisplaySettings.h"
#include "screens/menu/MenuFiles.h"
#include "screens/menu/MenuLayout.h"
#include "tools/doctor/DisplayCheck.h"
#include "tools/doctor/FileChecks.h"
#include "tools/doctor/ProgramCheck.h"
#include "tools/doctor/RosterCheck.h"

namespace fs = std::filesystem;

namespace tazu::doctor {
namespace {

using FileCheck = std::function<CheckResult(const std::string& path)>;

// What it means when a file is not there.
constexpr const char* kMenuPictureGone = "not found (the menu keeps the picture it showed before)";
constexpr const char* kSubPictureGone = "not found (the entry is never highlighted)";
constexpr const char* kIntroFileGone =
    "not found (the intro screen ends the program with a message)";
constexpr const char* kPromptGone = "not found (the prompt stays silent)";
constexpr const char* kFirstPieceGone = "not found (no music at all during the run)";
constexpr const char* kProgramGone = "not found (the menu reports the missing file instead)";
constexpr const char* kAdvertGone = "not found (the advert screen closes itself at once)";

// The install folder with the names formed below it, as the launcher forms them.
class InstallWalk {
 public:
  InstallWalk(std::string installFolder, DoctorReport& report)
      : install_(std::move(installFolder)), report_(report) {
    hostInstall_ = ResolvePath(install_);
    while (hostInstall_.size() > 1 && hostInstall_.back() == '/') hostInstall_.pop_back();
  }

  const std::string& Install() const { return install_; }

  // Checks the file `relative` (appended to the install folder, as the launcher writes
  // it) with `check` when it exists; `missingWeight` says how much its absence matters.
  void File(const std::string& relative, const FileCheck& check, const char* missingText,
            Weight missingWeight, Weight damagedWeight = Weight::Error) {
    const std::string path = install_ + relative;
    const std::string subject = Subject(relative);
    if (!FileExists(path)) {
      std::string detail = missingText;
      if (DirectoryExists(path)) detail = "a folder has its name, not a file";
      report_.Add({Verdict::Missing, subject, detail, missingWeight});
      return;
    }
    CheckResult result = check(path);
    if (result.verdict == Verdict::Ok) result.detail += FoundAs(path, relative);
    report_.Add({result.verdict, subject, result.detail, damagedWeight});
  }

  void Add(Finding finding) { report_.Add(std::move(finding)); }

  // A name below the install folder for people: no leading separators.
  static std::string Subject(const std::string& relative) {
    const size_t start = relative.find_first_not_of('\\');
    return start == std::string::npos ? std::string() : relative.substr(start);
  }

 private:
  // " (found as MENU/Menu_0_a.JPG)" when letter case told the names apart.
  std::string FoundAs(const std::string& path, const std::string& relative) const {
    const std::string host = ResolvePath(path);
    if (host.size() <= hostInstall_.size() + 1 || !host.starts_with(hostInstall_ + "/")) return {};
    const std::string found = host.substr(hostInstall_.size() + 1);
    std::string written = Subject(relative);
    std::replace(written.begin(), written.end(), '\\', '/');
    return found == written ? std::string() : " (found as " + found + ")";
  }

  std::string install_;
  std::string hostInstall_;
  DoctorReport& report_;
};

std::string MenuRelative(const std::string& name) {
  return std::string(menu::kMenuSubFolder) + name;
}

// Strips the install folder from a folder the menu formed from it.
std::string RelativeTo(const std::string& install, const std::string& folder) {
  return folder.substr(install.size());
}

void CheckMenuPictures(InstallWalk& walk) {
  for (const Lang language : menu::kLanguages) {
    for (int n = 0; n <= menu::kSubjectCount; ++n) {
      walk.File(MenuRelative(menu::MenuPictureName(n, language)), CheckPictureFile,
                kMenuPictureGone, Weight::Error);
    }
    // One sub-menu picture per entry hot spot of the layout, in subject and entry order.
    for (int n = 1; n <= menu::kSubjectCount; ++n) {
      const std::string key = std::to_string(n);
      for (int m = 1; m <= menu::EntryCount(n); ++m) {
        const menu::ControlPlace* entry = menu::FindControl(menu::Kind::Entry, m, key);
        if (entry == nullptr) continue;
        walk.File(MenuRelative(menu::SubPictureName(entry->groupKey, entry->tag, language)),
                  CheckPictureFile, kSubPictureGone, Weight::Error);
      }
    }
  }
}

void CheckIntroFiles(InstallWalk& walk) {
  const int frames = intro::FrameCountFromName(intro::kLibraryName);
  walk.File(
      MenuRelative(intro::kLibraryName),
      [frames](const std::string& path) { return CheckFrameLibrary(path, frames); }, kIntroFileGone,
      Weight::Error);
  walk.File(MenuRelative(intro::kLanguagePicture), CheckPictureFile, kIntroFileGone, Weight::Error);
  for (const Lang language : menu::kLanguages) {
    walk.File(MenuRelative(intro::NameBoardName(language)), CheckPictureFile, kIntroFileGone,
              Weight::Error);
  }
}

void CheckPrompts(InstallWalk& walk) {
  for (const Lang language : menu::kLanguages) {
    const std::string introFolder = intro::SoundFolderFor(language);
    for (const char* prompt : {intro::kLanguagePrompt, intro::kNamePrompt}) {
      walk.File(introFolder + prompt, CheckWaveFile, kPromptGone, Weight::Error);
    }
    const std::string menuFolder =
        RelativeTo(walk.Install(), menu::SoundFolderOf(walk.Install(), language));
    walk.File(menuFolder + menu::kGreetingPrompt, CheckWaveFile, kPromptGone, Weight::Error);
  }
}

void CheckMusic(InstallWalk& walk) {
  const std::string folder = menu::MusicFolderOf(walk.Install());
  const std::string relative = RelativeTo(walk.Install(), folder);
  walk.File(relative + menu::kFirstPiece, CheckMidiFile, kFirstPieceGone, Weight::Error);
  // The pieces chosen at random later: the folder's listing, of which only the first
  // names are ever used; the first piece is among them and has been checked above.
  const std::vector<std::string> pieces = FindFiles(folder, menu::kMidiMask);
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (SameText(pieces[i], menu::kFirstPiece)) continue;
    const bool played = i < menu::kMaxMidiNames;
    const FileCheck check = [played](const std::string& path) {
      CheckResult result = CheckMidiFile(path);
      if (!played) {
        result.detail += " (never played: only the first " + std::to_string(menu::kMaxMidiNames) +
                         " pieces listed are)";
      }
      return result;
    };
    walk.File(relative + pieces[i], check, "", Weight::Error,
              played ? Weight::Error : Weight::Warning);
  }
}

void CheckPrograms(InstallWalk& walk, const std::optional<std::string>& searchPath) {
  const FileCheck check = [&searchPath](const std::string& path) {
    return CheckProgramFile(path, searchPath);
  };
  for (int i = 1; i <= kActivityCount; ++i) {
    const std::string program = kActivities[static_cast<size_t>(i)];
    if (!program.empty()) walk.File(program, check, kProgramGone, Weight::Error);
  }
}

void CheckAdverts(InstallWalk& walk) {
  for (const Lang language : menu::kLanguages) {
    // The launcher closes the advert screen at once when either is missing, but shows
    // the general error box for one that is there and cannot be read.
    walk.File(advert::AdvertPageName(language), CheckPictureFile, kAdvertGone, Weight::Warning);
    walk.File(advert::AdvertBackgroundName(language), CheckPictureFile, kAdvertGone,
              Weight::Warning);
  }
}

void CheckDisplaySettings(InstallWalk& walk, const std::string& currentFolder) {
  Finding finding{Verdict::Ok, menu::kDisplaySettingsFile, {}, Weight::Warning};
  const menu::DisplayOptions options = menu::ReadDisplayOptions(currentFolder);
  const std::string allowed = "the launcher may switch the display to 800x600";
  std::string forbidden = "the launcher never switches the display";
  if (options.scaleAsked) {
    forbidden += " and shows its picture scaled on a larger screen (\"" +
                 std::string(menu::kScaleAsked) + "\")";
  }
  switch (options.settings) {
    case menu::DisplaySettings::Absent:
      finding.verdict = Verdict::Missing;
      finding.detail = "absent: " + allowed;
      break;
    case menu::DisplaySettings::Allows:
      finding.detail =
          "first line holds \"" + std::string(menu::kDisplayAllowed) + "\": " + allowed;
      break;
    case menu::DisplaySettings::Forbids:
      finding.detail =
          "first line lacks \"" + std::string(menu::kDisplayAllowed) + "\": " + forbidden;
      break;
    case menu::DisplaySettings::Unreadable:
      finding.verdict = Verdict::Damaged;
      finding.detail = "cannot be read, which counts as forbidding the switch: " + forbidden;
      break;
  }
  walk.Add(std::move(finding));
}

// The launcher's current folder when started in `folder`, in host form without a
// trailing separator, as GetCurrentDir gives it.
std::string CurrentFolderFor(const std::string& folder) {
  std::error_code ec;
  fs::path absolute = fs::absolute(folder, ec);
  if (ec) return folder;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

DoctorReport CheckInstall(const DoctorSetup& setup) {
  DoctorReport report;
  const std::string current = CurrentFolderFor(setup.installFolder);
  InstallWalk walk(menu::InstallFolderFrom(current), report);
  CheckMenuPictures(walk);
  CheckIntroFiles(walk);
  CheckPrompts(walk);
  CheckMusic(walk);
  CheckPrograms(walk, setup.searchPath);
  CheckAdverts(walk);
  CheckDisplaySettings(walk, current);
  const QuietProcessEnvironment processEnvironment(current);
  CheckRoster(setup.rosterEnvironment != nullptr ? *setup.rosterEnvironment : processEnvironment,
              report);
  return report;
}

std::string HelpText() {
  return R"(usage: tazu-doctor [INSTALL_DIR]

Checks a Pelkor Tazu install folder (default: the current folder) the way the
launcher started in it would find and read every file, for Afrikaans and
English. Nothing on disk is changed. One line per file: OK, MISSING or DAMAGED
with the reason, then "N OK, N MISSING, N DAMAGED".

Checked:
  menu\menu_N_L.jpg, menu\sub_N_M_L.jpg   every menu and sub-menu picture decodes
  menu\intro_126.frm                      loads, and all 126 frames decode
  menu\intro1.jpg, menu\nameselect_L.jpg  the language choice and name boards
  sounds_L\in1.wav, in2.wav, in6.wav      prompts pass the wave header check
  Music\pelkor2.mid, Music\*.mid          MIDI header of every piece
  <activity>\<program>.exe, report\report.exe
                                          present and startable: ELF or script
                                          with execute permission, or a Windows
                                          program (MZ header) run through wine
  add_L.jpg, addback_L.jpg                the advert pages
  displaysettings.txt                     whether the display may be switched
                                          (SET=YES) or shown scaled (SCALE=YES)
  roster folder and tazu_students.dat     where the launcher keeps learners,
                                          and whether it may write there

The line "Display" says what the launcher would do on the display of this
session with these settings: switch it to 800x600, show its picture scaled
(no 800x600 mode, a larger screen), show the unscaled window, or refuse.

Errors (exit status 1): anything a child would miss or meet as an error box -
a missing or damaged picture, frame library, prompt, first music piece or
program; a damaged advert page or music piece; a roster folder or file the
launcher cannot write (run as root, a folder or file that grants write
permission to nobody counts as read-only too).

Only warnings (exit status 0): a missing or unreadable displaysettings.txt
(absent allows the 800x600 switch, unreadable forbids it), a missing advert
page or background (the advert screen closes itself at once), a damaged
music piece beyond the first 50 the launcher ever plays, a roster file (or,
before it is made, a roster folder) that other accounts cannot write (their
learners are then not recorded; where the system has permission bits).

Exit status: 0 ready, 1 problems found, 2 bad arguments or no such folder.
)";
}

int RunDoctor(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const RosterEnvironment* rosterEnvironment) {
  std::string folder = ".";
  bool folderGiven = false;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out << HelpText();
      return kExitReady;
    }
    if ((arg.starts_with("-") && arg != "-") || folderGiven) {
      err << "tazu-doctor: unexpected argument \"" << arg << "\"\n"
          << "usage: tazu-doctor [INSTALL_DIR] (--help for more)\n";
      return kExitUsage;
    }
    folder = arg;
    folderGiven = true;
  }
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    err << "tazu-doctor: no install folder at \"" << folder << "\"\n";
    return kExitUsage;
  }
  DoctorSetup setup;
  setup.installFolder = folder;
  setup.rosterEnvironment = rosterEnvironment;
  const DoctorReport report = CheckInstall(setup);
  out << "Install folder " << CurrentFolderFor(folder) << "\n";
  out << "Display "
      << DescribeDisplay(menu::ReadDisplayOptions(CurrentFolderFor(folder)), ProbeDisplay())
      << "\n";
  for (const Finding& finding : report.Findings()) out << FormatFinding(finding) << "\n";
  out << FormatSummary(report) << "\n";
  return report.Passed() ? kExitReady : kExitProblems;
}

}  // namespace tazu::doctor
