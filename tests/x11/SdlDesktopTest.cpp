// SdlPlatform's desktop operations: the fallback without an X server, termination
// requests turned into a close request, child processes' signal masks, and the
// guardian putting the desktop back after the launcher died in various ways.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "XServer.h"
#include "platform/posix/ChildSignals.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/sdl/TerminationSignals.h"
#include "tests/MissingPackage.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace tazu {
namespace {

using test::WaitForExit;
using test::XServer;

// How long a wait for what must come may last: only a broken program takes this long
// (a loaded machine may well take seconds).
constexpr int kWaitMs = 30000;
constexpr int kExitedBySigterm = 128 + SIGTERM;
constexpr int kMaxButtons = 256;

bool SignalBlocked(int signal) {
  sigset_t now;
  pthread_sigmask(SIG_SETMASK, nullptr, &now);
  return sigismember(&now, signal) == 1;
}

// Exit status of grep checking its own signal mask (a shell would clear it first),
// started with posix_spawn, the mask reset or not.
int SpawnMaskCheck(bool resetMask) {
  static const std::string grep = test::FindProgram("grep");
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (resetMask) {
    EXPECT_EQ(ResetChildSignalMask(attributes), 0);
  }
  const char* argv[] = {"grep", "-Eq", "^SigBlk:[[:space:]]*0+$", "/proc/self/status", nullptr};
  pid_t pid = 0;
  const int error =
      posix_spawn(&pid, grep.c_str(), nullptr, &attributes, const_cast<char**>(argv), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return -1;
  int status = 0;
  if (!WaitForExit(pid, kWaitMs, status) || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::unique_ptr<SdlPlatform> MakePlatform() {
  try {
    return std::make_unique<SdlPlatform>();
  } catch (const std::exception&) {
    return nullptr;
  }
}

TEST(SdlDesktopTest, WithoutAnXServerOnlyTheModeInUseIsKnown) {
  auto platform = MakePlatform();
  if (!platform) TAZU_SKIP_MISSING_PACKAGE("no SDL video");
  const DisplayCaps caps = platform->GetDisplayCaps(0);
  EXPECT_GT(caps.width, 0);
  EXPECT_GT(caps.height, 0);
  EXPECT_GE(caps.bitsPerPixel, 8);
  const auto current = platform->CurrentDisplayMode();
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(static_cast<int>(current->pelsWidth), caps.width);
  EXPECT_EQ(static_cast<int>(current->bitsPerPel), caps.bitsPerPixel);
  EXPECT_EQ(platform->EnumDisplayMode(0), current);
  EXPECT_FALSE(platform->EnumDisplayMode(1).has_value());
  EXPECT_EQ(platform->ChangeDisplayMode(*current, true), DISP_CHANGE_SUCCESSFUL);
  DisplayMode other = *current;
  other.pelsWidth += 1;
  EXPECT_EQ(platform->ChangeDisplayMode(other, false), DISP_CHANGE_BADMODE);
  platform->BroadcastDisplayChange(42, 0);
  EXPECT_EQ(platform->FindTaskBar(), 0u);
  platform->ShowTaskBar(0, false);
  platform->SetMouseButtonsSwapped(true);
  platform->SetMouseButtonsSwapped(false);
}

TEST(SdlDesktopTest, ANamedDisplayThatCannotBeReachedIsAnErrorNotAnInvisibleWindow) {
  constexpr int kRefused = 10, kStartedAnyway = 11, kOtherError = 12;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("DISPLAY", ":4711", 1);  // no server there
    unsetenv("SDL_VIDEODRIVER");
    try {
      SdlPlatform platform;
      _exit(kStartedAnyway);
    } catch (const std::runtime_error& e) {
      _exit(std::string(e.what()).starts_with("Cannot start the display") ? kRefused : kOtherError);
    }
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kRefused);
}

TEST(SdlDesktopTest, ATerminationRequestArrivesAsACloseRequest) {
  ASSERT_FALSE(SignalBlocked(SIGTERM));
  {
    auto platform = MakePlatform();
    if (!platform) TAZU_SKIP_MISSING_PACKAGE("no SDL video");
    EXPECT_TRUE(SignalBlocked(SIGTERM));
    Event e;
    while (platform->WaitEvent(e, 0)) {
    }
    kill(getpid(), SIGTERM);
    bool closed = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!closed && std::chrono::steady_clock::now() < deadline) {
      closed = platform->WaitEvent(e, 100) && e.kind == EventKind::CloseRequest && e.window == 0;
    }
    EXPECT_TRUE(closed);
  }
  EXPECT_FALSE(SignalBlocked(SIGTERM));  // the mask is given back
}

TEST(SdlDesktopTest, ChildProgramsStartWithAnEmptySignalMask) {
  auto platform = MakePlatform();
  if (!platform) TAZU_SKIP_MISSING_PACKAGE("no SDL video");
  EXPECT_EQ(SpawnMaskCheck(true), 0);
  EXPECT_EQ(SpawnMaskCheck(false), 1);  // inherited otherwise
}

// Runs `body` in a child process; returns its wait status (the child is killed when
// it has not ended within `timeoutMs`, which fails the test).
template <typename Body>
int InChild(Body body, int timeoutMs) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  EXPECT_TRUE(WaitForExit(child, timeoutMs, status)) << "the child did not end";
  return status;
}

TEST(SdlDesktopTest, ASecondRequestEndsTheProgramAtOnce) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto platform = MakePlatform();
    if (!platform) _exit(2);
    const char c = 1;
    if (write(ready[1], &c, 1) != 1) _exit(3);
    Event e;
    for (;;) {  // ignores close requests, but tells the test of each
      if (platform->WaitEvent(e, -1) && e.kind == EventKind::CloseRequest) {
        if (write(ready[1], &c, 1) != 1) _exit(3);
      }
    }
  }
  close(ready[1]);
  auto heard = [&] {
    pollfd fd{ready[0], POLLIN, 0};
    char c = 0;
    return poll(&fd, 1, kWaitMs) == 1 && read(ready[0], &c, 1) == 1;
  };
  const bool started = heard();
  if (started) kill(child, SIGTERM);
  // The first request is taken as one before the second comes.
  if (!started || !heard()) {
    kill(child, SIGKILL);
    FAIL() << "the child did not start, or did not take the first request";
  }
  kill(child, SIGINT);
  close(ready[0]);
  int status = 0;
  ASSERT_TRUE(WaitForExit(child, kWaitMs, status));
  ASSERT_TRUE(WIFEXITED(status));
  // The end of the grace period would give SIGTERM's status.
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
}

TEST(TerminationSignalsTest, NoEndWithinTheGracePeriodEndsTheProcess) {
  constexpr int kGraceMs = 200;
  int calls[2];
  ASSERT_EQ(pipe(calls), 0);
  const auto start = std::chrono::steady_clock::now();
  const int status = InChild(
      [&] {
        TerminationSignals signals;
        signals.Start([&] { (void)!write(calls[1], "x", 1); }, kGraceMs);
        kill(getpid(), SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitMs));
        _exit(0);  // not reached when the watcher works
      },
      kWaitMs * 2);
  const auto took = std::chrono::steady_clock::now() - start;  // the child's own end
  close(calls[1]);
  char buffer[4];
  EXPECT_EQ(read(calls[0], buffer, sizeof buffer), 1);  // the handler ran once
  close(calls[0]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitedBySigterm);
  EXPECT_GE(took, std::chrono::milliseconds(kGraceMs));
}

TEST(TerminationSignalsTest, StoppingWithoutARequestIsQuiet) {
  for (int i = 0; i < 3; ++i) {
    TerminationSignals signals;
    signals.Start([] { ADD_FAILURE() << "no request was made"; });
    EXPECT_TRUE(SignalBlocked(SIGHUP));
  }
  EXPECT_FALSE(SignalBlocked(SIGHUP));
}

// ---- with an X server: the guardian at work ----

enum class Death { Kill, Segv, Abort, Terminate };

std::vector<unsigned char> PointerMapping(Display* display) {
  unsigned char map[kMaxButtons];
  const int n = XGetPointerMapping(display, map, kMaxButtons);
  return {map, map + n};
}

bool IsMapped(Display* display, Window w) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, w, &attributes);
  return attributes.map_state != IsUnmapped;
}

template <typename Check>
bool Eventually(Check check) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (check()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return check();
}

class GuardianOnXTest : public ::testing::TestWithParam<Death> {
 protected:
  void SetUp() override {
    std::string why;
    server = XServer::StartXvfb(1024, 768, 24, why);
    if (!server) TAZU_SKIP_MISSING_PACKAGE(why);
    test::AdoptOrphans();
    peer = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(peer, nullptr);
  }
  void TearDown() override {
    if (peer != nullptr) XCloseDisplay(peer);
    // The dead launcher's guardian, adopted by this process, has ended after its work.
    if (server) {
      EXPECT_TRUE(test::ReapChildrenExcept({server->Pid()}, kWaitMs));
    }
  }

  // A launcher process on the test's server: `change` runs on its platform, the test
  // then looks (the launcher waits), and the launcher dies as told.
  template <typename Change>
  void RunLauncher(Change change, Death death, const std::function<void()>& whileChanged) {
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("DISPLAY", server->Name().c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
      auto platform = MakePlatform();
      if (!platform) _exit(2);
      change(*platform);
      char c = 1;
      if (write(ready[1], &c, 1) != 1 || read(go[0], &c, 1) != 1) _exit(3);
      switch (death) {
        case Death::Kill:
          kill(getpid(), SIGKILL);
          break;
        case Death::Segv:
          signal(SIGSEGV, SIG_DFL);
          raise(SIGSEGV);
          break;
        case Death::Abort:
          std::abort();
        case Death::Terminate:
          std::terminate();
      }
      _exit(4);
    }
    close(ready[1]);
    close(go[0]);
    char c = 0;
    const bool started = read(ready[0], &c, 1) == 1;
    if (started) whileChanged();
    (void)!write(go[1], &c, 1);
    close(ready[0]);
    close(go[1]);
    int status = 0;
    ASSERT_TRUE(WaitForExit(child, kWaitMs, status));
    ASSERT_TRUE(started) << "launcher status " << status;
    EXPECT_FALSE(WIFEXITED(status)) << "ended normally with " << WEXITSTATUS(status);
  }

  std::unique_ptr<XServer> server;
  Display* peer = nullptr;
};

TEST_P(GuardianOnXTest, PointerMappingComesBackAfterTheLauncherDied) {
  const auto before = PointerMapping(peer);
  ASSERT_GE(before.size(), 3u);
  RunLauncher([](SdlPlatform& p) { p.SetMouseButtonsSwapped(true); }, GetParam(),
              [&] {
                const auto swapped = PointerMapping(peer);
                ASSERT_EQ(swapped.size(), before.size());
                EXPECT_EQ(swapped[0], before[2]);
                EXPECT_EQ(swapped[2], before[0]);
              });
  EXPECT_TRUE(Eventually([&] { return PointerMapping(peer) == before; }));
}

TEST_P(GuardianOnXTest, DocksComeBackAfterTheLauncherDied) {
  const Window dock = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, 1024, 30, 0, 0, 0);
  const Atom type = XInternAtom(peer, "_NET_WM_WINDOW_TYPE", False);
  Atom dockType = XInternAtom(peer, "_NET_WM_WINDOW_TYPE_DOCK", False);
  XChangeProperty(peer, dock, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&dockType), 1);
  XMapWindow(peer, dock);
  XSync(peer, False);
  RunLauncher(
      [](SdlPlatform& p) {
        const TaskBarHandle bar = p.FindTaskBar();
        if (bar == 0) _exit(5);
        p.ShowTaskBar(bar, false);
      },
      GetParam(), [&] { EXPECT_FALSE(IsMapped(peer, dock)); });
  EXPECT_TRUE(Eventually([&] { return IsMapped(peer, dock); }));
}

INSTANTIATE_TEST_SUITE_P(Deaths, GuardianOnXTest,
                         ::testing::Values(Death::Kill, Death::Segv, Death::Abort,
                                           Death::Terminate),
                         [](const ::testing::TestParamInfo<Death>& info) {
                           switch (info.param) {
                             case Death::Kill:
                               return "Sigkill";
                             case Death::Segv:
                               return "Sigsegv";
                             case Death::Abort:
                               return "Abort";
                             case Death::Terminate:
                               return "Terminate";
                           }
                           return "Unknown";
                         });

TEST(GuardianOnXNormalEnd, TheLauncherRestoresItselfAndLeavesNoGuardian) {
  std::string why;
  auto server = XServer::StartXvfb(1024, 768, 24, why);
  if (!server) TAZU_SKIP_MISSING_PACKAGE(why);
  Display* peer = XOpenDisplay(server->Name().c_str());
  ASSERT_NE(peer, nullptr);
  const auto before = PointerMapping(peer);
  const int status = InChild(
      [&] {
        setenv("DISPLAY", server->Name().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        auto platform = MakePlatform();
        if (!platform) _exit(2);
        platform->SetMouseButtonsSwapped(true);
        platform.reset();
        // The guardian has been reaped: this process has no child left.
        _exit(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD ? 0 : 6);
      },
      kWaitMs);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(PointerMapping(peer), before);
  XCloseDisplay(peer);
}

}  // namespace
}  // namespace tazu
