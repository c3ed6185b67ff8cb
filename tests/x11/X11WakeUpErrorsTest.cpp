// The guard against SDL's late wake-up errors: a BadWindow error of X_SendEvent is
// dropped, every other error still reaches the handler that was there before. Each
// case runs in a child process, since Xlib's handler is process-wide and the guard is
// installed once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

// After gtest, whose names Xlib's macros (None, ...) would clash with.
#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "platform/sdl/X11WakeUpErrors.h"
#include "tests/MissingPackage.h"
#include "tests/x11/XServer.h"

namespace tazu {
namespace {

int g_passedOn = 0;

int CountPassedOn(Display*, XErrorEvent*) {
  ++g_passedOn;
  return 0;
}

// In a child: sends an event to a window that is gone, then maps it; the exit status
// is the number of errors that reached the earlier handler.
int ErrorsPassedOn(const std::string& display) {
  XSetErrorHandler(&CountPassedOn);
  IgnoreLateWakeUpErrors();
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) return 100;
  const Window gone = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(d, gone);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = gone;
  event.xclient.format = 32;
  XSendEvent(d, gone, False, NoEventMask, &event);
  XSync(d, False);
  const int afterSend = g_passedOn;
  XMapWindow(d, gone);
  XSync(d, False);
  XCloseDisplay(d);
  return afterSend * 10 + g_passedOn;
}

TEST(X11WakeUpErrorsTest, OnlyTheLateWakeUpErrorIsDropped) {
  std::string why;
  auto server = test::XServer::StartXvfb(320, 240, 24, why);
  if (!server) TAZU_SKIP_MISSING_PACKAGE(why);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(ErrorsPassedOn(server->Name()));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  // None after the send, one (the map) at the end.
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace tazu
