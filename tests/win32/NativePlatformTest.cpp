// The Windows backend through the Platform interface, run under Wine with a display:
// the message loop, window timers, the wake-up from another thread, the single-copy
// marker and window, hot keys, display modes, folders, and starting a program and
// noticing its end through the real process starter.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "controls/Starter.h"
#include "framework/Application.h"
#include "platform/NativePlatform.h"
#include "platform/ScaledView.h"

// Last, for the monitor and window queries: its macros rename our own functions.
#include <windows.h>
#undef CreateWindow
#undef ShellExecute

namespace tazu {
namespace {

constexpr int kPatienceMs = 30000;  // only a broken backend takes this long

// Waits for the next event of `kind`, letting others pass.
bool AwaitEvent(Platform& p, EventKind kind, Event& got, int patienceMs = kPatienceMs) {
  const uint64_t end = p.Ticks() + static_cast<uint64_t>(patienceMs);
  while (p.Ticks() < end) {
    if (p.WaitEvent(got, static_cast<int>(end - p.Ticks())) && got.kind == kind) return true;
  }
  return false;
}

TEST(NativePlatform, WaitEventTimesOutAndWakesFromAnotherThread) {
  auto p = CreateNativePlatform();
  Event e;
  const uint64_t start = p->Ticks();
  EXPECT_FALSE(p->WaitEvent(e, 100));
  EXPECT_GE(p->Ticks() - start, 90u);

  std::thread waker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    p->Wake();
  });
  EXPECT_TRUE(AwaitEvent(*p, EventKind::Wake, e));
  waker.join();
}

TEST(NativePlatform, WindowTimersTickUntilStopped) {
  auto p = CreateNativePlatform();
  const TimerHandle timer = p->StartTimer(20);
  ASSERT_NE(timer, 0u);
  Event e;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(AwaitEvent(*p, EventKind::Timer, e));
    EXPECT_EQ(e.timer, timer);
  }
  p->StopTimer(timer);
  while (p->WaitEvent(e, 0)) {
  }
  // Another timer ticks three times meanwhile: the stopped one never does.
  const TimerHandle witness = p->StartTimer(20);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(AwaitEvent(*p, EventKind::Timer, e));
    EXPECT_EQ(e.timer, witness);
  }
  p->StopTimer(witness);
}

TEST(NativePlatform, WindowsAreCreatedShownAndPainted) {
  auto p = CreateNativePlatform();
  const WindowHandle w = p->CreateWindow({"Pelkor Tazu test", {0, 0, 200, 100}, false});
  ASSERT_NE(w, 0u);
  p->SetWindowState(w, WindowState::Normal);
  Bitmap32 image(200, 100, MakePixel(0, 128, 255));
  p->Present(w, image, image.Bounds());
  p->Present(w, image, {10, 10, 20, 20});
  Event e;
  EXPECT_TRUE(AwaitEvent(*p, EventKind::Expose, e));
  EXPECT_EQ(e.window, w);
  p->DestroyWindow(w);
  p->DestroyWindow(w);  // a second time does nothing
}

TEST(NativePlatform, TheCopyMarkerIsHeldAndTheFirstCopyIsAskedToComeForward) {
  auto first = CreateNativePlatform();
  const std::string marker = "tazu-test-marker-" + std::to_string(first->Ticks());
  EXPECT_FALSE(first->CreateCopyMarker(marker));
  first->SetApplicationTitle("Tazu copy test");

  auto second = CreateNativePlatform();
  EXPECT_TRUE(second->CreateCopyMarker(marker));
  EXPECT_FALSE(second->ActivateOtherCopy("No such copy"));
  EXPECT_TRUE(second->ActivateOtherCopy("Tazu copy test"));
  Event e;
  EXPECT_TRUE(AwaitEvent(*first, EventKind::ActivateRequest, e));

  // An untitled copy cannot be found.
  first->SetApplicationTitle("");
  EXPECT_FALSE(second->ActivateOtherCopy("Tazu copy test"));
}

TEST(NativePlatform, HotKeysDisplayModesAndFolders) {
  auto p = CreateNativePlatform();
  EXPECT_TRUE(p->RegisterHotKey(0xC123, MOD_CONTROL | MOD_ALT, 'Z'));
  p->UnregisterHotKey(0xC123);

  const auto current = p->CurrentDisplayMode();
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(static_cast<int>(current->pelsWidth), p->ScreenRect().Width());
  ASSERT_TRUE(p->EnumDisplayMode(0).has_value());
  EXPECT_FALSE(p->EnumDisplayMode(100000).has_value());
  const DisplayCaps caps = p->GetDisplayCaps(0);
  EXPECT_EQ(caps.width, p->ScreenRect().Width());
  EXPECT_GE(caps.bitsPerPixel, 8);

  EXPECT_TRUE(std::filesystem::is_directory(p->WindowsFolder()));
  EXPECT_TRUE(std::filesystem::is_directory(p->SystemFolder()));
  EXPECT_EQ(p->ProgramFileName(), "native_platform_tests.exe");
  EXPECT_GE(p->WaveOutDeviceCount(), 0);
  EXPECT_GE(p->MixerDeviceCount(), 0);
  EXPECT_EQ(p->MixerOpen(-1), 0u);
}

TEST(NativePlatform, ShellStartsAProgramAndItsExitCodeIsRead) {
  auto p = CreateNativePlatform();
  ShellExecuteRequest request;
  request.verb = "open";
  request.file = TAZU_EXIT_WITH_PROGRAM;
  request.parameters = "7";
  const ShellExecuteResult started = p->ShellExecute(request);
  ASSERT_GT(started.instanceCode, 32);
  ASSERT_NE(started.process, 0u);
  p->WaitForProcess(started.process);
  EXPECT_EQ(p->GetExitCodeProcess(started.process), 7u);
  p->CloseProcess(started.process);
  EXPECT_EQ(p->GetExitCodeProcess(0), std::nullopt);
}

TEST(NativePlatform, TheStarterNoticesTheEndOfAProgram) {
  TApplication app(CreateNativePlatform());
  auto* starter = app.Create<TStarter>();
  starter->SetCommand(TAZU_EXIT_WITH_PROGRAM);
  starter->SetParameters("3");
  int started = 0, finished = 0, errors = 0;
  starter->OnAfterStart = [&](TObject*) { ++started; };
  starter->OnFinished = [&](TObject*) { ++finished; };
  starter->OnError = [&](TObject*) { ++errors; };
  starter->Execute();
  EXPECT_EQ(started, 1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
  while (finished == 0 && std::chrono::steady_clock::now() < deadline) app.HandleMessage();
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(errors, 0);
}

// A small logical screen, so that any primary monitor shows it enlarged (on an
// 800x600 monitor by 12/5, smoothly, with bars beside the picture).
TEST(NativePlatform, ScaledPresentationCoversTheMonitorAndMapsThePointerBack) {
  auto p = CreateNativePlatform();
  const Point logical{300, 250};
  const WindowHandle w = p->CreateWindow({"Pelkor Tazu scaled", {0, 0, 300, 250}, false});
  const WindowHandle box = p->CreateWindow({"Pelkor Tazu box", {50, 50, 150, 100}, false});
  ASSERT_TRUE(p->SetScaledPresentation(logical.x, logical.y));
  EXPECT_EQ(p->ScreenRect(), (Rect{0, 0, 300, 250}));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
  const RECT& m = monitor.rcMonitor;
  const ScaledScreen screen(logical, Rect{m.left, m.top, m.right, m.bottom});
  HWND hwnd = FindWindowA("TazuForm", "Pelkor Tazu scaled");
  ASSERT_NE(hwnd, nullptr);
  RECT r{};
  GetWindowRect(hwnd, &r);
  EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), screen.Output());
  GetWindowRect(FindWindowA("TazuForm", "Pelkor Tazu box"), &r);
  EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), screen.Place({50, 50, 150, 100}));

  p->SetWindowState(w, WindowState::Normal);
  Bitmap32 image(logical.x, logical.y, MakePixel(0, 128, 255));
  p->Present(w, image, image.Bounds());
  p->Present(w, image, {10, 10, 20, 20});
  const Rect picture = screen.Picture().Offset(-m.left, -m.top);
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(GetPixel(dc, (picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2),
            RGB(0, 128, 255));
  ASSERT_GT(picture.left, 0);
  EXPECT_EQ(GetPixel(dc, picture.left - 1, picture.top), RGB(0, 0, 0));  // a bar
  ReleaseDC(hwnd, dc);

  PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(picture.right - 1, picture.bottom - 1));
  Event e;
  ASSERT_TRUE(AwaitEvent(*p, EventKind::MouseMove, e));
  EXPECT_EQ(e.pos, (Point{299, 249}));
  PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(picture.left, picture.top));
  ASSERT_TRUE(AwaitEvent(*p, EventKind::MouseDown, e));
  EXPECT_EQ(e.pos, (Point{0, 0}));
  PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(picture.left, picture.top));
  ASSERT_TRUE(AwaitEvent(*p, EventKind::MouseUp, e));

  // Colour cursors grow with the picture.
  Bitmap32 hand(32, 32, MakePixel(0, 0, 0, 0));
  hand.SetPixel(5, 5, MakePixel(255, 255, 255));
  const CursorHandle c = p->CreateColorCursor(hand, {5, 0});
  ASSERT_NE(c, 0u);
  p->SetCursor(c);
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(GetCursor(), &parts));
  BITMAP bitmap{};
  GetObjectA(parts.hbmColor != nullptr ? parts.hbmColor : parts.hbmMask, sizeof(bitmap), &bitmap);
  EXPECT_EQ(bitmap.bmWidth, screen.Scale(32));
  EXPECT_EQ(parts.xHotspot, static_cast<DWORD>(screen.Scale(5)));
  if (parts.hbmColor != nullptr) DeleteObject(parts.hbmColor);
  if (parts.hbmMask != nullptr) DeleteObject(parts.hbmMask);
  p->DestroyWindow(box);
  p->DestroyWindow(w);
}

}  // namespace
}  // namespace tazu
