#include "base/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/base/TempDir.h"

namespace tazu {
namespace {

class PathsTest : public ::testing::Test {
 protected:
  test::TempDir dir;
};

// How names are turned into host paths where the system's separator is '/'; Windows
// takes the names as written.
class PosixPathsTest : public PathsTest {
 protected:
  void SetUp() override {
    if (std::filesystem::path::preferred_separator == '\\')
      GTEST_SKIP() << "the system resolves Windows names itself";
  }
};

TEST_F(PathsTest, FindsWindowsNamesWithoutRegardToCaseOnEverySystem) {
  dir.Write("Sounds_afr/In6.WAV", "x");
  EXPECT_TRUE(FileExists(dir.Str() + "\\SOUNDS_AFR\\in6.wav"));
  EXPECT_TRUE(DirectoryExists(dir.Str() + "\\sounds_AFR\\"));
  EXPECT_FALSE(FileExists(dir.Str() + "\\sounds_eng\\in6.wav"));
  EXPECT_FALSE(FileExists(dir.Str() + "\\sounds_afr"));
}

TEST_F(PosixPathsTest, ConvertsBackSlashesAndCollapsesDoubledSeparators) {
  dir.Write("menu/menu_0_A.jpg", "x");
  const std::string install = dir.Str() + "\\";
  const std::string menuFolder = install + "\\menu\\";
  EXPECT_EQ(ResolvePath(menuFolder + "menu_0_A.jpg"), dir.Str() + "/menu/menu_0_A.jpg");
  EXPECT_TRUE(FileExists(menuFolder + "menu_0_A.jpg"));
  EXPECT_TRUE(DirectoryExists(menuFolder));
}

TEST_F(PosixPathsTest, ResolvesEachComponentWithoutRegardToCase) {
  dir.Write("Sounds_afr/In6.WAV", "x");
  EXPECT_EQ(ResolvePath(dir.Str() + "\\sounds_afr\\in6.wav"), dir.Str() + "/Sounds_afr/In6.WAV");
  EXPECT_TRUE(FileExists(dir.Str() + "\\SOUNDS_AFR\\IN6.wav"));
  EXPECT_FALSE(FileExists(dir.Str() + "\\sounds_eng\\in6.wav"));
}

TEST_F(PosixPathsTest, PrefersTheExactNameAndOtherwiseTheSmallestMatch) {
  dir.Write("music/a.mid", "1");
  dir.Write("Music/a.mid", "2");
  dir.Write("MUSIC/a.mid", "3");
  EXPECT_EQ(ResolvePath(dir.Str() + "/Music/a.mid"), dir.Str() + "/Music/a.mid");
  EXPECT_EQ(ResolvePath(dir.Str() + "/mUsIc/a.mid"), dir.Str() + "/MUSIC/a.mid");
}

TEST_F(PosixPathsTest, KeepsMissingComponentsAsWrittenAndTrailingSeparators) {
  EXPECT_EQ(ResolvePath(dir.Str() + "\\New\\File.dat"), dir.Str() + "/New/File.dat");
  EXPECT_EQ(ResolvePath(dir.Str() + "\\"), dir.Str() + "/");
  EXPECT_EQ(ResolvePath("relative\\name.txt"), "relative/name.txt");
  EXPECT_EQ(ResolvePath(""), "");
  EXPECT_EQ(ResolvePath("\\"), "/");
}

TEST_F(PathsTest, FindFilesMatchesMaskIgnoringCaseAndSkipsFolders) {
  dir.Write("Music/one.mid", "");
  dir.Write("Music/TWO.MID", "");
  dir.Write("Music/notes.txt", "");
  dir.Write("Music/sub.mid/inner.mid", "");
  auto names = FindFiles(dir.Str() + "\\music\\", "*.mid");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"TWO.MID", "one.mid"}));
}

TEST(MatchesMask, Wildcards) {
  EXPECT_TRUE(MatchesMask("pelkor2.mid", "*.mid"));
  EXPECT_TRUE(MatchesMask("PELKOR2.MID", "*.mid"));
  EXPECT_FALSE(MatchesMask("pelkor2.midi", "*.mid"));
  EXPECT_TRUE(MatchesMask("a.b.mid", "*.mid"));
  EXPECT_TRUE(MatchesMask("x", "?"));
  EXPECT_FALSE(MatchesMask("", "?"));
  EXPECT_TRUE(MatchesMask("", "*"));
  EXPECT_TRUE(MatchesMask("abcabd", "*ab?"));
}

TEST(ExtractFileName, BothSeparators) {
  EXPECT_EQ(ExtractFileName("C:\\Kids\\x.jpg"), "x.jpg");
  EXPECT_EQ(ExtractFileName("/a/b/c.frm"), "c.frm");
  EXPECT_EQ(ExtractFileName("plain"), "plain");
}

}  // namespace
}  // namespace tazu
