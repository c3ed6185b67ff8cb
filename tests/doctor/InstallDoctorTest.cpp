// The whole check over a demo install made by the demo generator, then with the kinds
// of damage an install meets: a damaged frame library, lost prompts, pictures and
// programs, names in other letter cases, a read-only roster folder.
#include "tools/doctor/InstallDoctor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "screens/menu/ActivityTable.h"
#include "tests/doctor/InstallFixture.h"

namespace tazu::doctor {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
namespace fs = std::filesystem;

class InstallDoctor : public test::InstallFixture {
 protected:
  void AllowDisplaySwitch() const { test::PutFile(install / "displaysettings.txt", "SET=YES\r\n"); }
};

TEST_F(InstallDoctor, DemoInstallIsReady) {
  const DoctorReport report = Check();
  EXPECT_TRUE(report.Passed());
  // The demo carries no display-settings file: the only finding that is not OK, and
  // only a warning.
  EXPECT_THAT(test::Problems(report),
              ElementsAre("MISSING displaysettings.txt: absent: the launcher may switch the "
                          "display to 800x600 (warning)"));
  // Both languages of every menu picture (6 backgrounds and 13 sub-menu pictures each),
  // the intro's four files, six prompts, three pieces, fourteen programs, four advert
  // pictures, the settings file, the roster folder and file.
  EXPECT_EQ(report.Findings().size(), 38u + 4 + 6 + 3 + 14 + 4 + 1 + 2);
  for (const char* program : kActivities) {
    if (*program == '\0') continue;
    const Finding* finding = test::FindingFor(report, program);
    ASSERT_NE(finding, nullptr) << program;
    EXPECT_THAT(finding->detail, HasSubstr("native program")) << program;
  }
  const Finding* library = test::FindingFor(report, "menu\\intro_126.frm");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->detail, "all 126 frames decode");
  EXPECT_NE(test::FindingFor(report, "menu\\sub_2_5_E.jpg"), nullptr);
}

TEST_F(InstallDoctor, DamagedLibraryAndMissingPromptAreExactlyTheFindings) {
  AllowDisplaySwitch();
  ASSERT_THAT(test::Problems(Check()), IsEmpty());
  FlipMiddle("menu/intro_126.frm", 16);
  fs::remove(install / "Sounds_eng" / "in2.wav");
  const DoctorReport report = Check();
  const std::vector<std::string> problems = test::Problems(report);
  ASSERT_EQ(problems.size(), 2u) << ::testing::PrintToString(problems);
  EXPECT_THAT(problems[0], StartsWith("DAMAGED menu\\intro_126.frm: "));
  EXPECT_EQ(problems[1], "MISSING sounds_eng\\in2.wav: not found (the prompt stays silent)");
  EXPECT_FALSE(report.Passed());
  EXPECT_EQ(report.ErrorCount(), 2);
}

TEST_F(InstallDoctor, DamagedPictureIsReportedWithItsReason) {
  AllowDisplaySwitch();
  Replace("menu/sub_2_4_E.jpg", "GIF89a" + std::string(100, 'x'));
  const std::string background = test::FileText(install / "menu" / "menu_3_A.jpg");
  Replace("menu/menu_3_A.jpg", background.substr(0, background.size() / 3));
  const DoctorReport report = Check();
  EXPECT_THAT(test::Problems(report),
              ElementsAre(StartsWith("DAMAGED menu\\menu_3_A.jpg: cannot be decoded (JPEG error"),
                          "DAMAGED menu\\sub_2_4_E.jpg: not a JPEG file (Not a JPEG or PNG "
                          "picture: starts with 0x47 0x49)"));
  EXPECT_FALSE(report.Passed());
}

TEST_F(InstallDoctor, MissingOrUnstartableProgramIsAnError) {
  AllowDisplaySwitch();
  fs::remove(install / "wiskundeoptel" / "optel.exe");
  Replace("report/report.exe", "#!/bin/sh\nexit 0\n");  // written without execute permission
  const DoctorReport report = Check();
  EXPECT_THAT(test::Problems(report),
              ElementsAre("MISSING wiskundeoptel\\optel.exe: not found (the menu reports the "
                          "missing file instead)",
                          AllOf(StartsWith("DAMAGED report\\report.exe: "),
                                HasSubstr("no execute permission"))));
  EXPECT_FALSE(report.Passed());
}

TEST_F(InstallDoctor, NamesInOtherLetterCasesAreFoundAsTheLauncherFindsThem) {
  AllowDisplaySwitch();
  fs::rename(install / "menu", install / "MENU");
  fs::rename(install / "MENU" / "intro_126.frm", install / "MENU" / "Intro_126.FRM");
  fs::rename(install / "MENU" / "sub_2_4_E.jpg", install / "MENU" / "SUB_2_4_e.JPG");
  fs::rename(install / "Sounds_afr", install / "SOUNDS_AFR");
  fs::rename(install / "Music" / "pelkor2.mid", install / "Music" / "Pelkor2.MID");
  fs::rename(install / "wiskundeoptel", install / "WiskundeOptel");
  fs::rename(install / "WiskundeOptel" / "optel.exe", install / "WiskundeOptel" / "OPTEL.EXE");
  fs::rename(install / "add_E.jpg", install / "ADD_E.jpg");
  const DoctorReport report = Check();
  EXPECT_THAT(test::Problems(report), IsEmpty());
  EXPECT_TRUE(report.Passed());
  EXPECT_THAT(test::FindingFor(report, "menu\\sub_2_4_E.jpg")->detail,
              HasSubstr("(found as MENU/SUB_2_4_e.JPG)"));
  EXPECT_THAT(test::FindingFor(report, "Music\\pelkor2.mid")->detail,
              HasSubstr("(found as Music/Pelkor2.MID)"));
  EXPECT_THAT(test::FindingFor(report, "wiskundeoptel\\optel.exe")->detail,
              HasSubstr("(found as WiskundeOptel/OPTEL.EXE)"));
  // The first piece is not checked twice under its other spelling.
  EXPECT_EQ(test::FindingFor(report, "Music\\Pelkor2.MID"), nullptr);
}

TEST_F(InstallDoctor, ReadOnlyRosterFolderIsReported) {
  AllowDisplaySwitch();
  fs::permissions(profile / "documents", fs::perms::owner_read | fs::perms::owner_exec |
                                             fs::perms::group_read | fs::perms::group_exec);
  const DoctorReport report = Check();
  fs::permissions(profile / "documents", fs::perms::owner_all);
  EXPECT_THAT(test::Problems(report),
              ElementsAre("DAMAGED roster folder " + (profile / "documents").string() +
                          ": not writable (mode 0550): learners cannot be recorded"));
  EXPECT_FALSE(report.Passed());
}

TEST_F(InstallDoctor, MusicPiecesAreCheckedAndTheFirstIsNeeded) {
  AllowDisplaySwitch();
  Replace("Music/tazu_son.mid", "RIFF not midi");
  test::PutFile(install / "Music" / "notes.txt", "not music, never listed");
  fs::remove(install / "Music" / "pelkor2.mid");
  EXPECT_THAT(test::Problems(Check()),
              ElementsAre("MISSING Music\\pelkor2.mid: not found (no music at all during the run)",
                          StartsWith("DAMAGED Music\\tazu_son.mid: not a MIDI file: no \"MThd\"")));
}

TEST_F(InstallDoctor, PiecesBeyondTheFiftyTheLauncherPlaysAreOnlyWarnings) {
  AllowDisplaySwitch();
  // 57 damaged pieces besides the sound first piece: of the 58 names listed, the
  // launcher only ever uses the first 50.
  Replace("Music/tazu_son.mid", "x");
  Replace("Music/tazu_reen.mid", "x");
  for (int i = 0; i < 55; ++i)
    test::PutFile(install / "Music" / ("p" + std::to_string(i) + ".mid"), "x");
  const DoctorReport report = Check();
  EXPECT_EQ(report.ErrorCount() + report.WarningCount(), 57);
  // Eight names lie beyond the fiftieth; one of them may be the first piece, which is
  // checked as such.
  EXPECT_GE(report.WarningCount(), 7);
  EXPECT_LE(report.WarningCount(), 8);
  for (const Finding& f : report.Findings()) {
    if (f.verdict != Verdict::Ok && f.weight == Weight::Warning) {
      EXPECT_THAT(f.detail, HasSubstr("(never played: only the first 50 pieces listed are)"));
    }
  }
}

TEST_F(InstallDoctor, MissingAdvertsAreOnlyWarningsButDamagedOnesAreErrors) {
  AllowDisplaySwitch();
  fs::remove(install / "add_A.jpg");
  fs::remove(install / "addback_E.jpg");
  const DoctorReport missing = Check();
  EXPECT_THAT(test::Problems(missing),
              ElementsAre("MISSING add_A.jpg: not found (the advert screen closes itself at "
                          "once) (warning)",
                          "MISSING addback_E.jpg: not found (the advert screen closes itself at "
                          "once) (warning)"));
  EXPECT_TRUE(missing.Passed());

  Replace("add_E.jpg", "not a picture");
  const DoctorReport damaged = Check();
  EXPECT_FALSE(damaged.Passed());
  EXPECT_THAT(test::FindingFor(damaged, "add_E.jpg")->verdict, Verdict::Damaged);
}

TEST_F(InstallDoctor, DisplaySettingsAsTheStartUpReadsThem) {
  test::PutFile(install / "displaysettings.txt", "set=yes\nSET=YES\n");
  const DoctorReport report = Check();
  EXPECT_THAT(test::Problems(report), IsEmpty());
  EXPECT_EQ(test::FindingFor(report, "displaysettings.txt")->detail,
            "first line lacks \"SET=YES\": the launcher never switches the display");
  test::PutFile(install / "displaysettings.txt", "SET=NO SCALE=YES\n");
  EXPECT_THAT(test::FindingFor(Check(), "displaysettings.txt")->detail,
              HasSubstr("never switches the display and shows its picture scaled"));
}

TEST_F(InstallDoctor, ChangesNothingOnDisk) {
  // A roster to look at, and a documents folder the launcher would still have to make.
  test::PutFile(profile / "documents" / "tazu_students.dat", std::string(708, '\0'));
  FlipMiddle("menu/intro_126.frm", 16);
  fs::remove(install / "Sounds_afr" / "in6.wav");
  const auto before = test::TreeListing(dir.Path());
  Check();
  EXPECT_EQ(test::TreeListing(dir.Path()), before);

  fs::remove_all(profile / "documents");
  const auto withoutDocuments = test::TreeListing(dir.Path());
  EXPECT_NE(withoutDocuments, before);  // the listing does show a change when there is one
  Check();
  EXPECT_EQ(test::TreeListing(dir.Path()), withoutDocuments);
  EXPECT_FALSE(fs::exists(profile / "documents"));
}

}  // namespace
}  // namespace tazu::doctor
