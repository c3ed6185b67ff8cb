// Where the roster lives: the environment walk, the documents sub-folder and the
// system-folder and current-folder fallbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/Text.h"
#include "platform/Environment.h"
#include "roster/StudentDatabase.h"
#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

class RosterFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "sys");
    fs::create_directories(dir.Path() / "cwd");
    fs::create_directories(dir.Path() / "profile");
    env.systemFolder = (dir.Path() / "sys").string();
    env.currentFolder = (dir.Path() / "cwd").string();
    // Folders taken from the environment come back lower-cased; these tests compare
    // them with the temporary folder's own spelling.
    if (LowerCase(dir.Str()) != dir.Str()) GTEST_SKIP() << "temporary folder has capitals";
  }
  std::string Profile() const { return (dir.Path() / "profile").string(); }

  test::TempDir dir;
  test::FakeRosterEnvironment env;
};

TEST_F(RosterFolderTest, WithoutProfileEntryUsesSystemFolderAndCreatesNothing) {
  env.block = {"PATH=/usr/bin", "HOME=/root"};
  EXPECT_EQ(RosterFolder(env), env.systemFolder + "\\");
  EXPECT_TRUE(fs::is_empty(dir.Path() / "sys"));

  env.systemFolder = "C:\\WINDOWS\\System32\\";
  EXPECT_EQ(RosterFolder(env), "C:\\WINDOWS\\System32\\");
}

TEST_F(RosterFolderTest, EmptyValueStopsTheWalkAndUsesSystemFolder) {
  env.block = {"ALLUSERSPROFILE=", "ALLUSERSPROFILE=" + Profile()};
  EXPECT_EQ(RosterFolder(env), env.systemFolder + "\\");
  EXPECT_FALSE(fs::exists(dir.Path() / "profile" / "documents"));
}

TEST_F(RosterFolderTest, CreatesMissingDocumentsSubFolder) {
  env.block = {"OS=Windows_NT", "ALLUSERSPROFILE=" + Profile()};
  EXPECT_EQ(RosterFolder(env), Profile() + "\\documents\\");
  EXPECT_TRUE(fs::is_directory(dir.Path() / "profile" / "documents"));
  // A second call finds it and gives the same answer.
  EXPECT_EQ(RosterFolder(env), Profile() + "\\documents\\");
}

TEST_F(RosterFolderTest, MissingProfileFolderFallsBackToCurrentFolder) {
  const std::string missing = (dir.Path() / "nowhere").string();
  env.block = {"ALLUSERSPROFILE=" + missing};
  EXPECT_EQ(RosterFolder(env), env.currentFolder + "\\");
  EXPECT_FALSE(fs::exists(missing));

  // Only one level is ever created: a missing parent is not made either.
  env.block = {"ALLUSERSPROFILE=" + missing + "/deeper"};
  EXPECT_EQ(RosterFolder(env), env.currentFolder + "\\");
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(RosterFolderTest, DocumentsNameTakenByFileFallsBackToCurrentFolder) {
  dir.Write("profile/documents", "not a folder");
  env.block = {"ALLUSERSPROFILE=" + Profile()};
  EXPECT_EQ(RosterFolder(env), env.currentFolder + "\\");
}

TEST_F(RosterFolderTest, FirstEntryContainingTheNameWinsWhateverItsCase) {
  fs::create_directories(dir.Path() / "other");
  const std::string other = (dir.Path() / "other").string();
  env.block = {"PATH=/bin", "xAllUsersProfile=" + Profile(), "ALLUSERSPROFILE=" + other};
  EXPECT_EQ(RosterFolder(env), Profile() + "\\documents\\");
  EXPECT_FALSE(fs::exists(dir.Path() / "other" / "documents"));
}

TEST_F(RosterFolderTest, TrailingBackSlashIsNotDoubled) {
  env.block = {"ALLUSERSPROFILE=" + Profile() + "\\"};
  EXPECT_EQ(RosterFolder(env), Profile() + "\\documents\\");
}

TEST_F(RosterFolderTest, CapitalsAreLoweredAndTheFolderIsStillFound) {
  fs::create_directories(dir.Path() / "ProgramData" / "Documents");
  const std::string record = test::RecordBytes(1, "ANNA", "", "", {{3, 1, {1, 0, 0, 0, 0}}});
  test::WriteBytes(dir.Path() / "ProgramData" / "Documents" / "tazu_students.dat", record);

  env.block = {"ALLUSERSPROFILE=" + dir.Str() + "\\ProgramData"};
  EXPECT_EQ(RosterFolder(env), dir.Str() + "\\programdata\\documents\\");
  EXPECT_EQ(RosterFilePath(env), dir.Str() + "\\programdata\\documents\\tazu_students.dat");
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
  EXPECT_EQ(RecordLearnerUse(env, 4, 1, "BEN", "", ""), 2);
  // The existing folders were used: no lower-case twin was made.
  EXPECT_FALSE(fs::exists(dir.Path() / "programdata"));
  EXPECT_EQ(fs::file_size(dir.Path() / "ProgramData" / "Documents" / "tazu_students.dat"), 1416u);
}

TEST_F(RosterFolderTest, ValueIsCutToOneThousandCharacters) {
  // A real folder whose path is exactly 1000 characters long; the value goes on.
  std::string folder = dir.Str();
  while (1000 - folder.size() > 250) folder += "/" + std::string(200, 'x');
  folder += "/" + std::string(1000 - folder.size() - 1, 'y');
  ASSERT_EQ(folder.size(), 1000u);
  fs::create_directories(folder);
  env.block = {"ALLUSERSPROFILE=" + folder + "/zzzzzzzzzz"};
  EXPECT_EQ(RosterFolder(env), folder + "\\documents\\");
  EXPECT_TRUE(fs::is_directory(folder + "/documents"));
}

TEST(DefaultRosterEnvironmentTest, ReadsTheProcessEnvironment) {
  SetProcessEnv("TAZU_ROSTER_PROBE", "Value=1");
  const auto block = DefaultRosterEnvironment().EnvironmentBlock();
  EXPECT_NE(std::find(block.begin(), block.end(), "TAZU_ROSTER_PROBE=Value=1"), block.end());
  UnsetProcessEnv("TAZU_ROSTER_PROBE");
  EXPECT_EQ(DefaultRosterEnvironment().CurrentFolder(), fs::current_path().string());
  // SystemFolder is left alone here: on Linux it may create the machine's shared folder.
}

}  // namespace
}  // namespace tazu
