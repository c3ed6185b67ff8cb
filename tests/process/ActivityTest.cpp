// The stand-in activity program as the launcher meets it: installed under the activity
// table's names, started with the launcher's parameter string, recording what it got.
#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "base/Paths.h"
#include "platform/posix/ProcessLauncher.h"
#include "screens/menu/ActivityTable.h"
#include "tests/base/TempDir.h"
#include "tools/demo-install/DemoActivities.h"

namespace tazu {
namespace {

namespace fs = std::filesystem;

constexpr const char* kParameters = R"("*C:\Kids\#" "*Anna#" "*#" "*#" "*TRUE#" "*AFR#")";
constexpr const char* kFields = "\t*C:\\Kids\\#\t*Anna#\t*#\t*#\t*TRUE#\t*AFR#\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Sets an environment variable for the life of the object (children inherit it).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

bool Executable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

TEST(DemoActivities, EveryProgramOfTheTableIsACopyOfTheStandIn) {
  test::TempDir dir;
  const std::string standIn = dir.Write("stand-in", "#!/bin/sh\nexit 0\n");
  fs::permissions(standIn, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  const fs::path install = dir.Path() / "install";
  demo::InstallStandInActivities(install.string(), standIn);
  for (const char* program : kActivities) {
    if (*program == '\0') continue;
    const std::string path = ResolvePath(install.string() + "\\" + program);
    EXPECT_TRUE(fs::is_regular_file(path)) << program;
    EXPECT_TRUE(Executable(path)) << program;
    EXPECT_EQ(ReadFile(path), "#!/bin/sh\nexit 0\n") << program;
  }
  EXPECT_TRUE(fs::is_regular_file(install / "wiskundeoptel" / "optel.exe"));
  EXPECT_TRUE(fs::is_regular_file(install / "report" / "report.exe"));

  // Installing again replaces the copies and leaves nothing else behind.
  dir.Write("stand-in", "#!/bin/sh\nexit 1\n");
  demo::InstallStandInActivities(install.string(), standIn);
  EXPECT_EQ(ReadFile(install / "lees_m_begrip" / "leesbegrip.exe"), "#!/bin/sh\nexit 1\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(install / "report"), fs::directory_iterator()), 1);
}

TEST(DemoActivities, AMissingStandInRaises) {
  test::TempDir dir;
  EXPECT_THROW(demo::InstallStandInActivities(dir.Str(), dir.Str() + "/absent"),
               fs::filesystem_error);
}

class StandInActivity : public ::testing::Test {
 protected:
  void SetUp() override { demo::InstallStandInActivities(dir.Str(), TAZU_ACTIVITY_PROGRAM); }

  // Starts a program of the table as the menu does: the parameter string, and the
  // install folder as the working folder. Returns its exit code.
  uint32_t Run(const std::string& program) {
    ShellExecuteRequest request;
    request.verb = "open";
    request.file = dir.Str() + "\\" + program;
    request.parameters = kParameters;
    request.directory = dir.Str();
    const ShellExecuteResult r = launcher.ShellExecute(request);
    EXPECT_EQ(r.instanceCode, ProcessLauncher::kStarted);
    if (r.process == 0) return 0xFFFFFFFF;
    launcher.WaitForProcess(r.process);
    const uint32_t code = launcher.GetExitCodeProcess(r.process).value_or(0xFFFFFFFF);
    launcher.CloseProcess(r.process);
    return code;
  }

  std::string Log() const { return ReadFile(dir.Path() / "activity.log"); }

  test::TempDir dir;
  ProcessLauncher launcher;
  ScopedEnv seconds{"TAZU_ACTIVITY_SECONDS", "0"};
  // A sanitizer build of the program would report the display libraries' caches.
  ScopedEnv leaks{"LSAN_OPTIONS", "suppressions=" TAZU_LSAN_SUPPRESSIONS};
};

TEST_F(StandInActivity, ShowsItsWindowRecordsItsStartAndEndsWithTheAskedCode) {
  // The tests' own display driver (off-screen) is inherited: the window is made and the
  // timer closes it.
  ScopedEnv code("TAZU_ACTIVITY_EXIT_CODE", "3");
  EXPECT_EQ(Run("wiskundeoptel\\optel.exe"), 3u);
  EXPECT_EQ(Log(), (dir.Path() / "wiskundeoptel" / "optel.exe").string() + kFields);
}

TEST_F(StandInActivity, WithoutADisplayItStillRecordsAndEnds) {
  ScopedEnv driver("SDL_VIDEODRIVER", "no-such-driver");
  EXPECT_EQ(Run("report\\report.exe"), 0u);
  EXPECT_EQ(Run("geheueklanke\\geheue.exe"), 0u);
  EXPECT_EQ(Log(), (dir.Path() / "report" / "report.exe").string() + kFields +
                       (dir.Path() / "geheueklanke" / "geheue.exe").string() + kFields);
}

}  // namespace
}  // namespace tazu
