#include "controls/ThreadedTimer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "base/Exceptions.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using Clock = std::chrono::steady_clock;
using test::FrameworkTest;

class ThreadedTimerTest : public FrameworkTest {
 protected:
  ThreadedTimerTest() { fake->realWaitLimitMs = 5000; }
  // Runs the loop until `done` or the time limit; returns whether `done` came true.
  template <class Pred>
  bool RunUntil(Pred done, std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    const auto end = Clock::now() + limit;
    while (!done()) {
      if (Clock::now() > end) return false;
      Event e;
      if (fake->WaitEvent(e, 5)) {
        app->CheckSynchronize();
      }
    }
    return true;
  }
  // Waits until the worker has queued a hand-over (its wake-up reached the loop).
  bool WaitForHandOver() {
    const auto end = Clock::now() + std::chrono::seconds(3);
    Event e;
    while (Clock::now() < end) {
      if (fake->WaitEvent(e, 5) && e.kind == EventKind::Wake) return true;
    }
    return false;
  }
};

TEST_F(ThreadedTimerTest, TicksRunOnTheUiThreadOneAfterAnotherAtTheInterval) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(20);
  std::vector<Clock::time_point> ticks;
  bool inside = false, overlapped = false;
  const auto ui = std::this_thread::get_id();
  bool onUi = true;
  timer->OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, timer);
    overlapped |= inside;
    inside = true;
    onUi &= std::this_thread::get_id() == ui;
    ticks.push_back(Clock::now());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the next wait starts after
    inside = false;
  };
  const auto enabled = Clock::now();
  timer->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return ticks.size() >= 5; }));
  timer->SetEnabled(false);
  EXPECT_FALSE(overlapped);
  EXPECT_TRUE(onUi);
  EXPECT_GE(ticks[0] - enabled, std::chrono::milliseconds(19));
  for (size_t i = 1; i < ticks.size(); ++i) {
    EXPECT_GE(ticks[i] - ticks[i - 1], std::chrono::milliseconds(24));  // 20 + the handler's 5
  }
}

TEST_F(ThreadedTimerTest, ATickOnItsWayWhenDisabledIsDropped) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(10);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  timer->SetEnabled(true);
  ASSERT_TRUE(WaitForHandOver());
  timer->SetEnabled(false);
  app->CheckSynchronize();  // the tick arrives now, and finds the timer disabled
  EXPECT_EQ(ticks, 0);
}

TEST_F(ThreadedTimerTest, IntervalZeroPausesUntilANonZeroInterval) {
  auto* timer = app->Create<TThreadedTimer>();
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  timer->SetInterval(0);
  timer->SetEnabled(true);
  EXPECT_FALSE(RunUntil([&] { return ticks > 0; }, std::chrono::milliseconds(100)));
  timer->SetInterval(10);  // starts without Enabled being set again
  EXPECT_TRUE(RunUntil([&] { return ticks > 0; }));
  EXPECT_TRUE(timer->Enabled());
}

TEST_F(ThreadedTimerTest, DisablingInsideTheHandlerMakesThatTickTheLast) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(10);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) {
    ++ticks;
    timer->SetEnabled(false);
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return ticks == 1; }));
  EXPECT_FALSE(RunUntil([&] { return ticks > 1; }, std::chrono::milliseconds(100)));
  timer->SetEnabled(true);  // and enabling again starts it over
  EXPECT_TRUE(RunUntil([&] { return ticks == 2; }));
}

TEST_F(ThreadedTimerTest, EnablingTwiceOrSettingTheSameIntervalChangesNothing) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(40);
  std::vector<Clock::time_point> ticks;
  timer->OnTimer = [&](TObject*) { ticks.push_back(Clock::now()); };
  const auto start = Clock::now();
  timer->SetEnabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  timer->SetEnabled(true);
  timer->SetInterval(40);  // no restart: the first tick still comes 40 ms after enabling
  ASSERT_TRUE(RunUntil([&] { return !ticks.empty(); }));
  EXPECT_LT(ticks[0] - start, std::chrono::milliseconds(60));
  // A real change restarts the timing.
  timer->SetInterval(30);
  const auto changed = Clock::now();
  ticks.clear();
  ASSERT_TRUE(RunUntil([&] { return !ticks.empty(); }));
  EXPECT_GE(ticks[0] - changed, std::chrono::milliseconds(29));
}

TEST_F(ThreadedTimerTest, AHandlerThatRaisesStopsItsTimerForGoodWithoutAMessage) {
  auto* failing = app->Create<TThreadedTimer>();
  auto* other = app->Create<TThreadedTimer>();
  int failingTicks = 0, otherTicks = 0;
  failing->OnTimer = [&](TObject*) {
    ++failingTicks;
    throw Exception("boom");
  };
  other->OnTimer = [&](TObject*) { ++otherTicks; };
  failing->SetInterval(10);
  other->SetInterval(10);
  failing->SetEnabled(true);
  other->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return otherTicks >= 5; }));
  EXPECT_EQ(failingTicks, 1);
  failing->SetEnabled(false);
  failing->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return otherTicks >= 10; }));
  EXPECT_EQ(failingTicks, 1);
  EXPECT_TRUE(fake->shownBoxes.empty());
  TComponent::Free(failing);  // still ends at once
}

TEST_F(ThreadedTimerTest, DestroyingNeverHangsEvenWithATickInFlight) {
  const auto start = Clock::now();
  for (int i = 0; i < 1000; ++i) {
    auto* timer = app->Create<TThreadedTimer>();
    int ticks = 0;
    timer->OnTimer = [&](TObject*) { ++ticks; };
    if (i % 2 == 0) {
      timer->SetInterval(1);
      timer->SetEnabled(true);
      if (i % 4 == 0) WaitForHandOver();  // a hand-over is queued right now
    }
    TComponent::Free(timer);
    app->CheckSynchronize();
    EXPECT_EQ(ticks, 0);
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

TEST_F(ThreadedTimerTest, ANeverEnabledTimerIsDestroyedAtOnce) {
  const auto start = Clock::now();
  auto* timer = app->Create<TThreadedTimer>();
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 1000u);
  TComponent::Free(timer);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace tazu
