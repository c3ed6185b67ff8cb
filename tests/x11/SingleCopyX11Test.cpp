// The Linux single-copy marker, activation of another copy, hot-key grabs and mixer
// devices: copies of the platform in separate processes on an X server of the test's own.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "XServer.h"
#include "platform/sdl/AlsaMixer.h"
#include "platform/sdl/CopyMarker.h"
#include "platform/sdl/FdWatcher.h"
#include "platform/sdl/SdlPlatform.h"
#include "tests/MissingPackage.h"

// After the platform's headers: Xlib's macros clash with their names.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tazu {
namespace {

using test::WaitForExit;
using test::XServer;

// How long a wait for what must come may last: only a broken program takes this long
// (a loaded machine may well take seconds).
constexpr int kWaitMs = 30000;
constexpr int kEventWaitMs = 200;

// Exit codes of the copies.
constexpr int kNoPlatform = 2;
constexpr int kYes = 10;
constexpr int kNo = 11;
constexpr int kGotIt = 20;
constexpr int kTimedOut = 21;

// A pipe that a copy and the test talk through, one byte at a time.
class Channel {
 public:
  Channel() {
    if (pipe(toTest_) != 0 || pipe(toCopy_) != 0) std::abort();
  }
  ~Channel() {
    for (int fd : {toTest_[0], toTest_[1], toCopy_[0], toCopy_[1]}) close(fd);
  }
  void Tell(int fd, char c) { (void)!write(fd, &c, 1); }
  char Hear(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : '\0';
  }
  // From the copy's side.
  void TellTest(char c) { Tell(toTest_[1], c); }
  char HearTest() { return Hear(toCopy_[0]); }
  // From the test's side.
  void TellCopy(char c) { Tell(toCopy_[1], c); }
  char HearCopy() { return Hear(toTest_[0]); }

 private:
  int toTest_[2];
  int toCopy_[2];
};

class SingleCopyOnXTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server = XServer::StartXvfb(640, 480, 24, why);
    if (!server) TAZU_SKIP_MISSING_PACKAGE(why);
    std::string pattern = (std::filesystem::temp_directory_path() / "tazu-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    runtime = pattern;
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    marker = "single-copy-test-" + std::to_string(getpid());
  }
  void TearDown() override {
    if (!runtime.empty()) std::filesystem::remove_all(runtime);
    unsetenv("XDG_RUNTIME_DIR");
  }

  // Runs `body` on a platform of its own in a new process; its result is the exit code.
  pid_t StartCopy(const std::function<int(SdlPlatform&)>& body) {
    const pid_t child = fork();
    if (child == 0) {
      setenv("DISPLAY", server->Name().c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
      std::unique_ptr<SdlPlatform> platform;
      try {
        platform = std::make_unique<SdlPlatform>();
      } catch (const std::exception&) {
        _exit(kNoPlatform);
      }
      const int code = body(*platform);
      platform.reset();
      _exit(code);
    }
    return child;
  }
  int Finish(pid_t child) {
    int status = 0;
    if (!WaitForExit(child, kWaitMs * 2, status)) return -1;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int RunCopy(const std::function<int(SdlPlatform&)>& body) { return Finish(StartCopy(body)); }

  // Waits for an event of `kind` (and identifier `id` for hot keys).
  static bool AwaitEvent(SdlPlatform& p, EventKind kind, uint32_t id = 0) {
    for (int waited = 0; waited < kWaitMs; waited += kEventWaitMs) {
      Event e;
      while (p.WaitEvent(e, kEventWaitMs)) {
        if (e.kind == kind && (kind != EventKind::HotKey || e.id == id)) return true;
      }
    }
    return false;
  }

  std::unique_ptr<XServer> server;
  std::string runtime;
  std::string marker;
};

TEST_F(SingleCopyOnXTest, MarkerOfTheFirstCopyIsSeenUntilItDies) {
  Channel channel;
  const pid_t first = StartCopy([&](SdlPlatform& p) {
    channel.TellTest(p.CreateCopyMarker(marker) ? 'y' : 'n');
    channel.HearTest();
    kill(getpid(), SIGKILL);  // no clean-up of any kind
    return 0;
  });
  ASSERT_EQ(channel.HearCopy(), 'n');
  EXPECT_TRUE(std::filesystem::exists(runtime + "/" + marker + ".lock"));
  EXPECT_EQ(RunCopy([&](SdlPlatform& p) { return p.CreateCopyMarker(marker) ? kYes : kNo; }), kYes);
  // A program under another file name does not see it.
  EXPECT_EQ(RunCopy([&](SdlPlatform& p) { return p.CreateCopyMarker(marker + "x") ? kYes : kNo; }),
            kNo);
  channel.TellCopy('k');
  EXPECT_EQ(Finish(first), 128 + SIGKILL);
  EXPECT_EQ(RunCopy([&](SdlPlatform& p) { return p.CreateCopyMarker(marker) ? kYes : kNo; }), kNo);
}

TEST_F(SingleCopyOnXTest, ProgramFileNameIsTheRunningProgramsFile) {
  EXPECT_EQ(RunCopy([](SdlPlatform& p) {
              return p.ProgramFileName() == "single_copy_x11_tests" ? kYes : kNo;
            }),
            kYes);
  EXPECT_EQ(RunCopy([](SdlPlatform& p) {
              const std::string folder =
                  std::filesystem::path(std::filesystem::read_symlink("/proc/self/exe"))
                      .parent_path()
                      .string();
              return p.SystemFolder() == folder + "/system" &&
                             p.WindowsFolder() == folder + "/windows"
                         ? kYes
                         : kNo;
            }),
            kYes);
}

TEST_F(SingleCopyOnXTest, ActivationReachesTheFirstCopyAsAnEvent) {
  const std::string title = "Tazu activation " + std::to_string(getpid());
  // A copy never finds its own window.
  EXPECT_EQ(RunCopy([&](SdlPlatform& p) {
              p.SetApplicationTitle(title);
              return p.ActivateOtherCopy(title) ? kYes : kNo;
            }),
            kNo);
  Channel channel;
  const pid_t first = StartCopy([&](SdlPlatform& p) {
    p.SetApplicationTitle(title);
    channel.TellTest('r');
    return AwaitEvent(p, EventKind::ActivateRequest) ? kGotIt : kTimedOut;
  });
  ASSERT_EQ(channel.HearCopy(), 'r');
  EXPECT_EQ(RunCopy([&](SdlPlatform& p) {
              p.SetApplicationTitle(title);
              p.SetApplicationTitle("");  // out of the search, as a second copy does
              if (p.ActivateOtherCopy("Some other title")) return kYes + 1;
              return p.ActivateOtherCopy(title) ? kYes : kNo;
            }),
            kYes);
  EXPECT_EQ(Finish(first), kGotIt);
}

// True when `display` may grab Ctrl+Alt+Z on the root window.
bool CanGrabCtrlAltZ(Display* display) {
  static bool refused = false;
  refused = false;
  XSync(display, False);
  auto previous = XSetErrorHandler([](Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess) refused = true;
    return 0;
  });
  const int keycode = XKeysymToKeycode(display, XK_z);
  XGrabKey(display, keycode, ControlMask | Mod1Mask, DefaultRootWindow(display), False,
           GrabModeAsync, GrabModeAsync);
  XSync(display, False);
  if (!refused) XUngrabKey(display, keycode, ControlMask | Mod1Mask, DefaultRootWindow(display));
  XSync(display, False);
  XSetErrorHandler(previous);
  return !refused;
}

TEST_F(SingleCopyOnXTest, HotKeyGrabIsDeliveredAndHeldFromOtherClients) {
  const std::string xdotool = test::FindProgram("xdotool");
  if (xdotool.empty()) TAZU_SKIP_MISSING_PACKAGE("xdotool is not installed");
  constexpr uint32_t kId = 0xC001;
  Channel channel;
  const pid_t holder = StartCopy([&](SdlPlatform& p) {
    channel.TellTest(p.RegisterHotKey(kId, MOD_CONTROL | MOD_ALT, 'Z') ? 'y' : 'n');
    const bool pressed = AwaitEvent(p, EventKind::HotKey, kId);
    p.UnregisterHotKey(kId);
    Event e;
    p.WaitEvent(e, 0);  // lets the release reach the server
    channel.TellTest('u');
    channel.HearTest();
    return pressed ? kGotIt : kTimedOut;
  });
  ASSERT_EQ(channel.HearCopy(), 'y');
  Display* peer = XOpenDisplay(server->Name().c_str());
  ASSERT_NE(peer, nullptr);
  EXPECT_FALSE(CanGrabCtrlAltZ(peer));
  // Another copy is refused too.
  EXPECT_EQ(RunCopy([&](SdlPlatform& p) {
              return p.RegisterHotKey(1, MOD_CONTROL | MOD_ALT, 'Z') ? kYes : kNo;
            }),
            kNo);
  const std::string command = "DISPLAY=" + server->Name() + " " + xdotool + " key ctrl+alt+z";
  EXPECT_EQ(std::system(command.c_str()), 0);
  ASSERT_EQ(channel.HearCopy(), 'u');
  EXPECT_TRUE(CanGrabCtrlAltZ(peer));
  channel.TellCopy('g');
  EXPECT_EQ(Finish(holder), kGotIt);
  XCloseDisplay(peer);
}

TEST_F(SingleCopyOnXTest, HotKeysOfUnknownKeysAreRefused) {
  EXPECT_EQ(RunCopy([](SdlPlatform& p) { return p.RegisterHotKey(1, MOD_ALT, 0xFF) ? kYes : kNo; }),
            kNo);
}

// ---- without an X server ----

TEST(CopyMarkerTest, FallsBackToAPrivateFolderInTmp) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = saved != nullptr ? saved : "";
  unsetenv("XDG_RUNTIME_DIR");
  const std::string folder = CopyMarker::Folder();
  EXPECT_EQ(folder, "/tmp/pelkor-tazu-" + std::to_string(getuid()));
  struct stat st {};
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // A runtime folder that others may write to is not used.
  const std::string open =
      (std::filesystem::temp_directory_path() / ("tazu-open-" + std::to_string(getpid()))).string();
  std::filesystem::create_directory(open);
  chmod(open.c_str(), 0777);
  setenv("XDG_RUNTIME_DIR", open.c_str(), 1);
  EXPECT_EQ(CopyMarker::Folder(), folder);
  std::filesystem::remove_all(open);
  if (saved != nullptr) {
    setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST(CopyMarkerTest, NamesCannotLeaveTheFolder) {
  const std::string path = CopyMarker::PathOf("../etc/x");
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(std::filesystem::path(path).parent_path().string(), CopyMarker::Folder());
}

TEST(FdWatcherTest, ReportsOnceUntilRearmedAndStopsWatchingForgottenSources) {
  int fds[2], witness[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(pipe(witness), 0);
  std::mutex mutex;
  std::condition_variable changed;
  std::map<uint32_t, int> reports;
  FdWatcher watcher([&](uint32_t source) {
    std::lock_guard lock(mutex);
    ++reports[source];
    changed.notify_all();
  });
  auto reportsAfter = [&](uint32_t source, int atLeast) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                     [&] { return reports[source] >= atLeast; });
    return reports[source];
  };
  // Source 6 made readable and reported: the thread has polled once more since, and
  // every armed source with something to read was reported in that poll.
  int rounds = 0;
  auto goRound = [&] {
    char c = 'x';
    ++rounds;
    const bool reported = write(witness[1], &c, 1) == 1 && reportsAfter(6, rounds) == rounds &&
                          read(witness[0], &c, 1) == 1;
    watcher.Rearm(6);
    return reported;
  };
  watcher.Watch(6, {pollfd{witness[0], POLLIN, 0}});
  watcher.Watch(5, {pollfd{fds[0], POLLIN, 0}});
  ASSERT_TRUE(goRound());
  EXPECT_EQ(reportsAfter(5, 0), 0);  // nothing to read yet
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_EQ(reportsAfter(5, 1), 1);
  ASSERT_TRUE(goRound());
  EXPECT_EQ(reportsAfter(5, 0), 1);  // still readable, but not re-armed
  watcher.Rearm(5);
  EXPECT_EQ(reportsAfter(5, 2), 2);
  watcher.Forget(5);
  close(fds[0]);
  close(fds[1]);
  watcher.Rearm(5);  // a forgotten source stays forgotten
  ASSERT_TRUE(goRound());
  EXPECT_EQ(reportsAfter(5, 0), 2);
  watcher.Forget(6);
  close(witness[0]);
  close(witness[1]);
}

TEST(AlsaMixerTest, DevicesAreTheSoundCards) {
  AlsaMixer mixers;
  const int count = mixers.DeviceCount();
  EXPECT_EQ(mixers.Caps(count), std::nullopt);
  EXPECT_EQ(mixers.Open(count), 0u);
  EXPECT_EQ(mixers.Open(-1), 0u);
  if (count == 0) return;  // a machine without sound cards: nothing more to see
  const auto caps = mixers.Caps(0);
  ASSERT_TRUE(caps);
  EXPECT_FALSE(caps->productName.empty());
  const MixerHandle mixer = mixers.Open(0);
  ASSERT_NE(mixer, 0u);
  for (uint32_t d = 0; d < caps->destinations; ++d) {
    const auto line = mixers.Destination(mixer, d);
    ASSERT_TRUE(line) << d;
    const auto controls = mixers.Controls(mixer, line->lineId);
    ASSERT_TRUE(controls);
    EXPECT_EQ(controls->size(), line->controls);
  }
  mixers.Close(mixer);
  EXPECT_EQ(mixers.Destination(mixer, 0), std::nullopt);
}

}  // namespace
}  // namespace tazu
