// The POSIX process launcher with real child programs: small shell scripts written
// into a temporary folder, which record what they received.
#include "platform/posix/ProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/base/TempDir.h"

namespace tazu {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr auto kPollStep = std::chrono::milliseconds(10);
constexpr auto kPatience = std::chrono::seconds(20);
constexpr int kSigned = 128;  // exit code base of a child ended by a signal

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// NUL-separated fields, as the recording scripts write them.
Args Fields(const std::string& text) {
  Args out;
  std::string field;
  for (const char c : text) {
    if (c == '\0') {
      out.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  return out;
}

// Waits until `done` holds; false after the patience ran out.
template <class F>
bool Eventually(F done) {
  const auto until = std::chrono::steady_clock::now() + kPatience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(kPollStep);
  }
  return true;
}

// Children of this process that have ended but not been reaped.
int ZombieChildren() {
  int zombies = 0;
  const std::string self = std::to_string(getpid());
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string stat = ReadFile(entry.path() / "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state, parent;
    rest >> state >> parent;
    if (parent == self && state == "Z") ++zombies;
  }
  return zombies;
}

class ProcessLauncherTest : public ::testing::Test {
 protected:
  // A program that writes its working folder, $0 and its arguments to `record`
  // (NUL-separated), then ends with `exitCode` once `stopFile` (if any) exists.
  std::string WriteRecorder(const std::string& relative, int exitCode,
                            const std::string& stopFile = "") {
    std::string body =
        "#!/bin/sh\nprintf '%s\\0' \"$(pwd -P)\" \"$0\" \"$@\" > '" + Record() + "'\n";
    if (!stopFile.empty()) {
      body += "while [ ! -e '" + stopFile + "' ]; do sleep 0.02; done\n";
    }
    body += "exit " + std::to_string(exitCode) + "\n";
    return WriteProgram(relative, body);
  }

  std::string WriteProgram(const std::string& relative, const std::string& body,
                           fs::perms perms = fs::perms::owner_all | fs::perms::group_read) {
    const std::string path = dir.Write(relative, body);
    fs::permissions(path, perms);
    return path;
  }

  std::string Record() const { return (dir.Path() / "record").string(); }
  bool Recorded() const { return fs::exists(Record()) && !ReadFile(Record()).empty(); }

  ShellExecuteResult Open(const std::string& file, const std::string& parameters = "",
                          const std::string& directory = "") {
    ShellExecuteRequest request;
    request.verb = "open";
    request.file = file;
    request.parameters = parameters;
    request.directory = directory;
    return launcher.ShellExecute(request);
  }

  uint32_t RunToEnd(ProcessHandle process) {
    launcher.WaitForProcess(process);
    return launcher.GetExitCodeProcess(process).value_or(0xFFFFFFFF);
  }

  test::TempDir dir;
  // Only the folder made for the test is searched for wine and xdg-open.
  ProcessLauncher launcher{(dir.Path() / "bin").string()};
};

// ---- programs ----

TEST_F(ProcessLauncherTest, ArgumentsArriveExactlyAsSplitByTheWindowsRules) {
  const std::string program = WriteRecorder("wiskundeoptel/optel.exe", 0);
  const ShellExecuteResult r =
      Open(program, R"("*C:\Kids\#" "*Anna#" "*#" "*#" "*TRUE#" "*AFR#" "a b"c\"d)");
  ASSERT_GT(r.instanceCode, 32);
  ASSERT_NE(r.process, 0u);
  EXPECT_EQ(RunToEnd(r.process), 0u);
  const Args got = Fields(ReadFile(Record()));
  ASSERT_EQ(got.size(), 9u);
  EXPECT_EQ(got[1], program);
  EXPECT_EQ(Args(got.begin() + 2, got.end()),
            (Args{R"(*C:\Kids\#)", "*Anna#", "*#", "*#", "*TRUE#", "*AFR#", R"(a bc"d)"}));
}

TEST_F(ProcessLauncherTest, WindowsNamesAreResolvedAndTheFolderIsHonoured) {
  const std::string program = WriteRecorder("Wiskunde/Optel.EXE", 0);
  fs::create_directories(dir.Path() / "Work Folder");
  const std::string windowsName = dir.Str() + "\\wiskunde\\\\optel.exe";
  const ShellExecuteResult r = Open(windowsName, "", dir.Str() + "\\work folder\\");
  ASSERT_NE(r.process, 0u);
  EXPECT_EQ(RunToEnd(r.process), 0u);
  const Args got = Fields(ReadFile(Record()));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], fs::canonical(dir.Path() / "Work Folder").string());
  EXPECT_EQ(got[1], program);
}

TEST_F(ProcessLauncherTest, WithoutAFolderTheChildWorksInTheCallersFolder) {
  const std::string program = WriteRecorder("p", 0);
  const ShellExecuteResult r = Open(program);
  ASSERT_NE(r.process, 0u);
  RunToEnd(r.process);
  EXPECT_EQ(Fields(ReadFile(Record())).at(0), fs::canonical(fs::current_path()).string());
}

TEST_F(ProcessLauncherTest, ExitCodesAndStillActive) {
  const std::string stop = (dir.Path() / "stop").string();
  const ShellExecuteResult r = Open(WriteRecorder("p", 42 + 1, stop));
  ASSERT_NE(r.process, 0u);
  EXPECT_EQ(r.instanceCode, ProcessLauncher::kStarted);
  ASSERT_TRUE(Eventually([&] { return Recorded(); }));
  EXPECT_EQ(launcher.GetExitCodeProcess(r.process), STILL_ACTIVE);
  EXPECT_EQ(launcher.GetExitCodeProcess(r.process), STILL_ACTIVE);
  dir.Write("stop", "");
  ASSERT_TRUE(Eventually([&] { return launcher.GetExitCodeProcess(r.process) != STILL_ACTIVE; }));
  EXPECT_EQ(launcher.GetExitCodeProcess(r.process), 43u);
  launcher.WaitForProcess(r.process);  // already ended: returns at once
  EXPECT_EQ(launcher.GetExitCodeProcess(r.process), 43u);
  launcher.CloseProcess(r.process);
  EXPECT_EQ(launcher.GetExitCodeProcess(r.process), std::nullopt);
  EXPECT_EQ(launcher.GetExitCodeProcess(0), std::nullopt);
  EXPECT_EQ(launcher.GetExitCodeProcess(0xDEAD), std::nullopt);
}

TEST_F(ProcessLauncherTest, HandlesAreDistinctPerStart) {
  const std::string program = WriteRecorder("p", 5);
  const ShellExecuteResult a = Open(program);
  const ShellExecuteResult b = Open(program);
  ASSERT_NE(a.process, 0u);
  ASSERT_NE(b.process, 0u);
  EXPECT_NE(a.process, b.process);
  EXPECT_EQ(RunToEnd(a.process), 5u);
  EXPECT_EQ(RunToEnd(b.process), 5u);
}

// ---- what the child inherits ----

class SignalState {
 public:
  // Blocks SIGTERM and ignores SIGINT, as the launcher's threads may.
  SignalState() {
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &block, &oldMask_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &oldInt_);
  }
  ~SignalState() {
    sigaction(SIGINT, &oldInt_, nullptr);
    pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
  }

 private:
  sigset_t oldMask_{};
  struct sigaction oldInt_ {};
};

TEST_F(ProcessLauncherTest, ChildrenGetAnEmptySignalMaskAndDefaultActions) {
  SignalState blocked;
  // Had the mask or the ignored disposition been inherited, the script would go on
  // past its own kill and exit 0.
  const ShellExecuteResult term = Open(WriteProgram("term", "#!/bin/sh\nkill -TERM $$\nexit 0\n"));
  const ShellExecuteResult interrupt =
      Open(WriteProgram("int", "#!/bin/sh\nkill -INT $$\nexit 0\n"));
  ASSERT_NE(term.process, 0u);
  ASSERT_NE(interrupt.process, 0u);
  EXPECT_EQ(RunToEnd(term.process), static_cast<uint32_t>(kSigned + SIGTERM));
  EXPECT_EQ(RunToEnd(interrupt.process), static_cast<uint32_t>(kSigned + SIGINT));
}

TEST_F(ProcessLauncherTest, ChildrenDoNotInheritOurDescriptors) {
  const std::string secret = dir.Write("secret", "x");
  const int fd = open(secret.c_str(), O_RDONLY);  // deliberately without O_CLOEXEC
  ASSERT_GE(fd, 0);
  const std::string program = WriteProgram(
      "fds",
      "#!/bin/sh\nfor f in /proc/$$/fd/*; do readlink \"$f\" || true; done > '" + Record() + "'\n");
  const ShellExecuteResult r = Open(program);
  close(fd);
  ASSERT_NE(r.process, 0u);
  EXPECT_EQ(RunToEnd(r.process), 0u);
  const std::string fds = ReadFile(Record());
  EXPECT_FALSE(fds.empty());
  EXPECT_EQ(fds.find(secret), std::string::npos) << fds;
}

// ---- failures ----

TEST_F(ProcessLauncherTest, MissingFileAndMissingFolders) {
  const std::string program = WriteRecorder("menu/p", 0);
  EXPECT_EQ(Open(dir.Str() + "\\menu\\absent.exe").instanceCode, SE_ERR_FNF);
  EXPECT_EQ(Open(dir.Str() + "\\nofolder\\p").instanceCode, SE_ERR_PNF);
  EXPECT_EQ(Open(program + "/below").instanceCode, SE_ERR_PNF);  // a file used as a folder
  EXPECT_EQ(Open(program, "", dir.Str() + "\\nofolder").instanceCode, SE_ERR_PNF);
  EXPECT_EQ(Open("").instanceCode, SE_ERR_FNF);
  EXPECT_EQ(Open(dir.Str() + "\\menu\\absent.exe").process, 0u);
  EXPECT_FALSE(Recorded());
}

TEST_F(ProcessLauncherTest, AProgramWithoutExecutePermissionIsRefused) {
  // Mode 0644 cannot be executed, not even by root; its name says it is a program.
  const std::string program = WriteProgram("optel.exe", "#!/bin/sh\nexit 0\n",
                                           fs::perms::owner_read | fs::perms::owner_write |
                                               fs::perms::group_read | fs::perms::others_read);
  const ShellExecuteResult r = Open(program);
  EXPECT_EQ(r.instanceCode, SE_ERR_ACCESSDENIED);
  EXPECT_EQ(r.process, 0u);
}

TEST_F(ProcessLauncherTest, AnExecutableTheSystemCannotLoadIsTheShellsBadFormat) {
  // Execute permission but no "#!" and no binary header: posix_spawn runs no shell.
  const ShellExecuteResult r = Open(WriteProgram("noformat", "echo hello > x\n"));
  EXPECT_EQ(r.instanceCode, ProcessLauncher::kBadFormat);
  EXPECT_EQ(r.process, 0u);
  EXPECT_FALSE(fs::exists(fs::current_path() / "x"));
}

TEST_F(ProcessLauncherTest, WindowsProgramsNeedWine) {
  const std::string exe = WriteProgram("game.exe", "MZ\x90\x00rest", fs::perms::owner_read);
  EXPECT_EQ(Open(exe, "a").instanceCode, SE_ERR_NOASSOC);

  const std::string wine = WriteRecorder("bin/wine", 6);
  const ShellExecuteResult r = Open(exe, "\"x y\" z");
  ASSERT_NE(r.process, 0u);
  EXPECT_EQ(RunToEnd(r.process), 6u);
  const Args got = Fields(ReadFile(Record()));
  EXPECT_EQ(Args(got.begin() + 1, got.end()), (Args{wine, exe, "x y", "z"}));
}

TEST_F(ProcessLauncherTest, PrintAndUnknownVerbsHaveNoAssociation) {
  const std::string program = WriteRecorder("p", 0);
  WriteRecorder("bin/xdg-open", 0);
  for (const char* verb : {"print", "edit", "properties"}) {
    ShellExecuteRequest request;
    request.verb = verb;
    request.file = program;
    EXPECT_EQ(launcher.ShellExecute(request).instanceCode, SE_ERR_NOASSOC) << verb;
  }
  EXPECT_FALSE(Recorded());
}

// ---- documents and folders ----

TEST_F(ProcessLauncherTest, DocumentsGoToTheDesktopOpenerWithoutAHandle) {
  const std::string document = dir.Write("Readme.txt", "hello");
  EXPECT_EQ(Open(document).instanceCode, SE_ERR_NOASSOC);  // no xdg-open yet

  WriteRecorder("bin/xdg-open", 0);
  const ShellExecuteResult r = Open(dir.Str() + "\\README.TXT", "ignored");
  EXPECT_EQ(r.instanceCode, ProcessLauncher::kStarted);
  EXPECT_EQ(r.process, 0u);
  ASSERT_TRUE(Eventually([&] { return Recorded(); }));
  const Args got = Fields(ReadFile(Record()));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[2], document);
  EXPECT_TRUE(Eventually([&] {
    launcher.GetExitCodeProcess(0);  // every call reaps what has ended
    return launcher.PendingChildren() == 0;
  }));
}

TEST_F(ProcessLauncherTest, ExploreOpensAFolderAndOnlyAFolder) {
  WriteRecorder("bin/xdg-open", 0);
  const std::string program = WriteRecorder("wiskundeoptel/optel.exe", 0);
  ShellExecuteRequest request;
  request.verb = "explore";
  request.file = program;
  EXPECT_EQ(launcher.ShellExecute(request).instanceCode, SE_ERR_NOASSOC);

  request.file = dir.Str() + "\\WiskundeOptel\\";
  const ShellExecuteResult r = launcher.ShellExecute(request);
  EXPECT_EQ(r.instanceCode, ProcessLauncher::kStarted);
  EXPECT_EQ(r.process, 0u);
  ASSERT_TRUE(Eventually([&] { return Recorded(); }));
  const Args got = Fields(ReadFile(Record()));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(fs::canonical(got[2]), fs::canonical(dir.Path() / "wiskundeoptel"));
}

// ---- reaping ----

TEST_F(ProcessLauncherTest, AClosedRunningChildIsReapedOnceItEnds) {
  const std::string stop = (dir.Path() / "stop").string();
  const ShellExecuteResult r = Open(WriteRecorder("p", 0, stop));
  ASSERT_NE(r.process, 0u);
  ASSERT_TRUE(Eventually([&] { return Recorded(); }));
  launcher.CloseProcess(r.process);
  EXPECT_EQ(launcher.PendingChildren(), 1u);
  EXPECT_EQ(launcher.GetExitCodeProcess(r.process), std::nullopt);
  dir.Write("stop", "");
  EXPECT_TRUE(Eventually([&] {
    launcher.GetExitCodeProcess(0);
    return launcher.PendingChildren() == 0;
  }));
  EXPECT_EQ(ZombieChildren(), 0);
}

TEST_F(ProcessLauncherTest, TheDestructorLeavesRunningChildrenRunning) {
  const std::string stop = (dir.Path() / "stop").string();
  ProcessHandle handle = 0;
  {
    ProcessLauncher own;
    ShellExecuteRequest request;
    request.file = WriteRecorder("p", 0, stop);  // empty verb: the default, "open"
    handle = own.ShellExecute(request).process;
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(Eventually([&] { return Recorded(); }));
  }
  // Still running: not reaped, so not a zombie and still waitable by its parent.
  EXPECT_EQ(ZombieChildren(), 0);
  dir.Write("stop", "");
  int status = 0;
  EXPECT_GT(waitpid(-1, &status, 0), 0);
  EXPECT_TRUE(WIFEXITED(status));
}

}  // namespace
}  // namespace tazu
