// Where the checker says the roster lives, and what it says of the display-settings
// file: both must match what the launcher does, and neither may create anything.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Paths.h"
#include "roster/StudentDatabase.h"
#include "screens/menu/DisplaySettings.h"
#include "tests/base/TempDir.h"
#include "tests/doctor/DoctorTestSupport.h"
#include "tests/roster/RosterTestSupport.h"
#include "tools/doctor/RosterCheck.h"

namespace tazu::doctor {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

class RosterPlan : public ::testing::Test {
 protected:
  RosterPlan() {
    env.systemFolder = (dir.Path() / "system").string();
    env.currentFolder = (dir.Path() / "install").string();
    fs::create_directories(env.systemFolder);
    fs::create_directories(env.currentFolder);
  }
  void Profile(const std::string& folder) {
    env.block = {"PATH=/bin", "ALLUSERSPROFILE=" + folder};
  }
  std::string Host(const std::string& folder) { return ResolvePath(folder); }

  test::TempDir dir;
  test::FakeRosterEnvironment env;
};

TEST_F(RosterPlan, AgreesWithTheRosterWhereTheFolderExists) {
  // No profile: the system folder.
  EXPECT_EQ(PlanRosterFolder(env), RosterFolder(env));
  // A profile with its documents folder in place.
  fs::create_directories(dir.Path() / "profile" / "documents");
  Profile((dir.Path() / "profile").string());
  EXPECT_EQ(Host(PlanRosterFolder(env)), (dir.Path() / "profile" / "documents/").string());
  EXPECT_EQ(PlanRosterFolder(env), RosterFolder(env));
}

TEST_F(RosterPlan, NamesTheDocumentsFolderTheRosterWouldMakeWithoutMakingIt) {
  fs::create_directories(dir.Path() / "profile");
  Profile((dir.Path() / "profile").string());
  const std::string planned = PlanRosterFolder(env);
  EXPECT_FALSE(fs::exists(dir.Path() / "profile" / "documents"));
  // The roster itself then makes it, in the same place.
  EXPECT_EQ(planned, RosterFolder(env));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "profile" / "documents"));
}

TEST_F(RosterPlan, FallsBackToTheCurrentFolderWhenTheProfileFolderIsMissing) {
  Profile((dir.Path() / "no-such-profile").string());
  EXPECT_EQ(PlanRosterFolder(env), env.currentFolder + "\\");
  EXPECT_EQ(PlanRosterFolder(env), RosterFolder(env));
}

TEST_F(RosterPlan, ReportsAReadOnlyFolderAndFile) {
  const fs::path documents = dir.Path() / "profile" / "documents";
  test::PutFile(documents / kRosterFileName, std::string(708 * 2 + 5, '\0'));
  fs::permissions(documents / kRosterFileName, fs::perms::others_read | fs::perms::others_write,
                  fs::perm_options::add);
  Profile((dir.Path() / "profile").string());

  DoctorReport fine;
  CheckRoster(env, fine);
  ASSERT_EQ(fine.Findings().size(), 2u);
  EXPECT_EQ(FormatFinding(fine.Findings()[0]),
            "OK roster folder " + documents.string() + ": there and writable");
  EXPECT_THAT(fine.Findings()[1].detail, HasSubstr("2 learners, and 5 bytes"));
  EXPECT_TRUE(fine.Passed());

  fs::permissions(documents / kRosterFileName, fs::perms::owner_read | fs::perms::group_read);
  fs::permissions(documents, fs::perms::owner_read | fs::perms::owner_exec);
  DoctorReport readOnly;
  CheckRoster(env, readOnly);
  fs::permissions(documents, fs::perms::owner_all);
  ASSERT_EQ(readOnly.Findings().size(), 2u);
  EXPECT_EQ(readOnly.Findings()[0].verdict, Verdict::Damaged);
  EXPECT_THAT(readOnly.Findings()[0].detail, HasSubstr("not writable (mode 0500)"));
  EXPECT_EQ(readOnly.Findings()[1].verdict, Verdict::Damaged);
  EXPECT_THAT(readOnly.Findings()[1].detail, HasSubstr("read-only"));
  EXPECT_FALSE(readOnly.Passed());
}

TEST_F(RosterPlan, ReportsARosterOtherAccountsCannotWriteAsAWarning) {
  const fs::path documents = dir.Path() / "profile" / "documents";
  fs::create_directories(documents);
  fs::permissions(documents, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec);
  Profile((dir.Path() / "profile").string());

  // Before the roster is made, the folder decides who can make it.
  DoctorReport folder;
  CheckRoster(env, folder);
  EXPECT_EQ(folder.Findings()[0].verdict, Verdict::Damaged);
  EXPECT_EQ(folder.Findings()[0].weight, Weight::Warning);
  EXPECT_THAT(folder.Findings()[0].detail,
              HasSubstr("other accounts cannot write it (mode 0741): until an account that may "
                        "signs a learner in, theirs are not recorded"));
  EXPECT_TRUE(folder.Passed());

  // Once it is there, the file does.
  test::PutFile(documents / kRosterFileName, std::string(708, '\0'));
  fs::permissions(documents / kRosterFileName,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  DoctorReport file;
  CheckRoster(env, file);
  EXPECT_EQ(file.Findings()[0].verdict, Verdict::Ok);
  EXPECT_EQ(file.Findings()[1].verdict, Verdict::Damaged);
  EXPECT_EQ(file.Findings()[1].weight, Weight::Warning);
  EXPECT_THAT(file.Findings()[1].detail,
              HasSubstr("1 learner, but other accounts cannot write it (mode 0604)"));

  fs::permissions(documents / kRosterFileName, fs::perms::others_write, fs::perm_options::add);
  DoctorReport shared;
  CheckRoster(env, shared);
  EXPECT_EQ(shared.Findings()[1].verdict, Verdict::Ok);
}

TEST_F(RosterPlan, AFolderStillToBeMadeIsFineAndIsNotMade) {
  env.systemFolder = (dir.Path() / "var" / "lib" / "tazu").string();
  DoctorReport report;
  CheckRoster(env, report);
  EXPECT_THAT(report.Findings()[0].detail, HasSubstr("makes it at the first sign-in"));
  EXPECT_THAT(report.Findings()[1].detail, HasSubstr("made at the first sign-in"));
  EXPECT_TRUE(report.Passed());
  EXPECT_FALSE(fs::exists(dir.Path() / "var"));

  // Under a read-only parent it can never be made.
  fs::create_directories(dir.Path() / "locked");
  fs::permissions(dir.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  env.systemFolder = (dir.Path() / "locked" / "tazu").string();
  DoctorReport locked;
  CheckRoster(env, locked);
  fs::permissions(dir.Path() / "locked", fs::perms::owner_all);
  EXPECT_EQ(locked.Findings()[0].verdict, Verdict::Missing);
  EXPECT_FALSE(locked.Passed());
}

// ---- display settings, read by the start-up and the checker alike ----

TEST(DisplaySettingsTest, OnlyTheFirstLineAndExactLetterCaseCount) {
  test::TempDir dir;
  using menu::DisplaySettings;
  EXPECT_EQ(menu::ReadDisplaySettings(dir.Str()), DisplaySettings::Absent);
  const struct {
    const char* text;
    DisplaySettings expected;
  } cases[] = {
      {"SET=YES\n", DisplaySettings::Allows},    {"  mode SET=YES please", DisplaySettings::Allows},
      {"SET=NO\n", DisplaySettings::Forbids},    {"set=yes\n", DisplaySettings::Forbids},
      {"\nSET=YES\n", DisplaySettings::Forbids}, {"", DisplaySettings::Forbids},
  };
  for (const auto& c : cases) {
    dir.Write("displaysettings.txt", c.text);
    EXPECT_EQ(menu::ReadDisplaySettings(dir.Str()), c.expected) << c.text;
  }
  // Found whatever the letter case of its name.
  fs::remove(dir.Path() / "displaysettings.txt");
  dir.Write("DisplaySettings.TXT", "SET=YES");
  EXPECT_EQ(menu::ReadDisplaySettings(dir.Str()), DisplaySettings::Allows);

  EXPECT_TRUE(menu::DisplayChangeAllowedBy(DisplaySettings::Absent));
  EXPECT_TRUE(menu::DisplayChangeAllowedBy(DisplaySettings::Allows));
  EXPECT_FALSE(menu::DisplayChangeAllowedBy(DisplaySettings::Forbids));
  EXPECT_FALSE(menu::DisplayChangeAllowedBy(DisplaySettings::Unreadable));
}

}  // namespace
}  // namespace tazu::doctor
