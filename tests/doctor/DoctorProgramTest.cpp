// The real tazu-doctor program run as a child process on a demo install: its exit
// status, its lines, and that it leaves the install and the roster folder as they were.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/doctor/InstallFixture.h"

namespace tazu::doctor {
namespace {

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

struct ChildRun {
  int status = -1;
  std::string output;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class DoctorProgram : public test::InstallFixture {
 protected:
  // Runs the program with `args` (already quoted) in the folder `workingFolder`, the
  // roster kept in the test's profile folder; standard output and error together.
  ChildRun Doctor(const std::string& args, const std::string& workingFolder = ".") const {
    const std::string command =
        "cd " + Quoted(workingFolder) +
        " && env -u XDG_DATA_HOME HOME=/nonexistent ALLUSERSPROFILE=" + Quoted(profile.string()) +
        " " + Quoted(TAZU_DOCTOR_PROGRAM) + " " + args + " 2>&1";
    ChildRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }
};

TEST_F(DoctorProgram, ReadyDemoInstallExitsZero) {
  const ChildRun run = Doctor(Quoted(install.string()));
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_THAT(run.output, HasSubstr("\nOK menu\\intro_126.frm: all 126 frames decode\n"));
  EXPECT_THAT(run.output, HasSubstr("\nOK roster folder " + (profile / "documents").string()));
  EXPECT_THAT(run.output, EndsWith("\n71 OK, 1 MISSING, 0 DAMAGED (1 is only a warning)\n"));
}

TEST_F(DoctorProgram, ChecksTheCurrentFolderByDefault) {
  const ChildRun inInstall = Doctor("", install.string());
  EXPECT_EQ(inInstall.status, 0) << inInstall.output;
  EXPECT_THAT(inInstall.output, HasSubstr("Install folder " + install.string() + "\n"));
  const ChildRun elsewhere = Doctor("", dir.Str());
  EXPECT_EQ(elsewhere.status, 1);
  EXPECT_THAT(elsewhere.output, HasSubstr("\nMISSING menu\\menu_0_A.jpg: not found"));
}

TEST_F(DoctorProgram, ProblemsGiveExitOneAndLeaveEverythingAsItWas) {
  FlipMiddle("menu/intro_126.frm", 16);
  fs::remove(install / "Sounds_eng" / "in2.wav");
  fs::remove_all(profile / "documents");
  const auto before = test::TreeListing(dir.Path());
  const ChildRun run = Doctor(Quoted(install.string()));
  EXPECT_EQ(test::TreeListing(dir.Path()), before);
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_THAT(run.output, HasSubstr("\nDAMAGED menu\\intro_126.frm: "));
  EXPECT_THAT(run.output, HasSubstr("\nMISSING sounds_eng\\in2.wav: not found"));
  EXPECT_THAT(run.output, HasSubstr("makes it at the first sign-in"));
  EXPECT_THAT(run.output, EndsWith(", 2 MISSING, 1 DAMAGED (1 is only a warning)\n"));
}

TEST_F(DoctorProgram, HelpAndBadArguments) {
  const ChildRun help = Doctor("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.output,
              AllOf(HasSubstr("usage: tazu-doctor [INSTALL_DIR]"),
                    HasSubstr("Only warnings (exit status 0)"), HasSubstr("displaysettings.txt")));
  EXPECT_EQ(Doctor("--frobnicate").status, 2);
  EXPECT_EQ(Doctor("a b").status, 2);
  const ChildRun none = Doctor(Quoted((dir.Path() / "no-such-folder").string()));
  EXPECT_EQ(none.status, 2);
  EXPECT_THAT(none.output, Not(HasSubstr("OK")));
}

}  // namespace
}  // namespace tazu::doctor
